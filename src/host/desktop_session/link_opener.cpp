#include "host/desktop_session/link_opener.hpp"

#include <gio/gio.h>

#include <algorithm>
#include <cstdlib>

#include <fmt/format.h>

#include "core/link_policy.hpp"
#include "host/server/open_url.hpp"

namespace qb::host {

std::optional<std::string> openDesktopLink(const Url& url, GAppLaunchContext* context) {
    if (!isOpenableScheme(url))
        return "a widget opens only Quillbrook's own links and http, https, mailto and file links";
    if (const char* opener = std::getenv("QUILLBROOK_WIDGETS_OPENER"); opener && *opener) {
        auto failure = openWithDesktop(url.string(), opener);
        return failure.empty() ? std::nullopt : std::optional<std::string>(failure);
    }
    std::string scheme = url.scheme().value_or("");
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // A file opens with the application for its type; every other scheme needs a handler of its own,
    // and without one GIO's message would not say which is missing.
    if (scheme != "file") {
        GAppInfo* handler = g_app_info_get_default_for_uri_scheme(scheme.c_str());
        if (!handler) return fmt::format("no application opens {} links", scheme);
        g_object_unref(handler);
    }
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(url.string().c_str(), context, &error)) return std::nullopt;
    std::string message = error ? error->message : "the desktop could not open it";
    if (error) g_error_free(error);
    return message;
}

}  // namespace qb::host
