#include "ui/print_job.h"

#include <memory>

#include <QDialog>
#include <QFile>
#include <QMetaObject>
#include <QPrintDialog>
#include <QPrinter>

#include "hobwise/files.h"
#include "painting/sheet_painter.h"

namespace hobwise::ui {

namespace {

// The sheet printed into the PDF file `path` of a test, whole or not at all.
bool printToPdfFile(QPrinter& printer, const SheetInputs& inputs, const QString& path) {
  return writeViaTemporary(QFile::encodeName(path).toStdString(), [&](const std::string& temporary) {
           printer.setOutputFileName(QFile::decodeName(QByteArray::fromStdString(temporary)));
           return printSheet(printer, inputs) ? std::nullopt : std::optional<std::string>("the sheet was not printed");
         })
      .ok();
}

}  // namespace

bool PrintJob::start(const SheetInputs& inputs, QWidget* dialogOwner, std::function<void(bool ok)> finished) {
  auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
  if (!pdfPath_.isEmpty()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
  } else {
    QPrintDialog dialog(printer.get(), dialogOwner);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return false;
  }
  running_ = true;
  thread_ = std::thread([this, printer, inputs, pdfPath = pdfPath_, finished = std::move(finished)] {
    bool ok = false;
    try {
      ok = pdfPath.isEmpty() ? printSheet(*printer, inputs) : printToPdfFile(*printer, inputs, pdfPath);
    } catch (...) {
      ok = false;
    }
    QMetaObject::invokeMethod(
        context_,
        [this, ok, finished] {
          wait();
          running_ = false;
          lastOk_ = ok;
          finished(ok);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void PrintJob::wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace hobwise::ui
