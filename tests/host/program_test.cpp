// The program as people and scripts use it: real processes, real files, a local feed server.

#include <csignal>
#include <ctime>
#include <map>
#include <optional>
#include <regex>

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "host/demo_feed_server.hpp"
#include "host/render/display_text.hpp"
#include "host/render/terminal.hpp"
#include "platform/files.hpp"
#include "platform/terminal_text.hpp"
#include "program_runner.hpp"
#include "support/test_support.hpp"

namespace qb::test {
namespace {

using nlohmann::json;

constexpr std::array allFamilies{WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                 WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};

const std::vector<AnyWidget>& bundle() {
    static const auto widgets = QuillbrookWidgetBundle{}.body();
    return widgets;
}

double secondsOf(const std::string& iso) {  // "2026-01-02T03:04:05.678Z"
    std::tm tm{};
    strptime(iso.c_str(), "%Y-%m-%dT%H:%M:%S", &tm);
    return static_cast<double>(timegm(&tm)) + std::stod(iso.substr(19, 4));
}

// Seconds from the first entry's date to the reload date.
double reloadDelay(const json& answer) {
    return secondsOf(answer["policy"]["after"]) - secondsOf(answer["entries"][0]["date"]);
}

// A home folder with the three files, a cache folder and a feed server, as a person's machine has them.
struct World {
    TempDir home;
    TempDir cache;
    host::DemoFeedServer feed{readFile(std::string(QB_EXAMPLES_DIR) + "/feed.xml").value_or("")};

    World() { EXPECT_TRUE(feed.start()); }
    void write(const std::string& file, const PlistJson& description) const {
        home.write("Library/Application Support/Quillbrook/" + file,
                   makePlist(description, PlistFormat::binary));
    }
    ProgramResult run(std::vector<std::string> arguments, std::string_view homeFolder = {},
                      std::optional<BrokenOutput> output = {}) const {
        arguments.insert(arguments.end(),
                         {"--home", homeFolder.empty() ? home.path().string() : std::string(homeFolder),
                          "--feed-base", feed.base()});
        // Without COLUMNS, output into a file stacks the boxes one under another, as the tests read them.
        const std::vector<std::pair<std::string, std::string>> environment = {
            {"XDG_CACHE_HOME", cache.path().string()}, {"COLUMNS", ""}, {"LANGUAGE", language}};
        return output ? runProgramWithBrokenOutput(arguments, *output, environment)
                      : runProgram(arguments, environment);
    }
    std::string language = "en";
    std::string file(const std::string& name) const {
        return (home.path() / "Library/Application Support/Quillbrook" / name).string();
    }
    json timeline(const std::string& kind, std::vector<std::string> extra = {},
                  std::string_view homeFolder = {}) const {
        extra.insert(extra.begin(), {"timeline", kind, "--format", "json"});
        auto result = run(extra, homeFolder);
        EXPECT_EQ(result.status, 0) << result.err;
        return json::parse(result.out, nullptr, false);
    }
};

TEST(ProgramTest, ListsEveryRegisteredWidgetInBundleOrder) {
    auto result = runProgram({"list", "--format", "json"});
    ASSERT_EQ(result.status, 0) << result.err;
    auto list = json::parse(result.out);
    ASSERT_EQ(list.size(), bundle().size());
    for (std::size_t i = 0; i < bundle().size(); ++i) {
        EXPECT_EQ(list[i]["kind"], bundle()[i].kind());
        EXPECT_EQ(list[i]["families"],
                  (json{"systemSmall", "systemMedium", "systemLarge", "systemExtraLarge"}));
        EXPECT_EQ(list[i]["parameters"].size(), bundle()[i].parameters().size());
    }
    auto text = runProgram({"list"});
    for (const auto& widget : bundle()) EXPECT_NE(text.out.find(widget.kind()), std::string::npos);
}

TEST(ProgramTest, ReadingListTimelineAsJson) {
    World world;
    world.write("ReadingList.plist",
                R"([{"URL": "x-quillbrook-item://A", "title": "Alpha", "unread": true, "type": 12},
                    {"URL": "https://www.example.org/b", "title": "Beta", "unread": false},
                    {"URL": "x-quillbrook-item://C", "title": "Gamma"}])"_plist);
    auto all = world.timeline("readinglist");
    EXPECT_EQ(all["kind"], "ReadingListWidget");
    ASSERT_EQ(all["entries"].size(), 1u);
    const auto& entry = all["entries"][0];
    std::vector<std::string> titles;
    for (const auto& item : entry["items"]) titles.push_back(item["displayTitle"]);
    EXPECT_EQ(titles, (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(entry["unreadCount"], 2);
    EXPECT_EQ(entry["items"][1]["displayURL"],
              "x-quillbrook://open-url?location=https://www.example.org/b&widget=readinglist");
    EXPECT_NEAR(reloadDelay(all), 300, 0.01);

    auto unread = world.timeline("ReadingListWidget", {"--set", "filter=unreadOnly"});
    EXPECT_EQ(unread["entries"][0]["displayCount"], 2);
    EXPECT_EQ(unread["entries"][0]["items"][1]["title"], "Gamma");
}

TEST(ProgramTest, FavoritesAndWorkspacesTimelinesAsJson) {
    World world;
    world.write("Favorites.plist",
                R"([{"Name": "Work", "Children": [{"Name": "Inbox", "UUID": "U1", "Label": 1},
                                                  {"Name": "Today", "SIUUID": "S1"}]},
                    {"Name": "Research", "Path": "/data/Research.qbBase2"}])"_plist);
    auto all = world.timeline("favorites");
    std::vector<std::string> ids;
    for (const auto& item : all["entries"][0]["items"]) ids.push_back(item["id"]);
    EXPECT_EQ(ids, (std::vector<std::string>{"item:Work/U1", "si:Work/S1", "db:/data/Research.qbBase2"}));
    EXPECT_NEAR(reloadDelay(all), 300, 0.01);
    EXPECT_EQ(world.timeline("favorites", {"--set", "group=Work"})["entries"][0]["items"].size(), 2u);

