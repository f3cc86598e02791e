#include <httplib.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/server/api.hpp"
#include "host/server/dashboard.hpp"

namespace qb {

// A widget whose provider counts its timelines, with one enumeration parameter.
enum class Pace { slow, fast };

template <>
struct AppEnumTraits<Pace> {
    static constexpr std::string_view typeDisplayName = "Pace";
    static constexpr std::array cases = {AppEnumCase<Pace>{Pace::slow, "slow", "Slow"},
                                         AppEnumCase<Pace>{Pace::fast, "fast", "Fast"}};
};

struct CounterIntent {
    static constexpr std::string_view title = "Counter";
    static constexpr std::string_view description = "Counts.";
    Pace pace = Pace::slow;
    static std::vector<IntentParameter<CounterIntent>> parameters() {
        return {enumParameter("pace", "Pace", &CounterIntent::pace)};
    }
};

struct CounterEntry {
    Date date;
    std::string text;
};
inline void to_json(nlohmann::json& json, const CounterEntry& entry) {
    json = {{"text", entry.text}};
}

std::atomic<int> counterTimelines{0};
std::atomic<double> fakeNow{1000};

struct CounterProvider {
    using Intent = CounterIntent;
    using Entry = CounterEntry;
    Entry placeholder(const TimelineContext&) const { return {Date{0}, "placeholder"}; }
    Entry snapshot(const Intent& intent, const TimelineContext&) const {
        return {Date{0}, std::string(rawValue(intent.pace))};
    }
    Timeline<Entry> timeline(const Intent& intent, const TimelineContext&) const {
        const int count = ++counterTimelines;
        return {{{Date{fakeNow}, fmt::format("{}#{}", rawValue(intent.pace), count)}},
                TimelineReloadPolicy::after(Date{fakeNow + 300})};
    }
};

struct CounterWidget {
    std::string kind = "CounterWidget";
    AppIntentConfiguration<CounterProvider> body() const {
        return AppIntentConfiguration<CounterProvider>{
            kind, CounterProvider{},
            [](const CounterEntry& entry, const ui::Environment&) {
                return ui::link(Url::parse("x-quillbrook-item://A?widget=counter"),
                                ui::verbatim("<" + entry.text + ">"));
            }}
            .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemLarge});
    }
};

namespace host {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

std::string htmlOf(const nlohmann::json& state, int id) {
    for (const auto& tile : state["tiles"])
        if (tile["id"] == id) return tile["html"].get<std::string>();
    return {};
}

class DashboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        counterTimelines = 0;
        fakeNow = 1000;
    }
    Dashboard dashboard{{AnyWidget(CounterWidget{})}, [] { return Date{fakeNow}; }};
};

TEST_F(DashboardTest, AsksProvidersOnlyWhenPolledAfterTheirReloadDate) {
    auto layout = dashboard.layout()["widgets"];
    ASSERT_EQ(layout.size(), 1u);
    ASSERT_EQ(layout[0]["tiles"].size(), 2u);
    EXPECT_THAT(layout[0]["tiles"][0]["html"].get<std::string>(), HasSubstr("&lt;placeholder&gt;"));
    EXPECT_EQ(counterTimelines, 0);  // nothing runs until a page looks

    auto first = dashboard.poll(0, 5s);
    EXPECT_EQ(counterTimelines, 2);
    EXPECT_THAT(htmlOf(first, 0), HasSubstr("slow#"));
    EXPECT_EQ(first["tiles"][0]["reloadAt"], iso8601(Date{1300}));

    auto quiet = dashboard.poll(first["seq"], 5s);
    EXPECT_EQ(counterTimelines, 2);
    EXPECT_TRUE(quiet["tiles"].empty());

    fakeNow = 1301;
    auto later = dashboard.poll(quiet["seq"], 5s);
    EXPECT_EQ(counterTimelines, 4);
    EXPECT_EQ(later["tiles"].size(), 2u);
}

TEST_F(DashboardTest, ChangingAParameterRedrawsThatTileOnly) {
    dashboard.poll(0, 5s);
    auto tile = dashboard.setParameter(1, "pace", "fast", 5s);
    ASSERT_TRUE(tile);
    EXPECT_THAT((*tile)["html"].get<std::string>(), HasSubstr("fast#3"));
    EXPECT_EQ((*tile)["values"]["pace"], "fast");
    EXPECT_EQ(counterTimelines, 3);
    EXPECT_FALSE(dashboard.setParameter(1, "pace", "sideways", 5s));
    EXPECT_FALSE(dashboard.setParameter(1, "colour", "fast", 5s));
    EXPECT_FALSE(dashboard.setParameter(7, "pace", "fast", 5s));
    EXPECT_EQ(dashboard.layout()["widgets"][0]["tiles"][0]["values"]["pace"], "slow");
}

