#include "host/server/stop_signals.hpp"

#include <pthread.h>

#include <ctime>

namespace qb::host {

StopSignals::StopSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
}

StopSignals::~StopSignals() {
    finished_ = true;
    if (thread_.joinable()) thread_.join();
    timespec none{0, 0};
    while (sigtimedwait(&signals_, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void StopSignals::onSignal(std::function<void()> stop) {
    stop_ = std::move(stop);
    thread_ = std::thread([this] { wait(); });
}

void StopSignals::wait() {
    // Woken every tenth of a second to see whether the program ended without a signal.
    while (!finished_) {
        timespec pause{0, 100'000'000};
        const int signal = sigtimedwait(&signals_, nullptr, &pause);
        if (signal == SIGINT || signal == SIGTERM) return stop_();
    }
}

}  // namespace qb::host
