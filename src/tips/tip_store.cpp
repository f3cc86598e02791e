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
#include "tips/single_flight.hpp"

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

struct HttpClientSetting {
    std::mutex mutex;
    std::shared_ptr<const HttpClient> value;
};

HttpClientSetting& httpClientSetting() {
    static HttpClientSetting setting;
    return setting;
}

std::shared_ptr<const HttpClient> programHttpClient() {
    auto& setting = httpClientSetting();
    std::lock_guard lock(setting.mutex);
    return setting.value;
}

// The shared store's client: the one the program gave, looked up at every download.
class ProgramHttpClient final : public HttpClient {
  public:
    HttpResult get(const std::string& url) const override {
        if (const auto client = programHttpClient()) return client->get(url);
        HttpResult result;
        result.error = "This program was built without a way to download";
        return result;
    }
    void cancelAll() const override {
        if (const auto client = programHttpClient()) client->cancelAll();
    }
};

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

// The tips of one download, or why it gave none.
struct DownloadedTips {
    std::vector<TipItem> tips;
    std::optional<std::string> error;
};

// A download counts only when it yields tips: an error status, an empty answer, a page that is no feed
// (the sign-in page of a hotel's network) and a feed without tips are failed downloads, and the stale
// cache is served instead.
DownloadedTips downloadTips(const HttpClient& http, const std::string& url) {
    HttpResult result = http.get(url);
    if (result.error) return {{}, std::move(result.error)};
    if (result.status >= 400)
        return {{}, fmt::format("The server answered with HTTP status {}; try again later", result.status)};
    if (result.body.empty())
        return {{}, fmt::format("The server sent no feed (HTTP status {}); try again later", result.status)};
    auto feed = RSSParser::parseFeed(result.body);
    if (!feed.tips.empty()) return {std::move(feed.tips), std::nullopt};
    if (feed.problem)
        return {{},
                fmt::format("The server's answer (HTTP status {}) is no tips feed: {}", result.status,
                            *feed.problem)};
    return {{}, "The feed held no tips"};
}

}  // namespace

TipStore::TipStore(std::shared_ptr<const HttpClient> http, Clock clock,
                   std::optional<std::filesystem::path> cacheFolder, std::optional<std::string> feedBase,
                   LanguagesSource languages)
    : http_(std::move(http)),
      clock_(std::move(clock)),
      cacheFolder_(std::move(cacheFolder)),
      feedBase_(std::move(feedBase)),
      languages_(std::move(languages)),
      downloads_(std::make_shared<SingleFlight<std::vector<TipItem>>>()) {}

const TipStore& TipStore::shared() {
    static const TipStore store(std::make_shared<ProgramHttpClient>(), systemClock(), std::nullopt,
                                std::nullopt, [] { return preferredLanguages(); });
    return store;
}

TipStore TipStore::make(std::shared_ptr<const HttpClient> http, Clock clock,
                        std::filesystem::path cacheFolder, std::string feedBase, LanguagesSource languages) {
    return TipStore(std::move(http), std::move(clock), std::move(cacheFolder), std::move(feedBase),
                    std::move(languages));
}

void TipStore::useHttpClient(std::shared_ptr<const HttpClient> http) {
    auto& setting = httpClientSetting();
    std::lock_guard lock(setting.mutex);
    setting.value = std::move(http);
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
    auto url = Url::parse(address);
    if (!url) return loadCache(/*ignoreExpiry=*/true).value_or(std::vector<TipItem>{});
    // Several widgets asking at once (every family of a dashboard) share one download.
    return downloads_->run(url->string(), [&] { return downloadOrFallBack(url->string()); });
}

std::vector<TipItem> TipStore::downloadOrFallBack(const std::string& url) const {
    // A download that ended since this request found the cache stale has written a fresh one.
    if (auto fresh = loadCache()) return *fresh;
    auto downloaded = downloadTips(*http_, url);
    if (!downloaded.error) {
        saveCache(downloaded.tips);
        return std::move(downloaded.tips);
    }
    logger().error("Failed to fetch tips feed: %{public}s", *downloaded.error);
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
