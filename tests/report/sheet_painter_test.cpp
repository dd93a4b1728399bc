// The sheet on paper: the painter on an image, a printer and a PDF file, off the GUI
// thread, and the PDF that hobwise-solve writes, read back with pdftotext.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <thread>

#include "report/sheet.h"
#include "report/sheet_painter.h"
#include "sheet_sample.h"

namespace hobwise {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool haveTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }

fs::path tempPath(const std::string& name) {
  return fs::temp_directory_path() / ("hobwise_" + std::to_string(::getpid()) + "_" + name);
}

// Runs a shell command, giving its exit status and standard output.
std::pair<int, std::string> capture(const std::string& command) {
  const fs::path out = tempPath("capture.txt");
  const int raw = std::system((command + " >'" + out.string() + "' 2>/dev/null").c_str());
  std::string text = readFile(out);
  fs::remove(out);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text};
}

// Runs of white space as one blank: pdftotext places words by their positions.
std::string squeezed(const std::string& text) {
  std::istringstream in(text);
  std::string word, out;
  while (in >> word) out += (out.empty() ? "" : " ") + word;
  return out;
}

class SheetPaintTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
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
  const fs::path printed = tempPath("printed.pdf"), written = tempPath("written.pdf");
  bool printOk = false, writeOk = false, unwritable = true;
  std::thread worker([&] {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(printed.string()));
    printOk = printSheet(printer, testing::sheet40());
    writeOk = writeSheetPdf(testing::sheet40(), QString::fromStdString(written.string()));
    unwritable = writeSheetPdf(testing::sheet40(), QStringLiteral("/nonexistent-directory/sheet.pdf"));
  });
  worker.join();
  EXPECT_TRUE(printOk && writeOk);
  EXPECT_FALSE(unwritable);
  for (const fs::path& pdf : {printed, written}) {
    EXPECT_EQ(readFile(pdf).rfind("%PDF", 0), 0u) << pdf;
    if (haveTool("pdfinfo") && haveTool("pdftotext")) {
      const auto [status, info] = capture("pdfinfo '" + pdf.string() + "'");
      EXPECT_EQ(status, 0);
      EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
      EXPECT_NE(info.find("Change Gears"), std::string::npos) << info;
      const std::string text = squeezed(capture("pdftotext '" + pdf.string() + "' -").second);
      for (const char* line : {"Index Constant: 40", "(40 x 1 x 56) / 2 = 1120 = 20 x 56", "(30 x 56) - 1 = 1679 = 73 x 23"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    fs::remove(pdf);
  }
}

}  // namespace
}  // namespace hobwise
