#pragma once

#include <future>
#include <map>
#include <mutex>
#include <string>

namespace qb::tips {

// Runs the work for one key once at a time: a caller that comes while the work for its key runs waits
// for that run and shares its result (or its exception) instead of starting its own. The lock is held
// only to look up and record runs, never while the work runs. Safe to use from any thread.
template <class Result>
class SingleFlight {
  public:
    template <class Work>
    Result run(const std::string& key, Work&& work) {
        std::promise<Result> promise;
        std::shared_future<Result> running;
        {
            std::lock_guard lock(mutex_);
            auto [entry, isFirst] = flights_.try_emplace(key);
            if (isFirst) {
                entry->second = promise.get_future().share();
            } else {
                running = entry->second;
            }
        }
        if (running.valid()) return running.get();

        // The run is forgotten before its result is handed out: a caller that comes later starts
        // afresh rather than taking a result that may be old by then.
        try {
            Result result = work();
            forget(key);
            promise.set_value(result);
            return result;
        } catch (...) {
            forget(key);
            promise.set_exception(std::current_exception());
            throw;
        }
    }

  private:
    void forget(const std::string& key) {
        std::lock_guard lock(mutex_);
        flights_.erase(key);
    }

    std::mutex mutex_;
    std::map<std::string, std::shared_future<Result>> flights_;
};

}  // namespace qb::tips
