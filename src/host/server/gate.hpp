#pragma once

// Who may use the dashboard, judged from a request's head: requests addressed to the dashboard's own
// loopback name and port, sent from no page or from the dashboard's own page, carrying the owner's
// secret; changes only as JSON, which no other site's page can send without asking first.

#include "host/server/http_message.hpp"
#include "host/server/owner_secret.hpp"
#include "host/server/request_handler.hpp"

namespace qb::host {

// The refusal (403 with one line that says how to get in), the exchange of the address's token for
// the session cookie (303 to the dashboard's page or the single widget's page asked for, so that the
// token leaves the address bar and the history), or nothing for a request that may go on.
Admission admitRequest(const HttpRequest& head, int port, const OwnerSecret& secret);

}  // namespace qb::host
