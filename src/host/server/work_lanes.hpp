#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qb::host {

// A fixed number of lanes, each a thread of its own running the jobs posted to it in order. The
// dashboard gives every widget kind a lane, so that one kind's slow provider (a feed download that
// hangs) holds up only that kind's work.
class WorkLanes {
  public:
    explicit WorkLanes(std::size_t lanes);
    ~WorkLanes();
    WorkLanes(const WorkLanes&) = delete;
    WorkLanes& operator=(const WorkLanes&) = delete;

    std::size_t size() const { return lanes_.size(); }

    // Queues a job on a lane. False (and the job dropped) once the lanes are stopping.
    bool post(std::size_t lane, std::function<void()> job);
    // The same, but false when the lane already has `maxQueued` jobs waiting: work that a client
    // asks for is refused rather than piled up behind a provider that hangs.
    bool tryPost(std::size_t lane, std::function<void()> job, std::size_t maxQueued);

    // Drops the queued jobs and waits for the running ones. Whoever stops the lanes first ends what
    // may hang in them (the tips store's downloads). Safe to call more than once.
    void stop();

  private:
    struct Lane {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::function<void()>> jobs;
        bool stopping = false;
        std::thread thread;
    };

    bool enqueue(Lane& lane, std::function<void()>& job, std::size_t maxQueued);
    static void run(Lane& lane);

    std::vector<std::unique_ptr<Lane>> lanes_;
};

}  // namespace qb::host
