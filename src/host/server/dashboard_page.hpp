#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace qb::host {

// The dashboard's page: styles inline, the script from /dashboard.js, tiles filled in by the script.
std::string dashboardPageHtml();
// A page with one tile (as Dashboard::tile() gives it) and nothing else; the same script keeps it current.
std::string singleWidgetPageHtml(const nlohmann::json& tile, std::string_view title);
std::string_view dashboardScript();
// Nothing but the page's own script and JSON requests; images only from data URIs.
std::string_view dashboardContentSecurityPolicy();

}  // namespace qb::host
