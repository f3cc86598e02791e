#include "core/widget_services.hpp"

#include <cstdlib>
#include <optional>

#ifndef QB_FEED_HOST
#error "QB_FEED_HOST names the server of the tips feed; the build sets it"
#endif

namespace qb {
namespace {

std::optional<std::filesystem::path> environmentPath(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::filesystem::path(value);
}

}  // namespace

WidgetServices WidgetServices::user(std::shared_ptr<const HttpClient> http) {
    const auto& home = QuillbrookPaths::system().realHome();
    return WidgetServices{systemClock(), std::move(http), home, userCacheFolder(home), defaultFeedBase(), {}};
}

std::filesystem::path WidgetServices::userCacheFolder(const std::filesystem::path& home) {
    // A relative XDG_CACHE_HOME is invalid and ignored. The rule names $HOME; the real home stands in
    // only where that is unset.
    if (auto xdg = environmentPath("XDG_CACHE_HOME"); xdg && xdg->is_absolute())
        return *xdg / "quillbrook-widgets";
    return environmentPath("HOME").value_or(home) / ".cache" / "quillbrook-widgets";
}

std::string WidgetServices::defaultFeedBase() {
    return std::string("https://") + QB_FEED_HOST;
}

}  // namespace qb
