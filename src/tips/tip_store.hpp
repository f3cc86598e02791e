#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/date.hpp"
#include "platform/http.hpp"
#include "tips/tip_item.hpp"

namespace qb {

template <class Result>
class SingleFlight;

// Supplies the tips: downloads the maker's tips feed at most once per six hours, keeps the last
// non-empty result in tips_cache.json in the user's cache folder, and serves that file, however old,
// when a download fails or yields no tips. Downloads a feed only once at a time: requests that come
// while it downloads share that download. Never throws; the worst outcome is an empty list.
class TipStore {
  public:
    using LanguagesSource = std::function<std::vector<std::string>()>;

    // The one store of the program: the HTTP client the program gave (useHttpClient), the system clock,
    // the user's cache folder.
    static const TipStore& shared();

    // The HTTP client of the shared store, which each program gives before its first download: the
    // command-line program downloads itself, the desktop host through a helper process so that it never
    // loads the download libraries. Until a program gives one, the shared store's downloads fail and it
    // serves its cache.
    static void useHttpClient(std::shared_ptr<const HttpClient> http);

    // A store for tests: its own HTTP client, clock, cache folder, feed base (scheme://host[:port]) and
    // source of preferred languages.
    static TipStore make(std::shared_ptr<const HttpClient> http, Clock clock,
                         std::filesystem::path cacheFolder, std::string feedBase, LanguagesSource languages);

    // The scheme and host (and port) that the shared store downloads the feed from, in place of the
    // built-in https://QB_FEED_HOST (the program's --feed-base). Call before the first download.
    static void useFeedBase(std::string feedBase);
    // The built-in feed base.
    static std::string defaultFeedBase();

    // The user's cache folder for the widgets: $XDG_CACHE_HOME/quillbrook-widgets, else
    // ~/.cache/quillbrook-widgets.
    static std::filesystem::path defaultCacheFolder();

    // "de" when the first preferred language is German ("de", "de-AT", ...), else "en".
    static std::string feedLanguage(const std::vector<std::string>& preferredLanguages);

    // The feed's address for a feed base and language.
    static std::string requestURL(std::string_view feedBase, std::string_view language);

    // A fresh cache, else the downloaded feed, else the stale cache, else nothing.
    std::vector<TipItem> fetchTips() const;

    std::filesystem::path cacheURL() const;

    // Ends the store's running downloads and refuses later ones (for a program that is stopping); a
    // fetch whose download is cancelled serves the cache, as for any failed download.
    void cancelDownloads() const;

  private:
    TipStore(std::shared_ptr<const HttpClient> http, Clock clock,
             std::optional<std::filesystem::path> cacheFolder, std::optional<std::string> feedBase,
             LanguagesSource languages);

    std::vector<TipItem> fetchOrFallBack() const;
    std::vector<TipItem> downloadOrFallBack(const std::string& url) const;
    std::optional<std::vector<TipItem>> loadCache(bool ignoreExpiry = false) const;
    void saveCache(const std::vector<TipItem>& tips) const;

    std::shared_ptr<const HttpClient> http_;
    Clock clock_;
    std::optional<std::filesystem::path> cacheFolder_;  // none: the user's, looked up on every use
    std::optional<std::string> feedBase_;               // none: the program's, looked up on every use
    LanguagesSource languages_;
    // The downloads that run, by address; shared by copies of the store.
    std::shared_ptr<SingleFlight<std::vector<TipItem>>> downloads_;
};

}  // namespace qb
