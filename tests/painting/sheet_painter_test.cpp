// The sheet on paper: the painter on an image, a printer and a PDF file off the GUI
// thread, read back with pdftotext.
#include <gtest/gtest.h>

#include <QtGui>
#include <QtPrintSupport>
#include <memory>
#include <thread>

#include "report/sheet.h"
#include "painting/sheet_painter.h"
#include "sheet_sample.h"

namespace hobwise {
namespace {

// A program's standard output, or nothing when it is not installed.
QString output(const QString& program, const QStringList& args) {
  if (QStandardPaths::findExecutable(program).isEmpty()) return {};
  QProcess process;
  process.start(program, args);
  process.waitForFinished(-1);
  return QString::fromUtf8(process.readAllStandardOutput()).simplified();  // pdftotext places words by position
}

class SheetPaintTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "sheet_painter_test";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  static void TearDownTestSuite() { app_.reset(); }
  static std::unique_ptr<QGuiApplication> app_;
};
std::unique_ptr<QGuiApplication> SheetPaintTest::app_;

TEST_F(SheetPaintTest, PaintsTextsAndBothFractionBarsOnAnImage) {
  const int width = 1000, height = 1400;
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    paintSheet(painter, testing::sheet40(), width, height);
  }
  const auto dark = [&](double x0, double x1, int y0, int y1) {
    int count = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = static_cast<int>(x0); x < static_cast<int>(x1); ++x) count += qGray(image.pixel(x, y)) < 128;
    return count;
  };
  // The fraction bars: a run of dark pixels through 36 % of the width, one font height
  // below the numerator's top.
  const int unit = height / 36, fontHeight = height / 51;
  for (double row : {21.7, 29.7}) {
    const int barY = static_cast<int>(row * unit + fontHeight);
    EXPECT_GT(std::max({dark(0, width, barY - 1, barY), dark(0, width, barY, barY + 1), dark(0, width, barY + 1, barY + 2)}), 30) << row;
    EXPECT_GT(dark(width * 0.36, width * 0.36 + 1, barY - 1, barY + 2), 0) << row;
  }
  EXPECT_GT(dark(width * 0.02, width / 2, unit, unit + fontHeight), 100);  // the heading on line 1
  EXPECT_EQ(dark(0, width, 0, unit - 1) + dark(0, width * 0.02 - 1, 0, height), 0);  // nothing above it or left of the margin
}

TEST_F(SheetPaintTest, PrintsAndWritesOnePageOffTheGuiThread) {
  QTemporaryDir dir;
  const QString printed = dir.filePath("printed.pdf"), written = dir.filePath("written.pdf");
  bool printOk = false;
  std::string writeError = "not run", unwritable;
  std::thread worker([&] {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printed);
    printOk = printSheet(printer, testing::sheet40());
    writeError = writeSheetPdf(testing::sheet40(), written.toStdString());
    unwritable = writeSheetPdf(testing::sheet40(), "/nonexistent-directory/sheet.pdf");
  });
  worker.join();
  EXPECT_TRUE(printOk);
  EXPECT_EQ(writeError, "");
  EXPECT_EQ(unwritable, "cannot write \"/nonexistent-directory/sheet.pdf\": No such file or directory");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary file left
  for (const QString& pdf : {printed, written}) {
    QFile file(pdf);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.read(4) == "%PDF") << pdf.toStdString();
    const QString info = output("pdfinfo", {pdf}), text = output("pdftotext", {pdf, "-"});
    if (info.isEmpty() || text.isEmpty()) continue;  // poppler-utils not installed
    EXPECT_TRUE(info.contains("Pages: 1 ") && info.contains("Change Gears")) << info.toStdString();
    for (const char* line : {"Index Constant: 40", "(40 x 1 x 56) / 2 = 1120 = 20 x 56", "(30 x 56) - 1 = 1679 = 73 x 23"})
      EXPECT_TRUE(text.contains(line)) << line;
  }
}

}  // namespace
}  // namespace hobwise
