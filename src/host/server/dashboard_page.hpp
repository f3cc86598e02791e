#pragma once

#include <string>
#include <string_view>

namespace qb::host {

// The dashboard's page: styles inline, the script from /dashboard.js, tiles filled in by the script.
std::string dashboardPageHtml();
std::string_view dashboardScript();
// Nothing but the page's own script and JSON requests; images only from data URIs.
std::string_view dashboardContentSecurityPolicy();

}  // namespace qb::host
