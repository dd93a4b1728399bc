#pragma once
// Painting of the set-up sheet with Qt: on a printer, into a PDF, onto any paint device.
// Safe to call off the GUI thread (QPrinter, QPdfWriter and QImage may be painted
// from any thread).
#include <string>

#include <QByteArray>

#include "hobwise/sheet.h"

class QPainter;
class QPrinter;

namespace hobwise {

// Draws the sheet with an active painter whose device units are those of a page
// with the given printable width and height, origin at the printable area's corner.
void paintSheet(QPainter& painter, const SheetInputs& inputs, int printableWidth, int printableHeight);

// Prints the sheet as one document ("Change Gears") of one page on a printer that
// the caller has set up (for example through QPrintDialog). False when the printer
// could not be started.
bool printSheet(QPrinter& printer, const SheetInputs& inputs);

// The sheet as the bytes of a one-page PDF file ("Change Gears", US Letter); empty
// when it could not be painted.
QByteArray sheetPdfBytes(const SheetInputs& inputs);

// Writes sheetPdfBytes() as the file `path` (bytes as the system gives them, e.g.
// QFile::encodeName of a dialog's choice) with writeFileAtomically (hobwise/files.h):
// the target is replaced whole or left as it was. The empty text when written,
// otherwise "cannot write \"FILE\": reason".
std::string writeSheetPdf(const SheetInputs& inputs, const std::string& path);

}  // namespace hobwise
