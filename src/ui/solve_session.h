#pragma once
// A solve run of the window on a thread of its own. The run's progress texts and its
// report come back to the GUI thread through queued calls on the context object.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <QString>

#include "hobwise/job.h"
#include "hobwise/run.h"
#include "hobwise/stock.h"

class QObject;

namespace hobwise::ui {

class SolveSession {
 public:
  using StatusHandler = std::function<void(const QString&)>;
  using FinishHandler = std::function<void(std::shared_ptr<SolveReport>)>;

  // `context` lives on the GUI thread; the handlers run there.
  explicit SolveSession(QObject* context) : context_(context) {}
  ~SolveSession() { stopAndWait(); }
  SolveSession(const SolveSession&) = delete;
  SolveSession& operator=(const SolveSession&) = delete;

  bool running() const { return running_; }

  // Starts a run on what the caller took from the controls. The handler `finished`
  // runs after the run's thread has ended and the session counts as idle again.
  void start(const JobInputs& inputs, const SolveOptions& options, const GearStock& stock, StatusHandler status,
             FinishHandler finished);

  // The workers stop after their current C constant; the run still reports.
  void requestStop() { stop_ = true; }
  void stopAndWait();

 private:
  QObject* context_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  bool running_ = false;
};

}  // namespace hobwise::ui
