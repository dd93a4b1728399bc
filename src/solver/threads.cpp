// The threads of a stage.
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "solver/internal/run_control.h"

namespace hobwise::solver {

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)

// In the browser an engine instance has one thread (the page runs several instances
// side by side instead): the work runs on the calling thread alone. Every stage hands
// its work out in turns until none is left, so one thread does all of it, as on one
// processor; no other thread is there to be told of a failure.
void runOnThreads(std::size_t, const std::function<void()>& work, const std::function<void()>&) { work(); }

#else

void runOnThreads(std::size_t count, const std::function<void()>& work, const std::function<void()>& failed) {
  std::exception_ptr failure;
  std::mutex failureLock;
  auto guarded = [&] {
    try {
      work();
    } catch (...) {
      std::lock_guard lock(failureLock);
      if (!failure) failure = std::current_exception();
      if (failed) failed();
    }
  };
  std::vector<std::thread> pool;
  try {
    for (std::size_t t = 1; t < count; ++t) pool.emplace_back(guarded);
  } catch (...) {
    std::lock_guard lock(failureLock);
    if (!failure) failure = std::current_exception();
  }
  guarded();
  for (auto& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

#endif

}  // namespace hobwise::solver
