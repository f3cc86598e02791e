// The program given hostile arguments and files, and one piece of work asked for thousands of times:
// nothing reaches the terminal raw, and the work stays bounded.

#include <algorithm>
#include <array>

#include <gtest/gtest.h>

#include "host/demo_feed_server.hpp"
#include "platform/files.hpp"
#include "program_runner.hpp"
#include "support/test_support.hpp"

namespace qb::test {
namespace {

// Sets a terminal's title, then a one-byte CSI and a right-to-left override; and how messages show it.
const std::string hostile = "tim\x1b]0;PWNED\a\u009b\u202e";
const std::string shown = R"(tim\e]0;PWNED\a\u009b\u202e)";

// Whether the text holds a character a terminal acts on: a C0 control other than the line break, DEL, a
// C1 control or a bidirectional control (as UTF-8).
bool hasRawControl(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\n') || byte == 0x7F) return true;
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) return true;
    }
    constexpr std::array<std::string_view, 12> bidi = {"\u061C", "\u200E", "\u200F", "\u202A",
                                                       "\u202B", "\u202C", "\u202D", "\u202E",
                                                       "\u2066", "\u2067", "\u2068", "\u2069"};
    return std::any_of(bidi.begin(), bidi.end(),
                       [&](auto c) { return text.find(c) != std::string_view::npos; });
}

// A home folder whose files hold the hostile text, a cache folder and a feed server.
struct HostileWorld {
    TempDir home, cache;
    host::DemoFeedServer feed{readFile(std::string(QB_EXAMPLES_DIR) + "/feed.xml").value_or("")};

    HostileWorld() {
        EXPECT_TRUE(feed.start());
        const std::string folder = "Library/Application Support/Quillbrook/";
        home.write(folder + "ReadingList.plist",
                   makePlist(PlistJson::array({{{"URL", "https://example.org/"}, {"title", hostile}}}),
                             PlistFormat::binary));
        home.write(folder + "Favorites.plist",
                   makePlist(PlistJson::array({{{"Name", hostile}, {"Children", PlistJson::array()}}}),
                             PlistFormat::binary));
    }
    ProgramResult run(std::vector<std::string> arguments, std::string cacheHome = {}) const {
        arguments.insert(arguments.end(), {"--home", home.path().string(), "--feed-base", feed.base()});
        return runProgram(arguments,
                          {{"XDG_CACHE_HOME", cacheHome.empty() ? cache.path().string() : cacheHome}});
    }
};

TEST(ProgramHostileTest, EchoedArgumentsAreShownEscaped) {
    HostileWorld world;
    const std::vector<std::vector<std::string>> cases = {
        {hostile},
        {"list", "--" + hostile},
        {"list", hostile},
        {"list", "--format", hostile},
        {"list", "--home", hostile},
        {"list", "--feed-base", hostile},
        {"serve", "--port", hostile},
        {"render", "--set", hostile},
        {"render", "--set", hostile + "=1"},
        {"render", "--set", "filter=" + hostile},
        {"render", "--family", hostile},
        {"render", "--rendering-mode", hostile},
        {"render", "readinglist", hostile},
        {"timeline", hostile},
        {"options", "readinglist", hostile},
        {"snapshot", "favorites", "--set", "group=Play"},  // a notice naming the hostile group of the file
    };
    for (const auto& arguments : cases) {
        const auto result = world.run(arguments);
        EXPECT_EQ(result.status, arguments.back() == "group=Play" ? 0 : 2) << result.err;
        EXPECT_FALSE(hasRawControl(result.err)) << result.err;
        EXPECT_NE(result.err.find(shown), std::string::npos) << result.err;
    }
}

TEST(ProgramHostileTest, FileContentsAndLogLinesReachTheTerminalInert) {
    HostileWorld world;
    for (const std::string format : {"text", "tree", "json"}) {
        const auto result = world.run({"render", "readinglist", "favorites", "--format", format});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_FALSE(hasRawControl(result.out)) << format << ":\n" << result.out;
    }
    const auto tree = world.run({"snapshot", "readinglist", "--format", "tree"}).out;
    EXPECT_NE(tree.find(shown), std::string::npos) << tree;

    // A cache folder that cannot be made: the error names it in the log echoed to stderr.
    world.cache.write("file", "");
    const auto logged =
        world.run({"timeline", "tips", "--verbose"}, (world.cache.path() / "file" / hostile).string());
    ASSERT_EQ(logged.status, 0) << logged.err;
    EXPECT_FALSE(hasRawControl(logged.err)) << logged.err;
    EXPECT_NE(logged.err.find(shown), std::string::npos) << logged.err;
}

// Each family is drawn once however often it is named, on a few threads: memory stays near that of one.
TEST(ProgramHostileTest, RepeatedFamiliesDoBoundedWork) {
    HostileWorld world;
    std::vector<std::string> repeated{"render"};
    for (int i = 0; i < 10'000; ++i) repeated.insert(repeated.end(), {"--family", "small"});
    const auto once = world.run({"render", "--family", "small"});
    const auto many = world.run(repeated);
    ASSERT_EQ(many.status, 0) << many.err;
    EXPECT_EQ(many.out, once.out);
    EXPECT_LT(many.peakKilobytes, once.peakKilobytes + 64 * 1024)
        << "one family: " << once.peakKilobytes << " KiB, repeated: " << many.peakKilobytes << " KiB";
}

}  // namespace
}  // namespace qb::test
