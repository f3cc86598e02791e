#pragma once

// The dashboard's HTTP interface: the page and its script, the JSON the page polls, and a JSON API
// that mirrors the program's commands (list, options, timeline).

namespace httplib {
class Server;
}

namespace qb::host {

class Dashboard;

// Installs every route on the server, and the check that refuses requests whose Host header is not a
// loopback name (403) and state-changing requests from pages of other origins (403).
void installRoutes(httplib::Server& server, Dashboard& dashboard);

}  // namespace qb::host
