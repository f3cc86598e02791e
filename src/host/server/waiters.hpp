#pragma once

// Requests that wait for the tiles to change (long polls, a parameter change waiting for its redraw),
// each with a timer of its own on the server's thread rather than a thread of its own.

#include <boost/asio/any_io_executor.hpp>
#include <boost/asio/steady_timer.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace qb::host {

class Waiters {
  public:
    Waiters(boost::asio::any_io_executor executor, std::size_t capacity);
    Waiters(const Waiters&) = delete;
    Waiters& operator=(const Waiters&) = delete;

    // Parks a request. `finish` runs once, on the server's thread: as soon as `ready` holds (asked now
    // and at every wake()), at the deadline, when a newer request pushes it out (more than `capacity`
    // wait: the oldest goes first), or at stop().
    void add(std::function<bool()> ready, std::function<void()> finish, std::chrono::milliseconds timeout);
    // Asks every waiting request whether it is ready. Call on the server's thread.
    void wake();
    // Finishes every waiting request now.
    void stop();

    std::size_t size() const { return waiting_.size(); }

  private:
    struct Waiter {
        std::function<bool()> ready;
        std::function<void()> finish;
        std::unique_ptr<boost::asio::steady_timer> timer;
    };

    void finish(std::uint64_t id);

    boost::asio::any_io_executor executor_;
    std::size_t capacity_;
    std::map<std::uint64_t, Waiter> waiting_;  // oldest first
    std::uint64_t next_ = 0;
};

}  // namespace qb::host
