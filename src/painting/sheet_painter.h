#pragma once
// Painting of the set-up sheet with Qt: on a printer, into a PDF, onto any paint device.
// Safe to call off the GUI thread (QPrinter, QPdfWriter and QImage may be painted
// from any thread).
#include <QString>

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

// Writes the sheet as a one-page PDF file. False when the file cannot be written.
bool writeSheetPdf(const SheetInputs& inputs, const QString& path);

}  // namespace hobwise