    world.write("OrderedWorkspaces.plist",
                R"([{"Name": "Writing", "workspace": {"databases": ["a", "b"], "windows": [1]}},
                    {"Name": "Archive"}, {"workspace": {}}])"_plist);
    auto workspaces = world.timeline("workspaces");
    const auto& items = workspaces["entries"][0]["items"];
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]["name"], "Writing");
    EXPECT_EQ(items[0]["databaseCount"], 2);
    EXPECT_NEAR(reloadDelay(workspaces), 300, 0.01);
}

TEST(ProgramTest, TipsTimelineFromTheFeedServer) {
    World world;
    auto latest = world.timeline("tips");
    EXPECT_EQ(latest["entries"][0]["tip"]["title"], "Search across all databases at once");
    EXPECT_NEAR(reloadDelay(latest), 6 * 3600, 0.01);
    // The snapshot shows a sample tip without asking the feed.
    auto snapshot = json::parse(world.run({"snapshot", "tips", "--format", "json"}).out);
    EXPECT_FALSE(snapshot["entries"][0]["tip"].is_null());
    EXPECT_FALSE(snapshot.contains("policy"));
}

TEST(ProgramTest, OptionsListChoicesAndSearchEntities) {
    World world;
    auto filter = json::parse(world.run({"options", "readinglist", "filter", "--format", "json"}).out);
    EXPECT_EQ(filter, (json{{{"id", "all"}, {"title", "All Items"}},
                            {{"id", "unreadOnly"}, {"title", "Unread Only"}}}));
    world.write("Favorites.plist",
                R"([{"Name": "Work", "Children": []}, {"Name": "Reading", "Children": []},
                    {"Name": "Homework", "Children": []}])"_plist);
    auto groups = json::parse(world.run({"options", "FavoritesWidget", "group", "--format", "json"}).out);
    std::vector<std::string> ids;
    for (const auto& option : groups) ids.push_back(option["id"]);
    EXPECT_EQ(ids, (std::vector<std::string>{"_all", "Work", "Reading", "Homework"}));
    auto found =
        json::parse(world.run({"options", "favorites", "group", "--search", "WORK", "--format", "json"}).out);
    EXPECT_EQ(found,
              (json{{{"id", "Work"}, {"title", "Work"}}, {{"id", "Homework"}, {"title", "Homework"}}}));
    EXPECT_EQ(world.run({"options", "favorites", "group", "--search", "read"}).out, "Reading\tReading\n");
}

