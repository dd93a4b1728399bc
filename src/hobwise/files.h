#pragma once
// Hobwise's public face: files read and written so that they either work or say why,
// and the quoted form in which messages show text they did not accept.
//
//   readWholeFile(path, maxBytes)  a regular file of bounded size, whole (FileRead:
//       bytes, or error "cannot read \"FILE\": reason"); pipes, devices and folders are
//       refused at once, never opened.
//   writeFileAtomically(path, bytes)  the bytes as the whole file, through a temporary
//       file beside it that replaces the target only when complete (WriteResult: error
//       "cannot write \"FILE\": reason", empty when written); any failure leaves the old
//       file as it was. checkWriteTarget(path): what such a write would refuse at once.
//   writeViaTemporary(path, writer)  the same for a writer that needs a path.
//   removeUnfinishedTemporaryFiles()  for a signal handler that ends the process.
//   quoteText(text, Keep::kStart | Keep::kEnd)  text between double quotes, control and
//       non-UTF-8 bytes escaped, cut to about kQuotedCharacters characters (Keep::kEnd
//       keeps a file name's end); bareOrQuoted(text) for names that messages show
//       bare when they are plain.
//
// Paths are bytes as the system gives them (QFile::encodeName of a QString path); nothing
// decodes them. See model/file_io.h and model/plain_text.h. Native builds only (POSIX),
// except quoteText.
#include "model/file_io.h"
#include "model/plain_text.h"
