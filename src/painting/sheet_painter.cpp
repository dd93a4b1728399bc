#include "painting/sheet_painter.h"

#include <algorithm>

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>

#include "hobwise/files.h"

namespace hobwise {

namespace {

// The page font: Arial (or the nearest sans-serif face, such as the metric-compatible
// Liberation Sans), normal weight, whose character cell (ascent + descent) is the
// given height in the device's pixels.
QFont pageFont(int cellHeight, QPaintDevice* device) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif, QFont::PreferQuality);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  if (cellHeight < 1) cellHeight = 1;
  font.setPixelSize(cellHeight);
  // A pixel size is the em height; the cell is taller by the font's internal leading.
  // Shrink the em until the cell fits.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int cell = QFontMetrics(font, device).height();
    if (cell <= cellHeight || font.pixelSize() <= 1) break;
    const int smaller = static_cast<int>(static_cast<long long>(font.pixelSize()) * cellHeight / cell);
    font.setPixelSize(smaller < font.pixelSize() ? std::max(1, smaller) : font.pixelSize() - 1);
  }
  return font;
}

}  // namespace

void paintSheet(QPainter& painter, const SheetInputs& inputs, int printableWidth, int printableHeight) {
  const QFont font = pageFont(printableHeight / 51, painter.device());
  const QFontMetrics metrics(font, painter.device());
  const MeasureText measure = [&metrics](const std::string& text) {
    return std::pair<int, int>(metrics.horizontalAdvance(QString::fromUtf8(text)), metrics.height());
  };
  const SheetLayout layout = sheetLayoutOf(inputs, printableWidth, printableHeight, measure);

  painter.save();
  painter.setFont(font);
  painter.setPen(QPen());
  for (const SheetText& text : layout.texts) {
    // Texts are placed by their top-left corner; Qt draws from the baseline.
    painter.drawText(QPointF(text.x, text.y + metrics.ascent()), QString::fromUtf8(text.text));
  }
  for (const SheetBar& bar : layout.bars) {
    painter.drawLine(QPointF(bar.x1, bar.y1), QPointF(bar.x2, bar.y2));
  }
  painter.restore();
}

bool printSheet(QPrinter& printer, const SheetInputs& inputs) {
  printer.setDocName(QStringLiteral("Change Gears"));
  printer.setFullPage(false);  // origin at the printable area's corner
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  paintSheet(painter, inputs, area.width(), area.height());
  return painter.end();
}

QByteArray sheetPdfBytes(const SheetInputs& inputs) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(QStringLiteral("Change Gears"));
    writer.setCreator(QStringLiteral("Hobwise"));
    writer.setResolution(600);
    // A US Letter page with the quarter-inch unprintable edge of a common printer.
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
    QPainter painter;
    if (!painter.begin(&writer)) return QByteArray();
    const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
    paintSheet(painter, inputs, area.width(), area.height());
    if (!painter.end()) return QByteArray();
  }  // the writer finishes the file when it goes
  return buffer.data();
}

std::string writeSheetPdf(const SheetInputs& inputs, const std::string& path) {
  // A target that cannot be written is refused before any painting.
  if (WriteResult refused = checkWriteTarget(path); !refused.ok()) return refused.error;
  const QByteArray pdf = sheetPdfBytes(inputs);
  if (pdf.isEmpty()) return "cannot write " + quoteText(path, Keep::kEnd) + ": the sheet could not be painted";
  return writeFileAtomically(path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))).error;
}

}  // namespace hobwise
