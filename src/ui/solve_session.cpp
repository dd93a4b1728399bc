#include "ui/solve_session.h"

#include <QMetaObject>
#include <QObject>

namespace hobwise::ui {

void SolveSession::start(const JobInputs& inputs, const SolveOptions& options, const GearStock& stock,
                         StatusHandler status, FinishHandler finished) {
  if (running_) return;
  stop_ = false;
  running_ = true;
  thread_ = std::thread([this, inputs, options, stock, status = std::move(status), finished = std::move(finished)] {
    SolveCallbacks callbacks;
    callbacks.status = [this, status](const std::string& text) {
      const QString t = QString::fromStdString(text);
      QMetaObject::invokeMethod(context_, [status, t] { status(t); }, Qt::QueuedConnection);
    };
    callbacks.stop = &stop_;
    auto report = std::make_shared<SolveReport>();
    try {
      *report = runSolve(inputs, stock, options, callbacks);
    } catch (...) {
      *report = SolveReport{};
      report->failed = true;
    }
    QMetaObject::invokeMethod(
        context_,
        [this, report, finished] {
          if (thread_.joinable()) thread_.join();
          running_ = false;
          finished(report);
        },
        Qt::QueuedConnection);
  });
}

void SolveSession::stopAndWait() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace hobwise::ui
