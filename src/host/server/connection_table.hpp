#pragma once

// The open connections, least recently active first, and the choice of one to close when a new
// connection needs room.

#include <cstddef>
#include <list>
#include <string>

namespace qb::host {

class Connection;

class ConnectionTable {
  public:
    struct Entry {
        Connection* connection = nullptr;
        std::string client;  // the peer's address
    };
    using Handle = std::list<Entry>::iterator;

    Handle add(Connection* connection, std::string client);
    void remove(Handle handle);
    // The connection began a new request: it is now the most recently active.
    void touch(Handle handle);

    std::size_t size() const { return entries_.size(); }
    std::size_t countFrom(const std::string& client) const;

    // The connection to close to make room: an idle one, strangers' before the owner's, the least
    // recently active first, only among `client`'s when it is given. Null when every one is busy.
    Connection* victim(const std::string* client) const;

    // Every connection, for shutdown (a copy: closing one removes it).
    std::list<Entry> all() const { return entries_; }

  private:
    std::list<Entry> entries_;
};

}  // namespace qb::host
