#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/widget_services.hpp"
#include "platform/date.hpp"
#include "platform/http.hpp"
#include "platform/log.hpp"
#include "tips/tip_item.hpp"

namespace qb::tips {

template <class Result>
class SingleFlight;

// Supplies the tips: downloads the maker's tips feed at most once per six hours, keeps the last
// non-empty result in tips_cache.json in the user's cache folder, and serves that file, however old,
// when a download fails or yields no tips. Downloads a feed only once at a time: requests that come
// while it downloads share that download. Never throws; the worst outcome is an empty list.
class TipStore {
  public:
    using LanguagesSource = std::function<std::vector<std::string>()>;

    // How long a cache is served without downloading.
    static constexpr std::chrono::hours cacheLifetime{6};

    // The store for the user's services (WidgetServices::system()), made on first use, safely from any
    // thread.
    static const TipStore& shared();

    // A store on the services' HTTP client, clock, cache folder, feed base (scheme://host[:port]) and log;
    // the feed's language follows `languages` (the user's preferred languages unless given).
    static TipStore forServices(const WidgetServices& services, LanguagesSource languages = {});

    // "de" when the first preferred language is German ("de", "de-AT", ...), else "en".
    static std::string feedLanguage(const std::vector<std::string>& preferredLanguages);

    // The feed's address for a feed base and language.
    static std::string requestURL(std::string_view feedBase, std::string_view language);

    // A fresh cache, else the downloaded feed, else the stale cache, else nothing.
    std::vector<TipItem> fetchTips() const;

    std::filesystem::path cacheURL() const;

    // Whether fetchTips would answer now without downloading: the cache is fresh. After a fetch, a stale
    // cache means that the download failed or brought no tips.
    bool hasFreshCache() const;

    // Ends the running downloads of the store's HTTP client and refuses later ones (for a program that
    // is stopping); a fetch whose download is cancelled serves the cache, as for any failed download.
    void cancelDownloads() const;

  private:
    TipStore(const WidgetServices& services, LanguagesSource languages);

    std::vector<TipItem> fetchOrFallBack() const;
    std::vector<TipItem> downloadOrFallBack(const std::string& url) const;
    std::optional<std::vector<TipItem>> loadCache(bool ignoreExpiry = false) const;
    void saveCache(const std::vector<TipItem>& tips) const;

    std::shared_ptr<const HttpClient> http_;
    Clock clock_;
    std::filesystem::path cacheFolder_;
    std::string feedBase_;
    LanguagesSource languages_;
    Logger logger_;
    // The downloads that run, by address; shared by copies of the store.
    std::shared_ptr<SingleFlight<std::vector<TipItem>>> downloads_;
};

}  // namespace qb::tips
