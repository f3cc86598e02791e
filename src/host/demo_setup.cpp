#include "host/demo_setup.hpp"

#include <cstdlib>
#include <system_error>

#include <fmt/format.h>

#include "platform/files.hpp"
#include "platform/program_location.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

bool holdsSamples(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder / "home", error) &&
           std::filesystem::is_regular_file(folder / "feed.xml", error);
}

std::optional<std::filesystem::path> privateCacheFolder() {
    std::error_code error;
    auto pattern = (std::filesystem::temp_directory_path(error) / "quillbrook-demo-XXXXXX").string();
    if (error) return std::nullopt;
    if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    return std::filesystem::path(pattern);
}

}  // namespace

std::optional<std::filesystem::path> examplesDirectory() {
    if (const char* chosen = std::getenv("QUILLBROOK_EXAMPLES_DIR"); chosen != nullptr && *chosen != '\0') {
        if (holdsSamples(chosen)) return std::filesystem::path(chosen);
        return std::nullopt;
    }
    // An installed program reads the examples installed beside it, never the source tree; a program in
    // the build tree reads the source tree's, which the build does not copy.
    std::filesystem::path folder;
    switch (programLayout().kind) {
        case ProgramLayout::Kind::installed:
            folder = *programDataFolder() / "examples";
            break;
        case ProgramLayout::Kind::buildTree:
            folder = QB_SOURCE_EXAMPLES_DIR;
            break;
        case ProgramLayout::Kind::unknown:
            return std::nullopt;
    }
    if (holdsSamples(folder)) return folder;
    return std::nullopt;
}

std::unique_ptr<DemoSetup> DemoSetup::start(std::string& error) {
    auto examples = examplesDirectory();
    if (!examples) {
        error =
            "the sample files (examples/home and examples/feed.xml) were not found beside the program; "
            "set QUILLBROOK_EXAMPLES_DIR to an examples folder (share/quillbrook-widgets/examples of "
            "an install, or examples/ of the source tree)";
        return nullptr;
    }
    auto feed = readFile(*examples / "feed.xml");
    if (!feed) {
        error = fmt::format("{} cannot be read; check that the file is there and readable",
                            quotedForMessage((*examples / "feed.xml").string()));
        return nullptr;
    }
    auto cache = privateCacheFolder();
    if (!cache) {
        error = "no temporary folder could be made for the demo's tips cache; check that TMPDIR is writable";
        return nullptr;
    }
    std::unique_ptr<DemoSetup> setup(new DemoSetup(*examples, std::move(*feed), *cache));
    if (!setup->server_.start()) {
        error = "the demo's feed server could not listen on 127.0.0.1; check that local ports can be opened";
        return nullptr;
    }
    return setup;
}

WidgetServices DemoSetup::services(WidgetServices base) const {
    base.home = examples_ / "home";
    base.feedBase = server_.base();
    base.cacheFolder = cache_;
    return base;
}

DemoSetup::DemoSetup(std::filesystem::path examples, std::string feed, std::filesystem::path cache)
    : examples_(std::move(examples)), server_(std::move(feed)), cache_(std::move(cache)) {}

DemoSetup::~DemoSetup() {
    server_.stop();
    std::error_code error;
    std::filesystem::remove_all(cache_, error);
}

}  // namespace qb::host
