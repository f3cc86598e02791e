#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/quillbrook_paths.hpp"
#include "platform/date.hpp"
#include "platform/http.hpp"
#include "platform/log.hpp"

namespace qb {

// What the widgets take from the world: the clock, the network, the home folder whose files they read,
// the folder they may cache in, the server of the tips feed and where their log goes. The program makes
// one value from its command line and the environment and hands it to the bundle; tests make their own.
// Copies share the HTTP client, so that cancelling its downloads reaches every copy.
struct WidgetServices {
    Clock clock = systemClock();
    std::shared_ptr<const HttpClient> http = {};
    std::filesystem::path home = {};         // the support folder and its three files lie under it
    std::filesystem::path cacheFolder = {};  // the tips cache lies in it
    std::string feedBase = {};               // scheme://host[:port] of the tips feed
    LogSink log = {};                        // none: the system's

    // The user's: the system clock, a new HTTP client on libcurl, the real home (QuillbrookPaths::system),
    // the user's cache folder, the built-in feed base and the system's log.
    static WidgetServices system();
    // The user's with another HTTP client (the desktop host downloads through a helper program). In a
    // file apart from system(), so that a program that calls only this one links without libcurl.
    static WidgetServices user(std::shared_ptr<const HttpClient> http);

    // Where the files lie under `home`.
    QuillbrookPaths paths() const { return QuillbrookPaths(home); }

    // The cache folder of the widgets by the XDG rule: $XDG_CACHE_HOME/quillbrook-widgets when it is an
    // absolute path, else $HOME/.cache/quillbrook-widgets, else under the given home.
    static std::filesystem::path userCacheFolder(const std::filesystem::path& home);
    // https://QB_FEED_HOST, the maker's API server.
    static std::string defaultFeedBase();
};

}  // namespace qb
