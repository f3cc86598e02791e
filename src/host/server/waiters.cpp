#include "host/server/waiters.hpp"

#include <vector>

namespace qb::host {

Waiters::Waiters(boost::asio::any_io_executor executor, std::size_t capacity)
    : executor_(std::move(executor)), capacity_(std::max<std::size_t>(1, capacity)) {}

void Waiters::add(std::function<bool()> ready, std::function<void()> finish,
                  std::chrono::milliseconds timeout) {
    if (ready()) return finish();
    while (waiting_.size() >= capacity_) this->finish(waiting_.begin()->first);
    const auto id = next_++;
    auto timer = std::make_unique<boost::asio::steady_timer>(executor_, timeout);
    timer->async_wait([this, id](boost::system::error_code error) {
        // A cancelled timer belongs to a request already finished, perhaps to a dashboard gone.
        if (error != boost::asio::error::operation_aborted) this->finish(id);
    });
    waiting_.emplace(id, Waiter{std::move(ready), std::move(finish), std::move(timer)});
}

void Waiters::finish(std::uint64_t id) {
    auto found = waiting_.find(id);
    if (found == waiting_.end()) return;
    auto waiter = std::move(found->second);
    waiting_.erase(found);
    waiter.timer->cancel();
    waiter.finish();
}

void Waiters::wake() {
    std::vector<std::uint64_t> ready;
    for (const auto& [id, waiter] : waiting_)
        if (waiter.ready()) ready.push_back(id);
    for (auto id : ready) finish(id);
}

void Waiters::stop() {
    while (!waiting_.empty()) finish(waiting_.begin()->first);
}

}  // namespace qb::host
