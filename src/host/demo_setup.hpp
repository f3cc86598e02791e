#pragma once

// The demo's world: the sample home folder and tips feed in examples/, a feed server for the feed, and
// a private cache folder, so that a demo never touches the user's files or the network.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "core/widget_services.hpp"
#include "host/demo_feed_server.hpp"

namespace qb::host {

// Where examples/ is: $QUILLBROOK_EXAMPLES_DIR, else the source tree the program was built from, else
// the installed copy; nothing when none of them holds the sample home.
std::optional<std::filesystem::path> examplesDirectory();

class DemoSetup {
  public:
    // Starts a feed server serving examples/feed.xml and makes a fresh cache folder. Nothing, with the
    // reason in `error`, when the samples are missing or no server can be started.
    static std::unique_ptr<DemoSetup> start(std::string& error);

    // The services pointed at the samples: the sample home, the feed server and the fresh cache folder.
    WidgetServices services(WidgetServices base) const;

    ~DemoSetup();
    DemoSetup(const DemoSetup&) = delete;
    DemoSetup& operator=(const DemoSetup&) = delete;

    const std::filesystem::path& examples() const { return examples_; }
    std::string feedBase() const { return server_.base(); }

  private:
    DemoSetup(std::filesystem::path examples, std::string feed, std::filesystem::path cache);

    std::filesystem::path examples_;
    DemoFeedServer server_;
    std::filesystem::path cache_;
};

}  // namespace qb::host