TEST(ProgramTest, BadInputGetsOneLineAndStatusTwo) {
    TempDir home;
    home.write("Library/Application Support/Quillbrook/Favorites.plist",
               makePlist(R"([{"Name": "Work", "Children": []}])"_plist, PlistFormat::binary));
    const std::string folder = home.path().string();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--verbose"}, "no command given; use list, options"},
        {{"frobnicate"}, "unknown command \"frobnicate\"; use list"},
        {{"timeline", "nosuch"}, "unknown widget \"nosuch\"; use "},
        {{"render", "nosuch", "tips"}, "unknown widget"},
        {{"render", "--family", "systemHuge"},
         "unknown family \"systemHuge\"; use small, medium, large or extra-large\n"},
        {{"render", "--set", "nosuch=1"}, "unknown parameter \"nosuch\""},
        {{"list", "--home", folder + "/missing"},
         "--home \"" + folder + "/missing\" is not an existing folder"},
        {{"list", "--feed-base", "feeds.example.org"},
         "is not a feed server address; give scheme://host[:port]"},
        {{"demo", "--home", folder}, "leave out --home and --feed-base"},
        {{"serve", "--demo", "--feed-base", "http://127.0.0.1:1"}, "leave out --home and --feed-base"},
        {{"options", "readinglist", "colour"},
         "unknown parameter \"colour\" of ReadingListWidget; use filter"},
    };
    for (const auto& [arguments, mentions] : cases) {
        auto result = runProgram(arguments);
        EXPECT_EQ(result.status, 2) << mentions;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_TRUE(result.err.starts_with("quillbrook-widgets: ")) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_NE(result.err.find(mentions), std::string::npos) << result.err;
    }
    // Run bare, the program shows its usage instead of one line.
    const auto bare = runProgram({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_TRUE(bare.out.empty()) << bare.out;
    EXPECT_EQ(bare.err, runProgram({"--help"}).out);
}

TEST(ProgramTest, OutputThatCannotBeWrittenEndsTheRunWithOneLineOrQuietly) {
    World world;
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"render"},
                                                      {"timeline", "readinglist"},
                                                      {"list"},
                                                      {"watch", "tips"},
                                                      {"--help"}}) {
        const auto& command = arguments.front();
        const auto full = world.run(arguments, {}, BrokenOutput::full);
        EXPECT_EQ(full.status, 1) << command;
        EXPECT_EQ(full.err, "quillbrook-widgets: cannot write the output: No space left on device\n")
            << command;
        // A reader that goes is how watch ends; any other command was cut short, as by SIGPIPE.
        const auto closed = world.run(arguments, {}, BrokenOutput::closedPipe);
        EXPECT_EQ(closed.status, command == "watch" ? 0 : 128 + SIGPIPE) << command;
        EXPECT_EQ(closed.err, "") << command;
    }
}

