#include "host/engine/schedule.hpp"

#include <algorithm>
#include <set>
#include <string_view>

namespace qb::engine {

void Schedule::add(InstanceId id, Date due, bool usesNetwork, std::string lane) {
    slots_[id] = Slot{due, usesNetwork, std::move(lane), true, false, std::nullopt};
}

void Schedule::remove(InstanceId id) {
    slots_.erase(id);
}

void Schedule::requestBy(InstanceId id, Date at) {
    auto found = slots_.find(id);
    if (found == slots_.end()) return;
    Slot& slot = found->second;
    if (slot.running)
        slot.askedWhileRunning = std::min(slot.askedWhileRunning.value_or(at), at);
    else
        slot.due = std::min(slot.due, at);
}

void Schedule::setVisible(InstanceId id, bool visible) {
    if (auto found = slots_.find(id); found != slots_.end()) found->second.visible = visible;
}

void Schedule::started(InstanceId id) {
    if (auto found = slots_.find(id); found != slots_.end()) found->second.running = true;
}

void Schedule::finished(InstanceId id, Date next) {
    auto found = slots_.find(id);
    if (found == slots_.end()) return;
    Slot& slot = found->second;
    slot.running = false;
    slot.due = std::min(next, slot.askedWhileRunning.value_or(next));
    slot.askedWhileRunning.reset();
}

std::vector<InstanceId> Schedule::due(Date now) const {
    std::vector<std::pair<Date, InstanceId>> ready;
    bool networkBusy = false;
    std::set<std::string_view> busyLanes;
    for (const auto& [id, slot] : slots_) {
        if (slot.running) {
            networkBusy = networkBusy || slot.usesNetwork;
            if (!slot.lane.empty()) busyLanes.insert(slot.lane);
        } else if (eligible(slot) && slot.due <= now) {
            ready.emplace_back(slot.due, id);
        }
    }
    std::sort(ready.begin(), ready.end());
    std::vector<InstanceId> ids;
    for (const auto& [date, id] : ready) {
        const Slot& slot = slots_.at(id);
        if ((slot.usesNetwork && networkBusy) || (!slot.lane.empty() && busyLanes.contains(slot.lane)))
            continue;
        networkBusy = networkBusy || slot.usesNetwork;
        if (!slot.lane.empty()) busyLanes.insert(slot.lane);
        ids.push_back(id);
    }
    return ids;
}

std::optional<Date> Schedule::nextWake(Date now) const {
    std::optional<Date> earliest;
    for (const auto& [id, slot] : slots_)
        if (eligible(slot) && slot.due > now) earliest = std::min(earliest.value_or(slot.due), slot.due);
    return earliest;
}

std::optional<Date> Schedule::dateOf(InstanceId id) const {
    auto found = slots_.find(id);
    if (found == slots_.end()) return std::nullopt;
    return found->second.due;
}

bool Schedule::isRunning(InstanceId id) const {
    auto found = slots_.find(id);
    return found != slots_.end() && found->second.running;
}

}  // namespace qb::engine
