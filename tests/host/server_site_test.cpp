// The dashboard's site on a real loopback port, driven by raw HTTP: who may use it, what it opens,
// which input it refuses, and that no client can keep it from answering its owner.

#include <filesystem>
#include <fstream>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "counter_widget.hpp"
#include "engine_thread.hpp"
#include "host/server/dashboard_server.hpp"
#include "http_probe.hpp"
#include "support/test_support.hpp"

namespace qb::host {
namespace {

using namespace std::chrono_literals;
using test::bodyOf;
using test::headerOf;
using test::httpRequest;
using test::Probe;
using test::statusOf;
using ::testing::HasSubstr;

constexpr std::string_view secret = "0123456789abcdef0123456789abcdef";

class SiteTest : public ::testing::Test, FreshCounters {
  protected:
    SiteTest() { live.start(); }
    void SetUp() override { start({}); }
    void TearDown() override {
        lanes.stop();
        stop();
        live.stop();
    }

    void start(ServerLimits limits) {
        opener =
            folder.write("opener.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/opened\"\n");
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        server.emplace(dashboard, lanes,
                       SiteOptions{.secret = OwnerSecret(std::string(secret)),
                                   .opener = LinkOpener{opener.string()},
                                   .pollWait = 5s},
                       limits);
        ASSERT_FALSE(server->listen(0));
        port = server->port();
        thread = std::thread([this] { server->run(); });
    }
    void stop() {
        if (!server) return;
        server->stop();
        thread.join();
        server.reset();
    }

    std::string cookie() const {
        return "Cookie: qb-dashboard-" + std::to_string(port) + "=" + std::string(secret);
    }
    // The owner's request: with the session cookie and the page's own headers.
    std::string owner(std::string_view method, std::string_view path, std::string_view body = {},
                      std::vector<std::string> headers = {}) const {
        headers.push_back(cookie());
        if (method == "POST" && std::ranges::none_of(headers, [](const std::string& header) {
                return header.starts_with("Content-Type:");
            }))
            headers.push_back("Content-Type: application/json");
        return httpRequest(method, path, port, headers, body);
    }
    std::string send(const std::string& request) const { return test::roundTrip(port, request); }
    // Lets a page poll once and waits until the tiles show their timelines; the latest change.
    std::uint64_t settled() const {
        EXPECT_EQ(statusOf(send(owner("GET", "/api/state"))), 200);
        for (int waited = 0; waited < 500; ++waited) {
            bool drawn = true;
            for (std::size_t id = 0; id < dashboard.tileCount(); ++id)
                drawn = drawn && !dashboard.tile(id)["reloadAt"].is_null();
            if (drawn) break;
            std::this_thread::sleep_for(10ms);
        }
        return dashboard.seq();
    }
    std::vector<std::string> opened() const {
        std::ifstream file(folder.path() / "opened");
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }

