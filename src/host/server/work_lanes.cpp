#include "host/server/work_lanes.hpp"

#include <limits>

namespace qb::host {

WorkLanes::WorkLanes(std::size_t lanes) {
    for (std::size_t i = 0; i < lanes; ++i) {
        auto& lane = *lanes_.emplace_back(std::make_unique<Lane>());
        lane.thread = std::thread([&lane] { run(lane); });
    }
}

WorkLanes::~WorkLanes() {
    stop();
}

bool WorkLanes::post(std::size_t lane, std::function<void()> job) {
    return tryPost(lane, std::move(job), std::numeric_limits<std::size_t>::max());
}

bool WorkLanes::tryPost(std::size_t lane, std::function<void()> job, std::size_t maxQueued) {
    if (lane >= lanes_.size()) return false;
    return enqueue(*lanes_[lane], job, maxQueued);
}

bool WorkLanes::enqueue(Lane& lane, std::function<void()>& job, std::size_t maxQueued) {
    {
        std::scoped_lock lock(lane.mutex);
        if (lane.stopping || lane.jobs.size() >= maxQueued) return false;
        lane.jobs.push_back(std::move(job));
    }
    lane.wake.notify_one();
    return true;
}

void WorkLanes::stop() {
    for (auto& lane : lanes_) {
        std::deque<std::function<void()>> dropped;
        {
            std::scoped_lock lock(lane->mutex);
            lane->stopping = true;
            dropped.swap(lane->jobs);
        }
        lane->wake.notify_all();
    }
    for (auto& lane : lanes_)
        if (lane->thread.joinable()) lane->thread.join();
}

void WorkLanes::run(Lane& lane) {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(lane.mutex);
            lane.wake.wait(lock, [&] { return lane.stopping || !lane.jobs.empty(); });
            if (lane.stopping) return;
            job = std::move(lane.jobs.front());
            lane.jobs.pop_front();
        }
        job();
    }
}

}  // namespace qb::host
