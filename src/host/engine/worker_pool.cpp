#include "host/engine/worker_pool.hpp"

#include <algorithm>

namespace qb::engine {

WorkerPool::WorkerPool(unsigned maxThreads) : maxThreads_(std::max(1u, maxThreads)) {}

WorkerPool::~WorkerPool() {
    {
        std::scoped_lock lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    for (auto& thread : threads_) thread.join();
}

void WorkerPool::post(std::function<void()> job) {
    {
        std::scoped_lock lock(mutex_);
        if (stopping_) return;
        jobs_.push_back(std::move(job));
        if (waiting_ < jobs_.size() && threads_.size() < maxThreads_)
            threads_.emplace_back([this] { run(); });
    }
    wake_.notify_one();
}

void WorkerPool::run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            ++waiting_;
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            --waiting_;
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

}  // namespace qb::engine
