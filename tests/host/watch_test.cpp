// `watch` and `open` as status bars run them: real processes reading a pipe, files replaced by rename,
// signals, a reader that goes away.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "desktop_handler.hpp"
#include "host/demo_feed_server.hpp"
#include "platform/files.hpp"
#include "program_runner.hpp"
#include "support/test_support.hpp"

extern char** environ;

namespace qb::test {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using Environment = std::vector<std::pair<std::string, std::string>>;

// The program running with its stdout on a pipe that the test reads line by line.
class Running {
  public:
    explicit Running(std::vector<std::string> arguments, const Environment& environment = {}) {
        std::vector<std::string> envText;
        for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
        for (char** entry = environ; *entry != nullptr; ++entry) envText.emplace_back(*entry);
        std::vector<char*> envp;
        for (auto& text : envText) envp.push_back(text.data());
        envp.push_back(nullptr);
        arguments.insert(arguments.begin(), QB_PROGRAM);
        std::vector<char*> argv;
        for (auto& text : arguments) argv.push_back(text.data());
        argv.push_back(nullptr);
        int out[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~Running() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    pid_t pid() const { return pid_; }

    // The next line, unless none comes in time.
    std::optional<std::string> line(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string text = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return text;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd readable{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char chunk[65536];
            const ssize_t count = read(out_, chunk, sizeof chunk);
            if (count <= 0) return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(count));
        }
    }
    // Every line that comes within the span.
    std::vector<std::string> lines(std::chrono::milliseconds span) {
        const auto deadline = std::chrono::steady_clock::now() + span;
        std::vector<std::string> found;
        while (auto next = line(std::chrono::duration_cast<std::chrono::milliseconds>(
                   deadline - std::chrono::steady_clock::now())))
            found.push_back(*next);
        return found;
    }
    void closeOutput() {
        close(out_);
        out_ = -1;
    }
    // The exit status once the program ended (within five seconds), -1 if a signal ended it.
    int status() {
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -2;
    }

  private:
    pid_t pid_ = 0;
    int out_ = -1;
    std::string buffer_;
};

std::string readingList(int unread, const PlistJson& extra = PlistJson::object()) {
    auto items = PlistJson::array();
    for (int i = 0; i < unread; ++i) {
        PlistJson item{{"URL", "x-quillbrook-item://" + std::to_string(i)},
                       {"title", "Item " + std::to_string(i)},
                       {"unread", true}};
        item.update(extra);
        items.push_back(std::move(item));
    }
    return makePlist(items, PlistFormat::binary);
}

// A home with a reading list, replaced by rename as the document manager does.
struct Home {
    TempDir folder;
    Home() { std::filesystem::create_directories(list().parent_path()); }
    std::filesystem::path list() const {
        return folder.path() / "Library/Application Support/Quillbrook/ReadingList.plist";
    }
    void replace(const std::string& bytes) const { EXPECT_FALSE(writeFileAtomically(list(), bytes)); }
    std::vector<std::string> with(std::vector<std::string> arguments) const {
        arguments.insert(arguments.end(), {"--home", folder.path().string()});
        return arguments;
    }
};

std::string barText(const std::optional<std::string>& line) {
    if (!line) return "(no line)";
    auto object = json::parse(*line, nullptr, false);
    return object.is_object() ? object.value("text", "(no text)") : "(not JSON)";
}

TEST(WatchTest, ALineWhenTheEntryChangesAndOnlyThen) {
    Home home;
    const auto two = readingList(2), three = readingList(3);
    home.replace(two);
    Running watch(home.with({"watch", "readinglist", "--format", "waybar"}));
    EXPECT_EQ(barText(watch.line(5s)), "2 unread");

    home.replace(three);
    EXPECT_EQ(barText(watch.line(1s)), "3 unread") << "no line within a second of the file's replacement";

    // The same contents, and a field that the entry does not show: no line.
    home.replace(three);
    home.replace(readingList(3, {{"Comment", "not shown"}}));
    EXPECT_EQ(watch.lines(1s), std::vector<std::string>{});

    // A hundred replacements in a second: at most two lines, the last one right.
    for (int i = 0; i < 100; ++i) {
        home.replace(i % 2 == 0 ? two : three);
        std::this_thread::sleep_for(10ms);
    }
    home.replace(two);
    const auto burst = watch.lines(1500ms);
    EXPECT_GE(burst.size(), 1u);
    EXPECT_LE(burst.size(), 2u);
    if (!burst.empty()) {
        EXPECT_EQ(barText(burst.back()), "2 unread");
    }
}

TEST(WatchTest, EndsWithStatusZeroOnASignalOrWhenTheReaderGoes) {
    for (int ending : {SIGTERM, SIGINT, 0}) {
        Running watch({"watch", "workspaces", "--home", QB_EXAMPLES_DIR "/home"});
        ASSERT_TRUE(watch.line(5s)) << ending;
        if (ending != 0)
            kill(watch.pid(), ending);
        else
            watch.closeOutput();
        EXPECT_EQ(watch.status(), 0) << (ending != 0 ? strsignal(ending) : "stdout closed");
    }
}

TEST(WatchTest, IdleMeansNoWakeups) {
    Running watch({"watch", "readinglist", "--home", QB_EXAMPLES_DIR "/home"});
    ASSERT_TRUE(watch.line(5s));
    std::this_thread::sleep_for(1s);
    EXPECT_LE(wakeupsWithin(watch.pid(), 3s), 3) << "woke up with nothing due";
}

TEST(WatchTest, FormatsMatchTheOtherCommands) {
    const std::string home = QB_EXAMPLES_DIR "/home";
    Running lines({"watch", "readinglist", "--format", "json", "--home", home});
    auto line = json::parse(lines.line(5s).value_or(""), nullptr, false);
    auto timeline =
        json::parse(runProgram({"timeline", "readinglist", "--format", "json", "--home", home}).out);
    ASSERT_TRUE(line.is_object());
    EXPECT_FALSE(line["policy"]["after"].is_null());
    line["entries"][0].erase("date");
    timeline["entries"][0].erase("date");
    EXPECT_EQ(line["entries"], timeline["entries"]);

    Running text({"watch", "readinglist", "--family", "small", "--format", "text", "--home", home});
    std::string drawn;
    while (auto next = text.line(5s)) {
        if (next->empty()) break;
        drawn += *next + "\n";
    }
    EXPECT_EQ(
        drawn,
        runProgram({"render", "readinglist", "--family", "small", "--format", "text", "--home", home}).out);
}

TEST(WatchTest, BarObjectsFromEachWidgetsOwnTexts) {
    TempDir empty, cache;
    host::DemoFeedServer feed(readFile(QB_EXAMPLES_DIR "/feed.xml").value_or(""));
    ASSERT_TRUE(feed.start());
    struct Case {
        std::vector<std::string> arguments;
        std::string text, state;
        std::size_t tooltipLines;
    };
    const std::string home = QB_EXAMPLES_DIR "/home";
    const std::vector<Case> cases{
        {{"readinglist", "--home", home}, "9 unread", "unread", 7},  // header, 5 rows, "+8 more"
        {{"readinglist", "--home", empty.path().string()}, "0 unread", "empty", 2},
        {{"favorites", "--family", "small", "--home", home}, "12 items", "items", 6},
        {{"tips", "--feed-base", feed.base()}, "Search across all databases at once", "tip", 3},
    };
    for (const auto& c : cases) {
        auto arguments = c.arguments;
        arguments.insert(arguments.begin(), {"watch", "--format", "waybar"});
        Running watch(arguments, {{"XDG_CACHE_HOME", cache.path().string()}});
        auto object = json::parse(watch.line(10s).value_or(""), nullptr, false);
        EXPECT_EQ(object.value("text", ""), c.text) << c.arguments[0];
        EXPECT_EQ(object.value("class", ""), c.state) << c.arguments[0];
        EXPECT_EQ(object.value("alt", ""), c.state) << c.arguments[0];
        EXPECT_EQ(linesOf(object.value("tooltip", "")).size(), c.tooltipLines) << object.dump();
    }
}

// A stand-in for the desktop's opener that notes what it was asked to open.
struct Opener {
    TempDir folder;
    Opener() {
        const auto script = folder.path() / "opener.sh";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \""
                              << (folder.path() / "opened").string() << "\"\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    std::pair<std::string, std::string> environment() const {
        return {"QUILLBROOK_WIDGETS_OPENER", (folder.path() / "opener.sh").string()};
    }
    // What it was asked to open, once that is `count` links (or after two seconds).
    std::string opened(std::size_t count = 1) const {
        std::string text;
        for (int i = 0; i < 200 && linesOf(text).size() < count; ++i) {
            std::this_thread::sleep_for(10ms);
            text = readFile(folder.path() / "opened").value_or("");
        }
        return text;
    }
};

TEST(OpenTest, OpensWhatAClickWouldAndRefusesTheRest) {
    Opener opener;
    Home hostile;
    hostile.replace(
        makePlist(R"json([{"URL": "javascript:alert(1)", "title": "Evil"}])json"_plist, PlistFormat::binary));
    const std::string home = QB_EXAMPLES_DIR "/home";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string opened;  // or a part of the error line
    };
    const std::vector<Case> cases{
        {{"readinglist", "--row", "2", "--home", home},
         0,
         "x-quillbrook://open-url?location=https://www.example.org/articles/"
         "slow-reading&widget=readinglist\n"},
        {{"readinglist", "--row", "5", "--family", "small", "--home", home}, 2, "shows 4 rows in small"},
        {{"readinglist", "--home", home}, 2, "give --row 1 to 5"},
        {{"readinglist", "--row", "1", "--home", hostile.folder.path().string()}, 2, "refusing to open"},
        {{"readinglist", "--row", "0", "--home", home}, 2, "not a row number"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"open"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        auto result = runProgram(arguments, {opener.environment()});
        EXPECT_EQ(result.status, c.status) << c.arguments[0] << " " << result.err;
        if (c.status == 0)
            EXPECT_EQ(opener.opened(), c.opened);
        else
            EXPECT_NE(result.err.find(c.opened), std::string::npos) << result.err;
    }
    // Without a stand-in: the application the desktop registered for the scheme, and a failure while
    // running, with the reason, for a scheme that no application opens.
    DesktopHandler desktop("x-quillbrook-item");
    auto item = runProgram({"open", "readinglist", "--row", "1", "--home", home}, desktop.environment());
    EXPECT_EQ(item.status, 0) << item.err;
    EXPECT_EQ(desktop.opened(),
              "x-quillbrook-item://1B7D0C52-0001-4A6E-9D3C-7E8F9A0B1C01?widget=readinglist\n");
    auto page = runProgram({"open", "readinglist", "--row", "2", "--home", home}, desktop.environment());
    EXPECT_EQ(page.status, 1);
    EXPECT_NE(page.err.find(": no application opens x-quillbrook links"), std::string::npos) << page.err;
}

TEST(IntegrationsTest, DocumentedCommandLinesSpeakTheirProtocols) {
    const auto doc = readFile(QB_EXAMPLES_DIR "/../docs/integrations.md").value_or("");
    Opener opener;
    TempDir cache;
    host::DemoFeedServer feed(readFile(QB_EXAMPLES_DIR "/feed.xml").value_or(""));
    ASSERT_TRUE(feed.start());
    enum class Protocol { barObject, jsonLine, drawing, opens };
    const std::vector<std::pair<std::string, Protocol>> commands{
        {"quillbrook-widgets watch readinglist --format waybar", Protocol::barObject},
        {"quillbrook-widgets watch tips --set mode=tipOfTheDay --format waybar", Protocol::barObject},
        {"quillbrook-widgets open readinglist --row 1", Protocol::opens},
        {"quillbrook-widgets open tips --set mode=tipOfTheDay", Protocol::opens},
        {"quillbrook-widgets watch readinglist --format json", Protocol::jsonLine},
        {"quillbrook-widgets render readinglist --family small --format text", Protocol::drawing},
    };
    const Environment environment{{"XDG_CACHE_HOME", cache.path().string()}, opener.environment()};
    for (const auto& [command, protocol] : commands) {
        EXPECT_NE(doc.find(command), std::string::npos) << "not in docs/integrations.md: " << command;
        std::istringstream words(command.substr(command.find(' ') + 1));
        std::vector<std::string> arguments{std::istream_iterator<std::string>(words), {}};
        arguments.insert(arguments.end(), {"--home", QB_EXAMPLES_DIR "/home", "--feed-base", feed.base()});
        if (protocol == Protocol::barObject || protocol == Protocol::jsonLine) {
            Running watch(arguments, environment);
            auto object = json::parse(watch.line(10s).value_or(""), nullptr, false);
            ASSERT_TRUE(object.is_object()) << command;
            if (protocol == Protocol::barObject) {
                EXPECT_EQ(object.size(), 4u) << command;
                for (const char* key : {"text", "tooltip", "class", "alt"})
                    EXPECT_TRUE(object[key].is_string()) << key;
            } else {
                // What the eww snippet reads.
                EXPECT_TRUE(object["entries"][0]["unreadCount"].is_number_integer());
                EXPECT_TRUE(object["entries"][0]["items"][0]["displayTitle"].is_string());
            }
            continue;
        }
        auto result = runProgram(arguments, environment);
        EXPECT_EQ(result.status, 0) << command << ": " << result.err;
        if (protocol == Protocol::drawing) {
            EXPECT_NE(result.out.find("Reading List"), std::string::npos);
        }
    }
    EXPECT_EQ(linesOf(opener.opened(2)).size(), 2u);
}

}  // namespace
}  // namespace qb::test
