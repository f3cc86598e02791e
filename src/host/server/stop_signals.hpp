#pragma once

// SIGINT and SIGTERM as a request to stop: blocked in every thread started after this object, and
// waited for on a thread of its own, so that no other thread's system call is interrupted and no
// signal that comes early (before the server runs) is lost.

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace qb::host {

class StopSignals {
  public:
    // Make it before any other thread starts.
    StopSignals();
    // Consumes signals that came too late to matter and restores the signal mask.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Calls `stop` (on the waiting thread) at the first SIGINT or SIGTERM, even one that came before.
    void onSignal(std::function<void()> stop);

  private:
    void wait();

    sigset_t signals_{};
    sigset_t previous_{};
    std::function<void()> stop_;
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace qb::host