TEST(ProgramTest, EachProblemIsSaidOnceAndVerboseSaysWhatWasRead) {
    World world;
    // Four families ask a feed server that refuses; the person reads of it once.
    const auto refused = runProgram(
        {"render", "tips", "--feed-base", "http://127.0.0.1:1", "--home", world.home.path().string()},
        {{"XDG_CACHE_HOME", world.cache.path().string()}});
    EXPECT_EQ(linesOf(refused.err).size(), 1u) << refused.err;
    EXPECT_NE(refused.err.find("Failed to fetch tips feed"), std::string::npos) << refused.err;

    world.write("ReadingList.plist", PlistJson::array());
    world.write("Favorites.plist", R"([{"Name": "A"}, {"Name": "B"}])"_plist);
    world.home.write("Library/Application Support/Quillbrook/OrderedWorkspaces.plist/inside", "");
    const auto verbose = world.run({"render", "--verbose", "--family", "small"}).err;
    for (const auto& says :
         {"read " + world.file("ReadingList.plist") + ": an empty list",
          "read " + world.file("Favorites.plist") + ": a list of 2 entries",
          "cannot read " + world.file("OrderedWorkspaces.plist") + ": a folder, not a regular file",
          "no file at " + (world.cache.path() / "quillbrook-widgets/tips_cache.json").string()})
        EXPECT_NE(verbose.find(says), std::string::npos) << says << "\n" << verbose;
}

TEST(ProgramTest, NamesAreForgivingInTheSameWayEverywhere) {
    World world;
    // Each row names the reading list, its extra large family and JSON as a person might.
    const std::array<std::string, 3> spellings[] = {
        {"ReadingListWidget", "systemExtraLarge", "json"},
        {"readinglist", "xl", "JSON"},
        {"Reading-List", "extra-large", "Json"},
        {"READING_LIST", "extra large", "json"},
        {"reading list", "extraLarge", "json"},
        {"readinglistwidget", "SYSTEMEXTRALARGE", "json"},
    };
    for (const auto& [kind, family, format] : spellings) {
        const auto result = world.run({"render", kind, "--family", family, "--format", format});
        ASSERT_EQ(result.status, 0) << kind << " " << family << " " << format << ": " << result.err;
        const auto answers = json::parse(result.out);
        EXPECT_EQ(answers[0]["kind"], "ReadingListWidget");
        EXPECT_EQ(answers[0]["family"], "systemExtraLarge");
    }
}

TEST(ProgramTest, TheProgramSpeaksTheUsersLanguage) {
    World world;
    world.language = "de";
    EXPECT_EQ(linesOf(world.run({"render", "readinglist", "--family", "small"}).out).front(),
              "Leseliste · klein");
    EXPECT_EQ(world.run({"render", "--family", "huge"}).err,
              "quillbrook-widgets: unbekannte Größe \"huge\"; verwenden Sie small, medium, large oder "
              "extra-large\n");
}

TEST(ProgramTest, AnyGroupIdIsKeptWithANoticeWhileBadEnumerationValuesAreRefused) {
    World world;
    world.write(
        "Favorites.plist",
        R"([{"Name": "Work", "Children": [{"UUID": "W1"}]}, {"Name": "Work", "Children": [{"UUID": "W2"}]},
                    {"Name": 3, "Children": [{"UUID": "N1"}]}])"_plist);
    const std::string suggested = "suggested: \"_all\", \"Work\"\n";  // each once, to the end
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::size_t items;     // of the first entry, for status 0
        std::string says;      // in the one line on stderr; none for no line
        std::string endsWith;  // the line's end
    };
    const Case cases[] = {
        {{"timeline", "favorites", "--set", "group=Gone"},
         0,
         0,
         "does not suggest the group \"Gone\", so it shows its empty state",
         suggested},
        {{"timeline", "favorites", "--set", "group=work"}, 0, 0, "the group \"work\"", suggested},
        {{"timeline", "favorites", "--set", "group=All"},
         0,
         0,
         "(\"All\" is the title of \"_all\")",
         suggested},
        // A group without a name is never suggested, but its favorites are filed under "Untitled".
        {{"timeline", "favorites", "--set", "group=Untitled"}, 0, 1, "the group \"Untitled\"", suggested},
        {{"timeline", "favorites", "--set", "group=Work"}, 0, 2, "", ""},
        // Said once for the run, however many families are drawn.
        {{"render", "favorites", "--set", "group=Gone"}, 0, 0, "the group \"Gone\"", suggested},
        {{"timeline", "readinglist", "--set", "filter=sometimes"},
         2,
         0,
         "\"sometimes\" is not a choice for the parameter filter of ReadingListWidget",
         "use \"all\", \"unreadOnly\"\n"},
        {{"timeline", "tips", "--set", "mode=random"},
         2,
         0,
         "\"random\" is not a choice",
         "use \"latestTip\", \"tipOfTheDay\"\n"},
    };
    for (const auto& c : cases) {
        auto arguments = c.arguments;
        arguments.insert(arguments.end(), {"--format", "json"});
        const auto result = world.run(arguments);
        const auto name = c.arguments.back();
        EXPECT_EQ(result.status, c.status) << name << ": " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), c.says.empty() ? 0 : 1)
            << name << ": " << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << name << ": " << result.err;
        EXPECT_TRUE(result.err.ends_with(c.endsWith)) << name << ": " << result.err;
        if (c.status != 0) continue;
        const auto answers = json::parse(result.out);
        for (const auto& answer : answers.is_array() ? answers : json::array({answers})) {
            const auto& entry = answer["entries"][0];
            EXPECT_EQ(entry["items"].size(), c.items) << name;
            EXPECT_EQ(entry["displayCount"], c.items) << name;
        }
    }
}

