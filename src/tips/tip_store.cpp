#include "tips/tip_store.hpp"

#include <cerrno>
#include <cstring>

#include <fmt/format.h>
#include <sys/stat.h>

#include "platform/files.hpp"
#include "platform/localization.hpp"
#include "platform/log.hpp"
#include "platform/url.hpp"
#include "tips/cached_tips.hpp"
#include "tips/rss_parser.hpp"
#include "tips/single_flight.hpp"

namespace qb::tips {

namespace {

constexpr std::string_view cacheFileName = "tips_cache.json";

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

TipStore::TipStore(const WidgetServices& services, LanguagesSource languages)
    : http_(services.http),
      clock_(services.clock),
      cacheFolder_(services.cacheFolder),
      feedBase_(services.feedBase),
      languages_(languages ? std::move(languages) : LanguagesSource([] { return preferredLanguages(); })),
      logger_(logSubsystem, "TipStore", services.log),
      downloads_(std::make_shared<SingleFlight<std::vector<TipItem>>>()) {}

TipStore TipStore::forServices(const WidgetServices& services, LanguagesSource languages) {
    return TipStore(services, std::move(languages));
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
    return cacheFolder_ / cacheFileName;
}

bool TipStore::hasFreshCache() const {
    return loadCache().has_value();
}

void TipStore::cancelDownloads() const {
    http_->cancelAll();
}

std::vector<TipItem> TipStore::fetchTips() const {
    try {
        return fetchOrFallBack();
    } catch (const std::exception& error) {
        logger_.error("Failed to fetch tips feed: %{public}s", error.what());
    }
    return {};
}

std::vector<TipItem> TipStore::fetchOrFallBack() const {
    if (auto fresh = loadCache()) return *fresh;

    std::string address = requestURL(feedBase_, feedLanguage(languages_()));
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
    logger_.error("Failed to fetch tips feed: %{public}s", *downloaded.error);
    return loadCache(/*ignoreExpiry=*/true).value_or(std::vector<TipItem>{});
}

std::optional<std::vector<TipItem>> TipStore::loadCache(bool ignoreExpiry) const {
    auto bytes = readFile(cacheURL());
    if (!bytes) return std::nullopt;
    auto cache = decodeCachedTips(*bytes);
    if (!cache) return std::nullopt;
    if (ignoreExpiry) return std::move(cache->tips);
    const bool fresh = cache->timestamp.addingTimeInterval(cacheLifetime) > clock_();
    if (!fresh) return std::nullopt;
    return std::move(cache->tips);
}

void TipStore::saveCache(const std::vector<TipItem>& tips) const {
    auto encoded = encodeCachedTips(CachedTips{clock_(), tips});
    if (encoded.error) {
        logger_.error("Failed to write tips cache: %{public}s", *encoded.error);
        return;
    }
    auto path = cacheURL();
    std::error_code ignored;
    if (!std::filesystem::is_directory(path.parent_path(), ignored)) {
        if (auto error = createPrivateFolder(path.parent_path())) {
            logger_.error("Failed to write tips cache: %{public}s", *error);
            return;
        }
    }
    if (auto error = writeFileAtomically(path, encoded.bytes))
        logger_.error("Failed to write tips cache: %{public}s", *error);
}

}  // namespace qb::tips
