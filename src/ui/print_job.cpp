#include "ui/print_job.h"

#include <memory>

#include <QDialog>
#include <QFile>
#include <QMetaObject>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

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

// What failed when a sheet did not come out of the printer (or into the PDF file
// `pdfPath` of a test).
QString failureOf(const QPrinter& printer, const QString& pdfPath) {
  if (!pdfPath.isEmpty()) return QStringLiteral("the file %1 could not be written.").arg(pdfPath);
  if (printer.outputFormat() == QPrinter::PdfFormat)
    return QStringLiteral("the file %1 could not be written.").arg(printer.outputFileName());
  return QStringLiteral("the printer \"%1\" did not take the document.").arg(printer.printerName());
}

}  // namespace

PrintJob::PrintJob(QObject* context)
    : context_(context), printersInstalled_([] { return !QPrinterInfo::availablePrinterNames().isEmpty(); }) {}

bool PrintJob::start(const SheetInputs& inputs, QWidget* dialogOwner,
                     std::function<void(const QString& failure)> finished) {
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
    const QString failure = ok ? QString() : failureOf(*printer, pdfPath);
    QMetaObject::invokeMethod(
        context_,
        [this, ok, failure, finished] {
          wait();
          running_ = false;
          lastOk_ = ok;
          finished(failure);
        },
        Qt::QueuedConnection);
  });
  return true;
}

void PrintJob::wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace hobwise::ui
