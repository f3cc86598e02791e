#include "tips/tip_store.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fmt/format.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.hpp"
#include "platform/localization.hpp"
#include "platform/log.hpp"
#include "platform/url.hpp"
#include "tips/cached_tips.hpp"
#include "tips/rss_parser.hpp"

#ifndef QB_FEED_HOST
#error "QB_FEED_HOST names the server of the tips feed; the build sets it"
#endif

namespace qb {

namespace {

constexpr double cacheLifetime = 21600;  // six hours
constexpr std::string_view cacheFileName = "tips_cache.json";

const Logger& logger() {
    static const Logger instance(logSubsystem, "TipStore");
    return instance;
}

struct FeedBaseSetting {
    std::mutex mutex;
    std::optional<std::string> value;
};

FeedBaseSetting& feedBaseSetting() {
    static FeedBaseSetting setting;
    return setting;
}

std::string programFeedBase() {
    auto& setting = feedBaseSetting();
    std::lock_guard lock(setting.mutex);
    return setting.value.value_or(TipStore::defaultFeedBase());
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

// Creates the folder and any missing folder above it, each readable by the user alone.
std::optional<std::string> createPrivateFolder(const std::filesystem::path& folder) {
    std::filesystem::path partial;
    for (const auto& component : folder) {
        partial /= component;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return fmt::format("Could not create the folder {}: {}", partial.string(), std::strerror(errno));
    }
    return std::nullopt;
}

}  // namespace

TipStore::TipStore(std::shared_ptr<const HttpClient> http, Clock clock,
                   std::optional<std::filesystem::path> cacheFolder, std::optional<std::string> feedBase,
                   LanguagesSource languages)
    : http_(std::move(http)),
      clock_(std::move(clock)),
      cacheFolder_(std::move(cacheFolder)),
      feedBase_(std::move(feedBase)),
      languages_(std::move(languages)) {}

const TipStore& TipStore::shared() {
    static const TipStore store(std::make_shared<CurlHttpClient>(), systemClock(), std::nullopt, std::nullopt,
                                [] { return preferredLanguages(); });
    return store;
}

TipStore TipStore::make(std::shared_ptr<const HttpClient> http, Clock clock,
                        std::filesystem::path cacheFolder, std::string feedBase, LanguagesSource languages) {
    return TipStore(std::move(http), std::move(clock), std::move(cacheFolder), std::move(feedBase),
                    std::move(languages));
}

void TipStore::useFeedBase(std::string feedBase) {
    auto& setting = feedBaseSetting();
    std::lock_guard lock(setting.mutex);
    setting.value = std::move(feedBase);
}

std::string TipStore::defaultFeedBase() {
    return std::string("https://") + QB_FEED_HOST;
}

std::filesystem::path TipStore::defaultCacheFolder() {
    // A relative XDG_CACHE_HOME is invalid and ignored.
    if (auto xdg = environment("XDG_CACHE_HOME"); xdg && std::filesystem::path(*xdg).is_absolute())
        return std::filesystem::path(*xdg) / "quillbrook-widgets";
    std::optional<std::string> home = environment("HOME");
    if (!home) {
        if (const passwd* record = getpwuid(getuid()); record && record->pw_dir) home = record->pw_dir;
    }
    return std::filesystem::path(home.value_or("/tmp")) / ".cache" / "quillbrook-widgets";
}

std::string TipStore::feedLanguage(const std::vector<std::string>& preferredLanguages) {
    if (preferredLanguages.empty()) return "en";
    return preferredLanguages.front().starts_with("de") ? "de" : "en";
}

std::string TipStore::requestURL(std::string_view feedBase, std::string_view language) {
    while (feedBase.ends_with('/')) feedBase.remove_suffix(1);
    return fmt::format("{}/2/apps/supportmaterials.xml.php?product=Quillbrook&edition=Pro&version=4&lang={}",
                       feedBase, language);
}

std::filesystem::path TipStore::cacheURL() const {
    return cacheFolder_.value_or(defaultCacheFolder()) / cacheFileName;
}

void TipStore::cancelDownloads() const {
    http_->cancelAll();
}

std::vector<TipItem> TipStore::fetchTips() const {
    try {
        return fetchOrFallBack();
    } catch (const std::exception& error) {
        logger().error("Failed to fetch tips feed: %{public}s", error.what());
    }
    return {};
}

std::vector<TipItem> TipStore::fetchOrFallBack() const {
    if (auto fresh = loadCache()) return *fresh;

    std::string address = requestURL(feedBase_.value_or(programFeedBase()), feedLanguage(languages_()));
    if (auto url = Url::parse(address)) {
        HttpResult result = http_->get(url->string());
        if (!result.error && result.status >= 400)
            result.error =
                fmt::format("The server answered with HTTP status {}; try again later", result.status);
        if (result.error) {
            logger().error("Failed to fetch tips feed: %{public}s", *result.error);
        } else {
            auto tips = RSSParser::parseTips(result.body);
            if (!tips.empty()) saveCache(tips);
            return tips;
        }
    }
    return loadCache(/*ignoreExpiry=*/true).value_or(std::vector<TipItem>{});
}

std::optional<std::vector<TipItem>> TipStore::loadCache(bool ignoreExpiry) const {
    auto bytes = readFile(cacheURL());
    if (!bytes) return std::nullopt;
    auto cache = decodeCachedTips(*bytes);
    if (!cache) return std::nullopt;
    if (ignoreExpiry) return std::move(cache->tips);
    bool fresh = cache->timestamp.sinceReferenceDate + cacheLifetime > clock_().sinceReferenceDate;
    if (!fresh) return std::nullopt;
    return std::move(cache->tips);
}

void TipStore::saveCache(const std::vector<TipItem>& tips) const {
    auto encoded = encodeCachedTips(CachedTips{clock_(), tips});
    if (encoded.error) {
        logger().error("Failed to write tips cache: %{public}s", *encoded.error);
        return;
    }
    auto path = cacheURL();
    std::error_code ignored;
    if (!std::filesystem::is_directory(path.parent_path(), ignored)) {
        if (auto error = createPrivateFolder(path.parent_path())) {
            logger().error("Failed to write tips cache: %{public}s", *error);
            return;
        }
    }
    if (auto error = writeFileAtomically(path, encoded.bytes))
        logger().error("Failed to write tips cache: %{public}s", *error);
}

}  // namespace qb