// The tiles of a text rendering: title line -> the rows inside the box.
std::map<std::string, std::vector<std::string>> tilesIn(const std::string& output) {
    std::map<std::string, std::vector<std::string>> tiles;
    const auto lines = linesOf(output);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i + 1].starts_with("╭")) continue;
        auto& rows = tiles[lines[i].substr(0, lines[i].find_last_not_of(' ') + 1)];
        for (std::size_t j = i + 2; j < lines.size() && lines[j].starts_with("│"); ++j)
            rows.push_back(lines[j]);
    }
    return tiles;
}

// The first six characters of a title as the terminal shows them.
std::string prefixOf(const std::string& title) {
    std::string prefix;
    auto glyphs = host::glyphsOf(inertText(title));
    for (std::size_t i = 0; i < std::min<std::size_t>(6, glyphs.size()); ++i) prefix += glyphs[i].text;
    return prefix;
}

TEST(ProgramTest, RenderDrawsEveryWidgetInEveryFamilyAsAPersonWouldReadIt) {
    World world;
    const std::string examples = std::string(QB_EXAMPLES_DIR) + "/home";
    auto result = world.run({"render", "--format", "text"}, examples);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos);
    const auto tiles = tilesIn(result.out);
    ASSERT_EQ(tiles.size(), bundle().size() * allFamilies.size());

    const std::map<WidgetFamily, std::size_t> rowsShown{{WidgetFamily::systemSmall, 4},
                                                        {WidgetFamily::systemMedium, 5},
                                                        {WidgetFamily::systemLarge, 7},
                                                        {WidgetFamily::systemExtraLarge, 16}};
    const std::regex overflow(R"(\+(\d+) more)");
    for (const auto& widget : bundle()) {
        const auto entry = world.timeline(widget.kind(), {}, examples)["entries"][0];
        for (auto family : allFamilies) {
            const auto title = fmt::format("{} · {}", widget.displayName(), familyLabel(family));
            ASSERT_TRUE(tiles.contains(title)) << title;
            const auto& rows = tiles.at(title);
            EXPECT_EQ(rows.size(), static_cast<std::size_t>(host::contentSize(family).height));
            for (const auto& row : rows)
                EXPECT_EQ(host::displayWidth(row), host::boxSize(family).width) << row;
            const auto rowWith = [&](std::size_t from, const std::string& text) {
                return std::find_if(rows.begin() + static_cast<long>(from), rows.end(),
                                    [&](const auto& r) { return r.find(text) != std::string::npos; });
            };
            if (entry.contains("tip")) {  // the Tips widget: its tip's first words in every family
                ASSERT_FALSE(entry["tip"].is_null());
                EXPECT_NE(rowWith(0, entry["tip"]["title"].get<std::string>().substr(0, 6)), rows.end())
                    << title;
                continue;
            }
            // A list widget: its first rows under the header (in order, but for the two columns of the
            // extra large family), and the count of the rest.
            const bool columns = family == WidgetFamily::systemExtraLarge;
            const std::size_t shown = std::min(rowsShown.at(family), entry["items"].size());
            std::size_t from = columns ? 0 : 1;
            for (std::size_t i = 0; i < shown; ++i) {
                const auto prefix = prefixOf(entry["items"][i]["displayTitle"]);
                const auto found = rowWith(from, prefix);
                ASSERT_NE(found, rows.end()) << title << ": " << prefix;
                if (!columns) from = static_cast<std::size_t>(found - rows.begin()) + 1;
            }
            const long more = entry["displayCount"].get<long>() - static_cast<long>(rowsShown.at(family));
            std::smatch match;
            const bool hasOverflow = std::any_of(rows.begin(), rows.end(), [&](const std::string& r) {
                return std::regex_search(r, match, overflow) && match[1] == std::to_string(more);
            });
            EXPECT_EQ(hasOverflow, !columns && more > 0) << title;
        }
    }
}