    test::TempDir folder;
    std::filesystem::path opener;
    test::EngineThread live{test::quietEngineOptions([] { return Date{fakeNow}; })};
    WorkLanes lanes{3};
    Dashboard dashboard{{AnyWidget(CounterWidget{}), AnyWidget(CounterWidget{"SecondWidget"})},
                        live.engine(),
                        live.context()};
    std::optional<DashboardServer> server;
    int port = 0;
    std::thread thread;
};

TEST_F(SiteTest, AnswersOnlyTheSecretAndTradesTheAddressForACookie) {
    const std::vector<std::pair<std::string, std::string>> routes = {
        {"GET", "/"},
        {"GET", "/dashboard.js"},
        {"GET", "/api/layout"},
        {"GET", "/api/state"},
        {"GET", "/api/list"},
        {"GET", "/api/options?kind=CounterWidget&param=pace"},
        {"GET", "/api/timeline?kind=CounterWidget"},
        {"POST", "/api/set"},
        {"POST", "/api/open"},
        {"GET", "/widget/CounterWidget"},
        {"GET", "/?token=0123456789abcdef0123456789abcdeX"}};
    for (const auto& [method, path] : routes) {
        for (const auto& header : {std::string("Content-Type: application/json"),
                                   "Cookie: qb-dashboard-" + std::to_string(port) + "=0123456789abcdef",
                                   "Cookie: qb-dashboard-1=" + std::string(secret)}) {
            const auto answer = send(httpRequest(method, path, port, {header}, method == "POST" ? "{}" : ""));
            EXPECT_EQ(statusOf(answer), 403) << method << " " << path << " " << header;
            EXPECT_THAT(bodyOf(answer),
                        HasSubstr("open the address that `quillbrook-widgets serve` printed"));
        }
    }
    // A single widget's page trades the token too, and keeps the rest of its address.
    for (const auto& [asked, location] :
         {std::pair{"/?token=" + std::string(secret), std::string("/")},
          std::pair{"/widget/counter?family=small&token=" + std::string(secret) + "&set=pace%3Dfast",
                    std::string("/widget/counter?family=small&set=pace=fast")}}) {
        const auto exchange = send(httpRequest("GET", asked, port));
        EXPECT_EQ(statusOf(exchange), 303) << asked;
        EXPECT_EQ(headerOf(exchange, "location"), location);
        EXPECT_EQ(headerOf(exchange, "set-cookie"), "qb-dashboard-" + std::to_string(port) + "=" +
                                                        std::string(secret) +
                                                        "; Path=/; HttpOnly; SameSite=Strict");
    }
    const auto page = send(owner("GET", "/"));
    EXPECT_EQ(statusOf(page), 200);
    EXPECT_THAT(headerOf(page, "content-security-policy"), HasSubstr("default-src 'none'"));
    EXPECT_EQ(headerOf(page, "x-content-type-options"), "nosniff");
}

TEST_F(SiteTest, RefusesForeignHostsAndOrigins) {
    const auto own = "http://127.0.0.1:" + std::to_string(port);
    for (const auto& header : {std::string("Host: localhost%00.evil"), std::string("Host: localhost%2eevil"),
                               "Host: evil.example:" + std::to_string(port),
                               "Origin: http://127.0.0.1:" + std::to_string(port + 1)}) {
        const auto request =
            owner("POST", "/api/set", R"({"tile":0,"name":"pace","value":"fast"})", {header});
        EXPECT_EQ(statusOf(send(request)), 403) << header;
    }
    EXPECT_EQ(statusOf(send(owner("POST", "/api/set", "tile=0&name=pace&value=fast",
                                  {"Content-Type: application/x-www-form-urlencoded"}))),
              403);
    EXPECT_EQ(dashboard.tile(0)["values"]["pace"], "slow");
    const auto changed =
        send(owner("POST", "/api/set", R"({"tile":0,"name":"pace","value":"fast"})", {"Origin: " + own}));
    EXPECT_EQ(statusOf(changed), 200) << changed;
    EXPECT_THAT(nlohmann::json::parse(bodyOf(changed))["html"].get<std::string>(), HasSubstr("fast#"));
}

TEST_F(SiteTest, OpensOnlyALinkThatTheTileShows) {
    settled();
    for (std::string_view url :
         {"file:///etc/passwd", "FILE:///etc/shadow", "file://evil.example/share/x", "http://evil.example/",
          "javascript:alert(1)", "x-quillbrook-item://B?widget=counter"}) {
        const auto answer =
            send(owner("POST", "/api/open", nlohmann::json{{"url", url}, {"tile", 0}}.dump()));
        EXPECT_THAT(statusOf(answer), ::testing::AnyOf(400, 403)) << url;
    }
    EXPECT_EQ(
        statusOf(send(owner("POST", "/api/open", nlohmann::json{{"url", counterLink}, {"tile", 9}}.dump()))),
        400);
    const auto answer =
        send(owner("POST", "/api/open", nlohmann::json{{"url", counterLink}, {"tile", 1}}.dump()));
    EXPECT_EQ(statusOf(answer), 200) << answer;
    for (int waited = 0; opened().empty() && waited < 500; ++waited) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(opened(), std::vector<std::string>{std::string(counterLink)});
}

TEST_F(SiteTest, TileNumbersOutOfRangeChangeNothing) {
    for (std::string_view tile : {"4294967299", "18446744073709551619", "-1", "1.5", "\"3\"", "4", "null"}) {
        const auto body = R"({"tile":)" + std::string(tile) + R"(,"name":"pace","value":"fast"})";
        const auto answer = send(owner("POST", "/api/set", body));
        EXPECT_EQ(statusOf(answer), 400) << tile;
        EXPECT_THAT(bodyOf(answer), HasSubstr("a tile number from 0 to 3")) << tile;
    }
    for (std::size_t id = 0; id < dashboard.tileCount(); ++id)
        EXPECT_EQ(dashboard.tile(id)["values"]["pace"], "slow");
    EXPECT_EQ(counterTimelines, 0);
}

// A poll waits on the server until a tile changes; a parameter change answers with the redrawn tile.
TEST_F(SiteTest, APollWaitsForTheNextChange) {
    const auto seq = settled();
    Probe poll(port);
    ASSERT_TRUE(poll.send(owner("GET", "/api/state?since=" + std::to_string(seq))));
    EXPECT_TRUE(poll.response(300ms).empty());
    const auto changed = send(owner("POST", "/api/set", R"({"tile":2,"name":"pace","value":"fast"})"));
    ASSERT_EQ(statusOf(changed), 200);
    const auto woken = nlohmann::json::parse(bodyOf(poll.response(2s)), nullptr, false);
    ASSERT_EQ(woken["tiles"].size(), 1u) << woken;
    EXPECT_EQ(woken["tiles"][0]["id"], 2);
    EXPECT_THAT(woken["tiles"][0]["html"].get<std::string>(), HasSubstr("fast#"));
}

TEST_F(SiteTest, RefusesBodiesLargerThanTheApiNeeds) {
    Probe declared(port);
    ASSERT_TRUE(declared.send(owner("POST", "/api/set", {}, {"Content-Length: 419430400"})));
    EXPECT_EQ(statusOf(declared.response(1s)), 413);
    Probe chunked(port);
    ASSERT_TRUE(chunked.send(owner("POST", "/api/set", {}, {"Transfer-Encoding: chunked"})));
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 4; ++i) chunked.send("1000\r\n" + chunk + "\r\n");
    EXPECT_EQ(statusOf(chunked.response(1s)), 413);
}

TEST_F(SiteTest, GivesHeadsAndBodiesADeadline) {
    stop();
    start(ServerLimits{.headerDeadline = 300ms, .bodyDeadline = 300ms});
    Probe head(port);
    ASSERT_TRUE(head.send("GET / HTTP/1.1\r\nHo"));
    Probe body(port);
    ASSERT_TRUE(body.send(owner("POST", "/api/set", {}, {"Content-Length: 40"}) + "{\"ti"));
    EXPECT_TRUE(head.closedWithin(2s));
    EXPECT_TRUE(body.closedWithin(2s));
}

// Slow heads and a crowd of waiting polls (strangers' or the owner's own) cannot keep the page from
// being answered.
TEST_F(SiteTest, AnswersThePageWhateverOtherClientsDo) {
    std::vector<Probe> clients;
    for (int i = 0; i < 8; ++i) {
        clients.emplace_back(port);
        clients.back().send("GET / HTTP/1.1\r\nHost: 127.0.0.1:");
    }
    const auto seq = settled();
    for (int i = 0; i < 200; ++i) {
        clients.emplace_back(port);
        clients.back().send(owner("GET", "/api/state?since=" + std::to_string(seq)));
    }
    Probe page(port);
    ASSERT_TRUE(page.send(owner("GET", "/")));
    EXPECT_EQ(statusOf(page.response(1s)), 200);
}

}  // namespace
}  // namespace qb::host
