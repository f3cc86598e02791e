// `serve` as people run it, in a process of its own: who else on the machine can reach it, how fast it
// stops, and what a huge upload costs it.

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "desktop_handler.hpp"
#include "http_probe.hpp"
#include "platform/files.hpp"
#include "program_runner.hpp"
#include "support/test_support.hpp"

extern char** environ;

namespace qb::test {
namespace {

using namespace std::chrono_literals;

// The program started with the arguments, in this process's environment plus `environment`, its
// output going to the given descriptors; it runs on while the test goes on. -1 when it could not start.
pid_t startProgram(std::vector<std::string> arguments,
                   const std::vector<std::pair<std::string, std::string>>& environment, int outFd,
                   int errFd) {
    std::vector<std::string> texts;
    for (const auto& [name, value] : environment) texts.push_back(name + "=" + value);
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::ranges::none_of(environment, [&](const auto& set) {
                return std::string_view(*entry).starts_with(set.first + "=");
            }))
            texts.emplace_back(*entry);
    arguments.insert(arguments.begin(), QB_PROGRAM);
    std::vector<char*> envp;
    std::vector<char*> argv;
    for (auto& text : texts) envp.push_back(text.data());
    for (auto& text : arguments) argv.push_back(text.data());
    envp.push_back(nullptr);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << "could not start " << argv[0];
    return spawned == 0 ? pid : -1;
}

// A loopback socket that listens and never accepts: a feed server whose answer never comes.
struct SilentServer {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    SilentServer() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd, 16);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd); }
    // Whether a client is waiting to be accepted within `timeout`.
    bool calledWithin(std::chrono::milliseconds timeout) const {
        pollfd ready{fd, POLLIN, 0};
        return ::poll(&ready, 1, static_cast<int>(timeout.count())) == 1;
    }
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// `serve` on a free port with a home (the sample one unless told), its own runtime, cache and
// configuration folders (unless the environment names one), `feedBase` and the environment given.
class Serve {
  public:
    explicit Serve(const std::string& feedBase, const std::string& home = QB_EXAMPLES_DIR "/home",
                   Environment environment = {}) {
        std::filesystem::permissions(runtime.path(), std::filesystem::perms::all &
                                                         ~std::filesystem::perms::others_write &
                                                         ~std::filesystem::perms::group_write);
        port = SilentServer().port;  // a port free a moment ago
        int out[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        const auto err = ::open((runtime.path() / "stderr").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        environment.emplace_back("XDG_RUNTIME_DIR", runtime.path().string());
        environment.emplace_back("XDG_CACHE_HOME", cache.path().string());
        if (std::ranges::none_of(environment, [](const auto& set) { return set.first == "XDG_CONFIG_HOME"; }))
            environment.emplace_back("XDG_CONFIG_HOME", config.path().string());
        pid = startProgram({"serve", "--port", std::to_string(port), "--home", home, "--feed-base", feedBase},
                           environment, out[1], err);
        ::close(out[1]);
        ::close(err);
        output = ::fdopen(out[0], "r");
        char line[512] = {};
        pollfd ready{out[0], POLLIN, 0};
        if (::poll(&ready, 1, 10'000) == 1 && std::fgets(line, sizeof line, output)) {
            std::cmatch address;
            if (std::regex_search(line, address,
                                  std::regex(R"(http://127\.0\.0\.1:\d+/\?token=([0-9a-f]+))"))) {
                url = address[0];
                token = address[1];
            }
        }
        EXPECT_FALSE(token.empty()) << "serve printed " << line;
    }
    ~Serve() {
        if (pid > 0 && !ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (output) std::fclose(output);
    }
    std::string owner(std::string_view method, std::string_view path, std::vector<std::string> headers = {},
                      std::string_view body = {}) const {
        headers.push_back("Cookie: qb-dashboard-" + std::to_string(port) + "=" + token);
        headers.push_back("Content-Type: application/json");
        return httpRequest(method, path, port, headers, body);
    }
    nlohmann::json ownerJson(std::string_view method, std::string_view path,
                             std::string_view body = {}) const {
        return nlohmann::json::parse(bodyOf(roundTrip(port, owner(method, path, {}, body))), nullptr, false);
    }
    // Polls as the page does until every tile shows its timeline; the tiles then and the latest change.
    std::pair<std::map<int, nlohmann::json>, std::uint64_t> drawnTiles() const {
        std::map<int, nlohmann::json> tiles;
        std::uint64_t seq = 0;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto state = ownerJson("GET", "/api/state?since=" + std::to_string(seq));
            if (!state.is_object()) break;
            for (const auto& tile : state["tiles"]) tiles[tile["id"].get<int>()] = tile;
            seq = state["seq"].get<std::uint64_t>();
            if (tiles.size() == 16 && std::ranges::none_of(tiles, [](const auto& entry) {
                    return entry.second["reloadAt"].is_null();
                }))
                break;
        }
        EXPECT_EQ(tiles.size(), 16u);
        return {tiles, seq};
    }
    // Sends SIGTERM; whether serve then ended, with status 0, within `limit`.
    bool stopsWithin(std::chrono::milliseconds limit) {
        ::kill(pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                ended = true;
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    // A figure of /proc/PID/status in KiB ("VmHWM", "VmRSS").
    long memoryKiB(const std::string& field) const {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
        return -1;
    }

    // Whatever serve printed on stderr so far.
    std::string errors() const { return readFile(runtime.path() / "stderr").value_or(""); }

    TempDir runtime;
    TempDir cache;
    TempDir config;
    int port = 0;
    pid_t pid = -1;
    bool ended = false;
    std::FILE* output = nullptr;
    std::string url;
    std::string token;
};

// What a command run as the user nobody writes to stdout, and its exit status.
std::pair<int, std::string> asNobody(const std::string& command) {
    const auto line =
        "setpriv --reuid=nobody --regid=nogroup --clear-groups bash -c '" + command + "' 2>/dev/null";
    std::FILE* pipe = ::popen(line.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, got);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(ServeProgram, AnotherAccountGetsNothing) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a client as the user nobody (setpriv)";
    Serve serve("http://127.0.0.1:1");
    for (std::string route :
         {"GET /", "GET /dashboard.js", "GET /api/layout", "GET /api/state", "GET /api/list",
          "GET /api/timeline?kind=ReadingListWidget", "POST /api/set", "POST /api/open"}) {
        // bash's /dev/tcp is the client: no other program needs to be installed.
        const auto request = route + " HTTP/1.1\\r\\nHost: 127.0.0.1:" + std::to_string(serve.port) +
                             "\\r\\nContent-Type: application/json\\r\\nContent-Length: 2\\r\\nConnection: "
                             "close\\r\\n\\r\\n{}";
        const auto [sent, answer] = asNobody("exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(serve.port) +
                                             " && printf \"" + request + "\" >&3 && head -c 12 <&3");
        EXPECT_EQ(answer, "HTTP/1.1 403") << route;
    }
    const auto file =
        serve.runtime.path() / "quillbrook-widgets" / ("dashboard-" + std::to_string(serve.port) + ".url");
    EXPECT_TRUE(std::filesystem::exists(file));
    const auto [status, text] = asNobody("cat " + file.string());
    EXPECT_NE(status, 0);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(serve.stopsWithin(2s));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(ServeProgram, StopsWithinTwoSecondsWhateverItWaitsFor) {
    {
        SilentServer feed;
        Serve serve("http://127.0.0.1:" + std::to_string(feed.port));
        ASSERT_EQ(statusOf(roundTrip(serve.port, serve.owner("GET", "/api/state"))), 200);
        ASSERT_TRUE(feed.calledWithin(5s));  // the tips download now hangs
        EXPECT_TRUE(serve.stopsWithin(2s)) << "during a download that hangs";
    }
    Serve serve("http://127.0.0.1:1");
    Probe upload(serve.port);
    ASSERT_TRUE(upload.send(serve.owner("POST", "/api/set", {"Content-Length: 60"}) + "{"));
    std::atomic<bool> done{false};
    std::thread dribble([&] {
        while (!done && upload.send(" ")) std::this_thread::sleep_for(200ms);
    });
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(serve.stopsWithin(2s)) << "during a slow upload";
    done = true;
    dribble.join();
}

TEST(ServeProgram, RefusesAHugeBodyWithoutHoldingIt) {
    Serve serve("http://127.0.0.1:1");
    ASSERT_EQ(statusOf(roundTrip(serve.port, serve.owner("GET", "/api/layout"))), 200);
    const auto peakBefore = serve.memoryKiB("VmHWM");
    Probe upload(serve.port);
    constexpr std::size_t total = 400u << 20;
    ASSERT_TRUE(upload.send(serve.owner("POST", "/api/set", {"Content-Length: " + std::to_string(total)})));
    EXPECT_EQ(statusOf(upload.response(2s)), 413);
    const std::string chunk(1 << 16, '{');
    for (std::size_t sent = 0; sent < total && upload.send(chunk); sent += chunk.size()) {
    }
    EXPECT_LT(serve.memoryKiB("VmHWM") - peakBefore, 16 * 1024);
    EXPECT_LT(serve.memoryKiB("VmRSS"), peakBefore + 16 * 1024);
}

// The home replaces its reading list by rename, as the document manager does: the tile that a page
// waits for changes within a second.
TEST(ServeProgram, ATileFollowsItsFileWithinASecond) {
    TempDir home;
    const auto list = home.path() / "Library/Application Support/Quillbrook/ReadingList.plist";
    const auto titled = [](const std::string& title) {
        return makePlist(
            PlistJson::array({{{"URL", "x-quillbrook-item://1"}, {"title", title}, {"unread", true}}}),
            PlistFormat::binary);
    };
    home.write(std::filesystem::relative(list, home.path()), titled("Before the change"));
    Serve serve("http://127.0.0.1:1", home.path().string());
    const auto [tiles, seq] = serve.drawnTiles();
    EXPECT_NE(tiles.at(0)["html"].get<std::string>().find("Before the change"), std::string::npos);

    Probe poll(serve.port);
    ASSERT_TRUE(poll.send(serve.owner("GET", "/api/state?since=" + std::to_string(seq))));
    ASSERT_FALSE(writeFileAtomically(list, titled("After the change")));
    const auto answer = nlohmann::json::parse(bodyOf(poll.response(1s)), nullptr, false);
    ASSERT_TRUE(answer.is_object()) << "no answer within a second of the file's replacement";
    ASSERT_FALSE(answer["tiles"].empty());
    EXPECT_EQ(answer["tiles"][0]["kind"], "ReadingListWidget");
    EXPECT_NE(answer["tiles"][0]["html"].get<std::string>().find("After the change"), std::string::npos);
}

TEST(ServeProgram, IdleMeansNoWakeups) {
    Serve serve("http://127.0.0.1:1");
    serve.drawnTiles();
    std::this_thread::sleep_for(1s);
    EXPECT_LE(wakeupsWithin(serve.pid, 3s), 5) << "woke up with nothing due";
}

// The page's own texts come in the user's language, handed to its script.
TEST(ServeProgram, ThePageSpeaksTheUsersLanguage) {
    Serve serve("http://127.0.0.1:1", QB_EXAMPLES_DIR "/home", {{"LANGUAGE", "de"}});
    const auto page = roundTrip(serve.port, serve.owner("GET", "/"));
    EXPECT_NE(page.find("<html lang=\"de\""), std::string::npos) << page.substr(0, 300);
    EXPECT_NE(page.find("&quot;Search&quot;:&quot;Suchen&quot;"), std::string::npos) << page.substr(0, 300);
}

// A click opens a link with the application the desktop registered for its scheme, which inherits
// none of the server's sockets; where no application opens the scheme, the answer says so.
TEST(ServeProgram, OpensALinkOnlyWithAnApplicationForItsScheme) {
    DesktopHandler desktop("x-quillbrook-item");
    Serve serve("http://127.0.0.1:1", QB_EXAMPLES_DIR "/home", desktop.environment());
    const auto [tiles, seq] = serve.drawnTiles();
    // The reading list's medium tile: its first row is a record, its second a web page.
    const auto html = tiles.at(1)["html"].get<std::string>();
    std::vector<std::string> links;
    const std::regex href(R"re(href="([^"]+)")re");
    for (auto match = std::sregex_iterator(html.begin(), html.end(), href); match != std::sregex_iterator();
         ++match)
        links.push_back(std::regex_replace((*match)[1].str(), std::regex("&amp;"), "&"));
    ASSERT_GE(links.size(), 2u);
    ASSERT_TRUE(links[0].starts_with("x-quillbrook-item:")) << links[0];
    ASSERT_TRUE(links[1].starts_with("x-quillbrook:")) << links[1];

    const auto opened =
        serve.ownerJson("POST", "/api/open", nlohmann::json{{"url", links[0]}, {"tile", 1}}.dump());
    EXPECT_EQ(opened, (nlohmann::json{{"opened", true}}));
    EXPECT_EQ(desktop.opened(), links[0] + "\n");
    EXPECT_EQ(desktop.inheritedSockets(), "");
    const auto refused =
        serve.ownerJson("POST", "/api/open", nlohmann::json{{"url", links[1]}, {"tile", 1}}.dump());
    EXPECT_EQ(refused,
              (nlohmann::json{{"opened", false}, {"error", "no application opens x-quillbrook links"}}));
}

// A parameter chosen in the page is kept in desktop.ini beside the desktop's widgets, whose lines stay as
// they were, and the next run starts the tile with it; a group the dashboard cannot use is named.
TEST(ServeProgram, KeepsTheChoicesMadeInThePageForTheNextRun) {
    TempDir config;
    const std::string desktop =
        "# mine\n[widget reading]\nkind=readinglist\nfamily=small\n\n[dashboard "
        "tips]\nkind=tips\nfamily=huge\n";
    const auto file = config.write("quillbrook-widgets/desktop.ini", desktop);
    const Environment environment{{"XDG_CONFIG_HOME", config.path().string()}};
    const auto readingMedium = [](const nlohmann::json& state) {
        for (const auto& tile : state["tiles"])
            if (tile["id"] == 1) return tile["values"]["filter"];
        return nlohmann::json();
    };
    {
        Serve serve("http://127.0.0.1:1", QB_EXAMPLES_DIR "/home", environment);
        const auto changed =
            serve.ownerJson("POST", "/api/set", R"({"tile": 1, "name": "filter", "value": "unreadOnly"})");
        EXPECT_EQ(changed["values"]["filter"], "unreadOnly");
        EXPECT_FALSE(changed.contains("notKept")) << changed;
        EXPECT_NE(serve.errors().find("desktop.ini line 8: [dashboard tips]: unknown family \"huge\""),
                  std::string::npos)
            << serve.errors();
        EXPECT_TRUE(serve.stopsWithin(2s));
    }
    const auto text = readFile(file).value_or("");
    EXPECT_TRUE(text.starts_with(desktop)) << text;
    EXPECT_NE(
        text.find("[dashboard readinglist medium]\nkind=readinglist\nfamily=medium\nset.filter=unreadOnly\n"),
        std::string::npos)
        << text;

    Serve again("http://127.0.0.1:1", QB_EXAMPLES_DIR "/home", environment);
    EXPECT_EQ(readingMedium(again.ownerJson("GET", "/api/state?since=0")), "unreadOnly");
}

}  // namespace
}  // namespace qb::test
