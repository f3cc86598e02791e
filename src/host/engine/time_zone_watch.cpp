#include "host/engine/time_zone_watch.hpp"

#include <algorithm>
#include <ctime>
#include <memory>

#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace qb::engine {
namespace {

// More links than this on the way to the zone file means a loop.
constexpr int maxLinks = 8;

std::string defaultZoneId() {
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    zone->getID(id);
    std::string text;
    id.toUTF8String(text);
    return text;
}

}  // namespace

TimeZoneWatch::TimeZoneWatch(GMainContext* context, std::function<void()> changed,
                             std::filesystem::path localtime)
    : localtime_(std::move(localtime)),
      changed_(std::move(changed)),
      folders_(context, [this](const auto& folder, const auto& name) { folderChanged(folder, name); }) {
    follow();
}

void TimeZoneWatch::follow() {
    chain_ = {localtime_};
    std::error_code error;
    for (int hop = 0; hop < maxLinks && std::filesystem::is_symlink(chain_.back(), error); ++hop) {
        auto target = std::filesystem::read_symlink(chain_.back(), error);
        if (error) break;
        if (target.is_relative()) target = chain_.back().parent_path() / target;
        chain_.push_back(target.lexically_normal());
    }
    std::vector<std::filesystem::path> folders;
    for (const auto& link : chain_) folders.push_back(link.parent_path());
    folders_.setFolders(std::move(folders));
}

void TimeZoneWatch::folderChanged(const std::filesystem::path& folder,
                                  const std::optional<std::string>& name) {
    if (name && std::find(chain_.begin(), chain_.end(), folder / *name) == chain_.end()) return;
    follow();
    changed_();
}

bool resetProcessTimeZone() {
    const std::string before = defaultZoneId();
    tzset();
    // ICU reads the host's zone once and keeps it; detectHostTimeZone() reads it again (TZ, else the
    // link's target).
    icu::TimeZone::adoptDefault(icu::TimeZone::detectHostTimeZone());
    return defaultZoneId() != before;
}

}  // namespace qb::engine
