// Whatever stands at a data path, a request answers at once, in little memory, with the widget's empty
// state: the real program, with a home folder and a cache folder of its own.

#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "program_runner.hpp"
#include "support/test_support.hpp"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

long ownPeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Hostile {
    std::string name;
    std::function<void(const fs::path&)> make;
    std::string reason;  // what the log says about it
};

TEST(UnreadableDataTest, AnythingButARegularFileIsAnUnreadableFile) {
    const std::vector<Hostile> hostiles = {
        {"named pipe", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
         "a named pipe, not a regular file"},
        {"link to /dev/zero", [](const fs::path& at) { fs::create_symlink("/dev/zero", at); },
         "a character device, not a regular file"},
        {"3 GB sparse file",
         [](const fs::path& at) {
             std::ofstream{at};
             fs::resize_file(at, std::uintmax_t{3} << 30);
         },
         "3221225472 bytes, more than the 256 MiB a data file may hold"},
        {"folder", [](const fs::path& at) { fs::create_directory(at); }, "a folder, not a regular file"},
        {"dangling link", [](const fs::path& at) { fs::create_symlink(at.parent_path() / "gone", at); },
         "No such file or directory"},
    };
    const std::string quillbrook = "home/Library/Application Support/Quillbrook/";
    const std::vector<std::pair<std::string, std::string>> targets = {
        {"favorites", quillbrook + "Favorites.plist"},
        {"readinglist", quillbrook + "ReadingList.plist"},
        {"workspaces", quillbrook + "OrderedWorkspaces.plist"},
        {"tips", "cache/quillbrook-widgets/tips_cache.json"},
    };
    for (const auto& [kind, relative] : targets) {
        for (const auto& hostile : hostiles) {
            const auto row = kind + ", " + hostile.name;
            TempDir dir;
            const auto path = dir.path() / relative;
            fs::create_directories(path.parent_path());
            fs::create_directories(dir.path() / "home");
            hostile.make(path);
            const auto started = std::chrono::steady_clock::now();
            // Nothing listens on port 1: the feed download fails and the store falls back to its cache.
            auto result =
                runProgram({"timeline", kind, "--format", "json", "--verbose", "--home",
                            (dir.path() / "home").string(), "--feed-base", "http://127.0.0.1:1"},
                           {{"XDG_CACHE_HOME", (dir.path() / "cache").string()}}, std::chrono::seconds(10));
            const auto took = std::chrono::steady_clock::now() - started;
            if (result.killed) {
                ADD_FAILURE() << row << ": still running after 10 s, peak " << result.peakKilobytes << " KB";
                continue;
            }
            EXPECT_LT(took, std::chrono::seconds(1)) << row;
            // The program itself needs some 20 MB; its peak counts from this test's own.
            EXPECT_LT(result.peakKilobytes, ownPeakKilobytes() + 128 * 1024) << row;
            ASSERT_EQ(result.status, 0) << row << ": " << result.err;
            const auto entry = nlohmann::json::parse(result.out)["entries"][0];
            if (kind == "tips") {
                EXPECT_TRUE(entry["tip"].is_null()) << row;
            } else {
                EXPECT_TRUE(entry["items"].empty()) << row;
                EXPECT_THAT(result.err, testing::HasSubstr("Could not read " + path.filename().string()))
                    << row;
                EXPECT_THAT(result.err, testing::HasSubstr(path.string() + ": " + hostile.reason)) << row;
            }
        }
    }
}

}  // namespace
}  // namespace qb::test
