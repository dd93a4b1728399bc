#include "ui/print_job.h"

#include <memory>

#include <QDialog>
#include <QMetaObject>
#include <QPrintDialog>
#include <QPrinter>

#include "painting/sheet_painter.h"

namespace hobwise::ui {

bool PrintJob::start(const SheetInputs& inputs, QWidget* dialogOwner, std::function<void(bool ok)> finished) {
  auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
  if (!pdfPath_.isEmpty()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdfPath_);
  } else {
    QPrintDialog dialog(printer.get(), dialogOwner);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return false;
  }
  running_ = true;
  thread_ = std::thread([this, printer, inputs, finished = std::move(finished)] {
    bool ok = false;
    try {
      ok = printSheet(*printer, inputs);
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
