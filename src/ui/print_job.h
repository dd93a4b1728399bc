#pragma once
// The print job: asks for a printer, then prints the set-up sheet on a thread of its
// own; the end comes back to the GUI thread through a queued call on the context.
#include <functional>
#include <thread>

#include <QString>

#include "hobwise/sheet.h"

class QObject;
class QWidget;

namespace hobwise::ui {

class PrintJob {
 public:
  explicit PrintJob(QObject* context);
  ~PrintJob() { wait(); }
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  bool running() const { return running_; }
  bool lastSucceeded() const { return lastOk_; }

  // Whether there is anything to print on: an installed printer (or the test's PDF).
  bool canPrint() const { return !pdfPath_.isEmpty() || printersInstalled_(); }

  // Asks the print dialog (owned by `dialogOwner`) for a printer and prints `inputs`
  // on a thread of its own; `finished` runs once the sheet is done, with the empty
  // text or what failed. Returns false when the dialog was cancelled: nothing is
  // printed.
  bool start(const SheetInputs& inputs, QWidget* dialogOwner, std::function<void(const QString& failure)> finished);
  void wait();

  // For tests: print into this PDF file instead of asking the dialog (empty: ask),
  // and what stands for the printers installed on the system.
  void setPdfOutputForTesting(const QString& path) { pdfPath_ = path; }
  void setPrintersInstalledForTesting(std::function<bool()> installed) { printersInstalled_ = std::move(installed); }

 private:
  QObject* context_;
  std::thread thread_;
  bool running_ = false;
  bool lastOk_ = false;
  QString pdfPath_;
  std::function<bool()> printersInstalled_;
};

}  // namespace hobwise::ui
