#include "host/server/dashboard.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "counter_widget.hpp"
#include "engine_thread.hpp"

namespace qb::host {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

engine::EngineOptions dashboardEngine() {
    auto options = test::quietEngineOptions([] { return Date{fakeNow}; });
    options.afterLinkSeconds = 0;  // how soon is the engine's own matter
    return options;
}

class DashboardTest : public ::testing::Test, FreshCounters {
  protected:
    DashboardTest() {
        dashboard.onChange([this] {
            std::scoped_lock lock(mutex);
            changed.notify_all();
        });
        live.start();
    }
    ~DashboardTest() override {
        counterHold = false;
        live.stop();
    }

    // Waits until `done` holds after a change (at most five seconds).
    bool waitFor(const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, done);
    }
    bool drawn(std::size_t id) const { return !dashboard.tile(id)["reloadAt"].is_null(); }
    bool allDrawn() const {
        for (std::size_t id = 0; id < dashboard.tileCount(); ++id)
            if (!drawn(id)) return false;
        return true;
    }

    std::mutex mutex;
    std::condition_variable changed;
    test::EngineThread live{dashboardEngine()};
    // The held widget first, so that its tiles are the first to ask.
    Dashboard dashboard{
        {AnyWidget(HeldWidget{"HeldWidget"}), AnyWidget(CounterWidget{})}, live.engine(), live.context()};
};

TEST_F(DashboardTest, NothingRunsWhileNoPageLooksAndAPageThatReturnsCatchesUp) {
    auto layout = dashboard.layout();
    ASSERT_EQ(layout["widgets"].size(), 2u);
    ASSERT_EQ(layout["widgets"][1]["tiles"].size(), 2u);
    EXPECT_THAT(layout["widgets"][1]["tiles"][0]["html"].get<std::string>(),
                HasSubstr("&lt;placeholder&gt;"));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(counterTimelines, 0);

    dashboard.setVisible(true);
    ASSERT_TRUE(waitFor([&] { return allDrawn(); }));
    EXPECT_EQ(counterTimelines, 4);
    EXPECT_THAT(dashboard.tile(2)["html"].get<std::string>(), HasSubstr("slow#"));
    EXPECT_EQ(dashboard.tile(2)["reloadAt"], iso8601(Date{1300}));

    // Hidden past the reload date: nothing; shown again: every tile at once.
    dashboard.setVisible(false);
    live.sync();
    fakeNow = 1301;
    const auto seq = dashboard.seq();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(counterTimelines, 4);
    dashboard.setVisible(true);
    ASSERT_TRUE(waitFor([&] { return dashboard.changesSince(seq)["tiles"].size() == 4; }));
    EXPECT_EQ(counterTimelines, 8);
}

TEST_F(DashboardTest, ChangingAParameterRedrawsThatTileOnly) {
    dashboard.setVisible(true);
    ASSERT_TRUE(waitFor([&] { return allDrawn(); }));
    ASSERT_TRUE(dashboard.setParameter(3, "pace", "fast"));
    ASSERT_TRUE(waitFor([&] { return !dashboard.awaitingRedraw(3); }));
    EXPECT_THAT(dashboard.tile(3)["html"].get<std::string>(), HasSubstr("fast#5"));
    EXPECT_EQ(dashboard.tile(3)["values"]["pace"], "fast");
    EXPECT_FALSE(dashboard.setParameter(3, "pace", "sideways"));
    EXPECT_FALSE(dashboard.setParameter(3, "colour", "fast"));
    EXPECT_FALSE(dashboard.setParameter(7, "pace", "fast"));
    EXPECT_EQ(counterTimelines, 5);
    EXPECT_EQ(dashboard.tile(2)["values"]["pace"], "slow");
}

// A page that shows one widget alone gets a tile of its own, shared by pages that ask for the same
// parameters, reloaded only while that page looks and never among the dashboard's changes.
TEST_F(DashboardTest, ASingleWidgetPageHasATileOfItsOwn) {
    const auto instance = [&](std::string_view pace) {
        auto made = dashboard.widgets()[1].makeInstance();
        made.set("pace", pace);
        return made;
    };
    const auto fast = dashboard.singleTile(1, WidgetFamily::systemLarge, instance("fast"));
    ASSERT_EQ(fast, dashboard.dashboardTileCount());
    EXPECT_EQ(dashboard.singleTile(1, WidgetFamily::systemLarge, instance("fast")), fast);
    EXPECT_EQ(dashboard.singleTile(1, WidgetFamily::systemLarge, instance("slow")), *fast + 1);

    dashboard.setVisible(*fast, true);
    ASSERT_TRUE(waitFor([&] { return drawn(*fast); }));
    EXPECT_THAT(dashboard.tile(*fast)["html"].get<std::string>(), HasSubstr("fast#1"));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(counterTimelines, 1);
    EXPECT_EQ(dashboard.changesSince(0)["tiles"].size(), 4u);  // the dashboard's own
    EXPECT_EQ(dashboard.changesSince(dashboard.seq() - 1, *fast)["tiles"].size(), 1u);
    EXPECT_FALSE(dashboard.setParameter(*fast, "pace", "slow"));
}

TEST_F(DashboardTest, AsksAgainAfterALinkItShowsWasOpened) {
    dashboard.setVisible(true);
    ASSERT_TRUE(waitFor([&] { return allDrawn(); }));
    EXPECT_FALSE(dashboard.showsLink(2, "x-quillbrook-item://B?widget=counter"));
    EXPECT_FALSE(dashboard.showsLink(42, counterLink));
    EXPECT_TRUE(dashboard.showsLink(2, counterLink));
    const auto seq = dashboard.seq();
    dashboard.linkOpened(2);
    ASSERT_TRUE(waitFor([&] { return dashboard.seq() > seq; }));
    const auto state = dashboard.changesSince(seq);
    ASSERT_EQ(state["tiles"].size(), 1u);
    EXPECT_EQ(state["tiles"][0]["id"], 2);
    EXPECT_THAT(state["tiles"][0]["html"].get<std::string>(), HasSubstr("slow#5"));
}

// A provider that hangs (a feed download) holds up its own widget's tiles only.
TEST_F(DashboardTest, OneWidgetsSlowProviderDoesNotHoldAnother) {
    counterHold = true;
    dashboard.setVisible(true);
    ASSERT_TRUE(waitFor([&] { return drawn(2) && drawn(3); }));
    EXPECT_FALSE(drawn(0));
    EXPECT_FALSE(drawn(1));
}

}  // namespace
}  // namespace qb::host
