#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qb::engine {

// At most a fixed number of threads running posted jobs in order. Threads start when work first needs
// them and then wait without a timeout, so an idle pool never wakes. Jobs still queued when the pool is
// destroyed are dropped; running ones are waited for. No lock is held while a job runs.
class WorkerPool {
  public:
    explicit WorkerPool(unsigned maxThreads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void post(std::function<void()> job);

  private:
    void run();

    const unsigned maxThreads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    unsigned waiting_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace qb::engine
