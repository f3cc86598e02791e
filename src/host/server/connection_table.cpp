#include "host/server/connection_table.hpp"

#include <algorithm>

#include "host/server/connection.hpp"

namespace qb::host {

ConnectionTable::Handle ConnectionTable::add(Connection* connection, std::string client) {
    return entries_.insert(entries_.end(), Entry{connection, std::move(client)});
}

void ConnectionTable::remove(Handle handle) {
    entries_.erase(handle);
}

void ConnectionTable::touch(Handle handle) {
    entries_.splice(entries_.end(), entries_, handle);
}

std::size_t ConnectionTable::countFrom(const std::string& client) const {
    return static_cast<std::size_t>(
        std::ranges::count_if(entries_, [&](const Entry& entry) { return entry.client == client; }));
}

Connection* ConnectionTable::victim(const std::string* client) const {
    Connection* ownersOldest = nullptr;
    for (const auto& entry : entries_) {
        if ((client && entry.client != *client) || !entry.connection->idle()) continue;
        if (!entry.connection->owner()) return entry.connection;
        if (!ownersOldest) ownersOldest = entry.connection;
    }
    return ownersOldest;
}

}  // namespace qb::host
