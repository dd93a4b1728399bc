#pragma once
// Whole files read and written so that they either work or say why (POSIX; a build for
// the web leaves this out and hands the parsers the bytes the browser gives).
//
// File names are bytes as the system gives them: nothing here decodes or re-encodes
// them. Messages show a file name through quoteText(path, Keep::kEnd) (model/plain_text.h):
//   cannot read "stock.txt": No such file or directory
//   cannot write "sheet.pdf": No space left on device
//
// Writing. A file is written to a new temporary file beside it (".NAME.hobwise-*",
// created exclusively, with the mode a new file gets under the umask, or the replaced
// file's permission bits), flushed to the disk, checked, and only then renamed over the
// target. Any failure (a full disk, the file-size limit, permissions, a read-only
// folder, a target that is a folder, pipe or device, a folder that does not exist)
// leaves the target as it was and removes the temporary file. The target is never
// partial or empty, whenever the process ends; only a temporary file can be.
//
// Interruptions. While a file is being written its temporary file is listed in a table
// that removeUnfinishedTemporaryFiles() empties with async-signal-safe calls. A signal
// handler that ends the process calls it right before it ends the process:
//
//   extern "C" void onSecondInterrupt(int) {
//     hobwise::removeUnfinishedTemporaryFiles();
//     _exit(130);
//   }
//
// (a handler that lets the process go on must not call it: the write in progress would
// then fail for want of its temporary file.) A process killed outright (SIGKILL, power
// loss) may leave a temporary file; the target stays whole.
//
// The writers set SIGXFSZ to be ignored when it has its default action (which ends the
// process when a file outgrows the size limit), so that the limit shows as the error
// "File too large".
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace hobwise {

struct FileRead {
  std::string bytes;      // the whole file, when `error` is empty
  std::string error;      // otherwise the message: cannot read "FILE": reason
  bool tooLarge = false;  // the reason is the size limit
  bool ok() const { return error.empty(); }
};

// Reads a whole regular file of at most maxBytes bytes. Only a regular file is opened
// (a file swapped for something else between the look and the open is caught after it,
// before anything is read): a folder, a pipe, a device or a socket is refused at once,
// never waited on. The reasons that are not the system's own words: "it is a folder",
// "it is a pipe, not a file", "it is a device, not a file", "it is a socket, not a
// file", "larger than 64 KiB" (the limit as given, in KiB when it is whole KiB).
FileRead readWholeFile(const std::string& path, std::size_t maxBytes);

struct WriteResult {
  std::string error;  // empty when the file was written; otherwise: cannot write "FILE": reason
  bool ok() const { return error.empty(); }
};

// Writes the bytes as the whole file `path` (see above). An existing target that is not
// a regular file, or that its permissions keep from being written, is refused
// untouched. A link to a file is followed: the file it names is replaced.
WriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

// What writeFileAtomically(path, ...) would refuse before it writes a byte: a target
// that is not a regular file or is write-protected, a folder that does not exist or
// cannot be written. For a program that works long before it writes, so that it can
// refuse at once. (The write itself may still fail: a full disk, the size limit.)
WriteResult checkWriteTarget(const std::string& path);

// For writers that need a path to write to (a PDF writer): `write` gets the path of the
// temporary file, already created and empty, writes the whole file there and returns
// std::nullopt, or the reason it failed. The file it leaves must be a non-empty regular
// file; it is then flushed to the disk and renamed over the target as above. Writers
// that do not report their own write errors leave a damaged file undetected: prefer
// producing the bytes in memory and writeFileAtomically().
using TemporaryFileWriter = std::function<std::optional<std::string>(const std::string& temporaryPath)>;
WriteResult writeViaTemporary(const std::string& path, const TemporaryFileWriter& write);

// Removes every temporary file that a write in progress in this process has created and
// not yet renamed. Async-signal-safe; for signal handlers that end the process.
void removeUnfinishedTemporaryFiles() noexcept;

}  // namespace hobwise
