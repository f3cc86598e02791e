#include "host/server/dashboard.hpp"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "counter_widget.hpp"

namespace qb::host {
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
        counterHold = false;
        dashboard.onChange([this] {
            std::scoped_lock lock(mutex);
            changed.notify_all();
        });
    }
    void TearDown() override { counterHold = false; }

    // Waits until `done` holds after a change (at most five seconds).
    bool waitFor(const std::function<bool()>& done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, done);
    }
    // Starts the due tiles and returns the changes after `since` once no tile refreshes any more.
    nlohmann::json refreshed(std::uint64_t since) {
        dashboard.refreshDue();
        waitFor([&] {
            for (std::size_t id = 0; id < dashboard.tileCount(); ++id)
                if (dashboard.isRefreshing(id)) return false;
            return true;
        });
        return dashboard.changesSince(since);
    }

    std::mutex mutex;
    std::condition_variable changed;
    WorkLanes lanes{2};
    Dashboard dashboard{{AnyWidget(CounterWidget{}), AnyWidget(HeldWidget{"HeldWidget"})}, lanes, [] {
                            return Date{fakeNow};
                        }};
};

TEST_F(DashboardTest, AsksProvidersOnlyWhenTheirReloadDateHasPassed) {
    auto layout = dashboard.layout();
    ASSERT_EQ(layout["widgets"].size(), 2u);
    ASSERT_EQ(layout["widgets"][0]["tiles"].size(), 2u);
    EXPECT_THAT(layout["widgets"][0]["tiles"][0]["html"].get<std::string>(),
                HasSubstr("&lt;placeholder&gt;"));
    EXPECT_EQ(counterTimelines, 0);  // nothing runs until someone looks

    auto first = refreshed(layout["seq"]);
    EXPECT_EQ(counterTimelines, 4);
    EXPECT_THAT(htmlOf(first, 0), HasSubstr("slow#"));
    EXPECT_EQ(first["tiles"][0]["reloadAt"], iso8601(Date{1300}));

    EXPECT_TRUE(refreshed(first["seq"])["tiles"].empty());
    EXPECT_EQ(counterTimelines, 4);

    fakeNow = 1301;
    EXPECT_EQ(refreshed(first["seq"])["tiles"].size(), 4u);
    EXPECT_EQ(counterTimelines, 8);
}

TEST_F(DashboardTest, ChangingAParameterRedrawsThatTileOnly) {
    refreshed(0);
    ASSERT_TRUE(dashboard.setParameter(1, "pace", "fast"));
    ASSERT_TRUE(waitFor([&] { return !dashboard.isRefreshing(1); }));
    EXPECT_THAT(dashboard.tile(1)["html"].get<std::string>(), HasSubstr("fast#5"));
    EXPECT_EQ(dashboard.tile(1)["values"]["pace"], "fast");
    EXPECT_FALSE(dashboard.setParameter(1, "pace", "sideways"));
    EXPECT_FALSE(dashboard.setParameter(1, "colour", "fast"));
    EXPECT_FALSE(dashboard.setParameter(7, "pace", "fast"));
    EXPECT_EQ(counterTimelines, 5);
    EXPECT_EQ(dashboard.tile(0)["values"]["pace"], "slow");
}

TEST_F(DashboardTest, AsksAgainShortlyAfterALinkItShowsWasOpened) {
    refreshed(0);
    EXPECT_FALSE(dashboard.linkOpened(0, "x-quillbrook-item://B?widget=counter"));
    EXPECT_FALSE(dashboard.linkOpened(42, counterLink));
    EXPECT_TRUE(dashboard.linkOpened(0, counterLink));
    fakeNow = 1000 + Dashboard::refreshAfterLinkSeconds;
    const auto state = refreshed(dashboard.seq());
    EXPECT_EQ(counterTimelines, 5);  // tile 0 alone
    EXPECT_THAT(htmlOf(state, 0), HasSubstr("slow#5"));
}

// A provider that hangs (a feed download) holds up its own widget's tiles only.
TEST_F(DashboardTest, OneWidgetsSlowProviderDoesNotHoldAnother) {
    counterHold = true;
    const auto before = dashboard.seq();
    dashboard.refreshDue();
    ASSERT_TRUE(waitFor([&] { return !dashboard.isRefreshing(0) && !dashboard.isRefreshing(1); }));
    EXPECT_TRUE(dashboard.isRefreshing(2));
    EXPECT_EQ(dashboard.changesSince(before)["tiles"].size(), 2u);
    counterHold = false;
}

}  // namespace
}  // namespace qb::host