TEST_F(DashboardTest, AskesAgainShortlyAfterALinkWasOpened) {
    dashboard.poll(0, 5s);
    dashboard.linkOpened(0);
    dashboard.linkOpened(42);  // unknown tiles are ignored
    dashboard.poll(0, 5s);
    EXPECT_EQ(counterTimelines, 2);
    fakeNow = 1000 + Dashboard::refreshAfterLinkSeconds;
    auto state = dashboard.poll(0, 5s);
    EXPECT_EQ(counterTimelines, 3);
    EXPECT_THAT(htmlOf(state, 0), HasSubstr("slow#3"));
}

// The routes on a real server on a free loopback port.
class DashboardServerTest : public DashboardTest {
  protected:
    void SetUp() override {
        DashboardTest::SetUp();
        installRoutes(server, dashboard);
        port = server.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running()) std::this_thread::sleep_for(1ms);
    }
    void TearDown() override {
        server.stop();
        if (thread.joinable()) thread.join();
    }
    httplib::Result get(const std::string& path, const std::string& host) {
        return httplib::Client("127.0.0.1", port).Get(path, {{"Host", host}});
    }
    // The status and body of a POST from `origin` (status -1 without an answer).
    std::pair<int, std::string> post(const std::string& path, const std::string& origin,
                                     const std::string& body, const char* type = "application/json") {
        auto response = httplib::Client("127.0.0.1", port).Post(path, {{"Origin", origin}}, body, type);
        return response ? std::pair{response->status, response->body} : std::pair{-1, std::string()};
    }

    httplib::Server server;
    int port = 0;
    std::thread thread;
};

TEST_F(DashboardServerTest, RefusesRequestsAddressedToOtherHosts) {
    auto refused = get("/api/list", "evil.example:" + std::to_string(port));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    auto allowed = get("/api/list", "127.0.0.1:" + std::to_string(port));
    ASSERT_TRUE(allowed);
    EXPECT_EQ(allowed->status, 200);
    EXPECT_EQ(nlohmann::json::parse(allowed->body)[0]["kind"], "CounterWidget");
    auto page = get("/", "localhost:" + std::to_string(port));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_THAT(page->get_header_value("Content-Security-Policy"), HasSubstr("default-src 'none'"));
}

TEST_F(DashboardServerTest, ChangesOnlyFromTheOwnPageAndOpensOnlyAllowedLinks) {
    const std::string origin = "http://127.0.0.1:" + std::to_string(port);
    const std::string change = R"({"tile":0,"name":"pace","value":"fast"})";
    EXPECT_EQ(post("/api/set", "https://evil.example", change).first, 403);
    EXPECT_EQ(
        post("/api/set", origin, "tile=0&name=pace&value=fast", "application/x-www-form-urlencoded").first,
        403);
    EXPECT_EQ(post("/api/open", origin, R"J({"url":"javascript:alert(1)","tile":0})J").first, 400);
    const auto [status, body] = post("/api/set", origin, change);
    ASSERT_EQ(status, 200);
    EXPECT_EQ(nlohmann::json::parse(body)["values"]["pace"], "fast");
}

TEST_F(DashboardServerTest, TimelineMirrorsTheCommand) {
    httplib::Client client("127.0.0.1", port);
    auto response = client.Get("/api/timeline?kind=CounterWidget&family=systemLarge&set=pace%3Dfast");
    ASSERT_TRUE(response);
    ASSERT_EQ(response->status, 200) << response->body;
    auto json = nlohmann::json::parse(response->body);
    EXPECT_EQ(json["kind"], "CounterWidget");
    EXPECT_THAT(json["entries"][0]["text"].get<std::string>(), HasSubstr("fast#"));
    EXPECT_EQ(json["policy"]["after"], iso8601(Date{1300}));
    for (std::string bad : {"/api/timeline?kind=Nope", "/api/timeline?kind=CounterWidget&set=pace%3Dsideways",
                            "/api/options?kind=CounterWidget&param=colour"}) {
        auto refused = client.Get(bad);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->status, 400) << bad;
        EXPECT_TRUE(nlohmann::json::parse(refused->body).contains("error"));
    }
}

}  // namespace
}  // namespace host
}  // namespace qb