TEST(ProgramTest, HostileFileContentsRenderInert) {
    World world;
    world.write("ReadingList.plist", R"json([
        {"URL": "javascript:alert(1)", "title": "Evil\u001b]8;;http://evil\u001b\\Click\u001b[31mRed\u0007\u009b2J"},
        {"URL": "https://example.org/\u001b[2J", "title": "Web\u202epage"}])json"_plist);
    auto ansi = world.run({"render", "readinglist", "--family", "medium", "--format", "ansi"});
    ASSERT_EQ(ansi.status, 0) << ansi.err;
    const auto bare = withoutEscapes(ansi.out);
    for (std::string_view control : {"\x1b", "\x07", "\xc2\x9b", "\u202e"})
        EXPECT_EQ(bare.find(control), std::string::npos) << bare;
    EXPECT_NE(bare.find("Evil]8;;http://evil"), std::string::npos);  // shown as the text it is
    const auto targets = hyperlinkTargets(ansi.out);
    EXPECT_FALSE(targets.empty());
    for (const auto& target : targets) {
        EXPECT_FALSE(target.starts_with("javascript:")) << target;
        EXPECT_TRUE(std::all_of(target.begin(), target.end(), [](unsigned char c) {
            return c > 0x20 && c < 0x7F;
        })) << target;
    }
}

TEST(ProgramTest, TreeAndHtmlFormats) {
    World world;
    const auto kind = bundle().front().kind();
    auto tree = world.run({"snapshot", kind, "--family", "small", "--format", "tree"});
    EXPECT_TRUE(tree.out.starts_with(fmt::format("# {} systemSmall\n", kind))) << tree.out;
    auto html = world.run({"render", kind, "--format", "html"});
    ASSERT_EQ(html.status, 0) << html.err;
    EXPECT_NE(html.out.find("<html"), std::string::npos);
}

TEST(ProgramTest, DemoDrawsEveryWidgetFromTheSamplesAndWritesAPage) {
    TempDir temporary;
    auto result = runProgram(
        {"demo"}, {{"QUILLBROOK_EXAMPLES_DIR", QB_EXAMPLES_DIR}, {"TMPDIR", temporary.path().string()}});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(tilesIn(result.out).size(), bundle().size() * allFamilies.size());
    const std::regex announce("The same widgets as a web page: (.*)\n");
    std::smatch page;
    ASSERT_TRUE(std::regex_search(result.out, page, announce));
    EXPECT_TRUE(page[1].str().starts_with(temporary.path().string()));
    EXPECT_NE(readFile(page[1].str()).value_or("").find("<html"), std::string::npos);
    // The demo leaves no cache folder behind.
    for (const auto& entry : std::filesystem::directory_iterator(temporary.path()))
        EXPECT_FALSE(entry.is_directory()) << entry.path();

    auto missing = runProgram({"demo"}, {{"QUILLBROOK_EXAMPLES_DIR", temporary.path().string()}});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("QUILLBROOK_EXAMPLES_DIR"), std::string::npos);
}

}  // namespace
}  // namespace qb::test
