#include "tips/tips_provider.hpp"

#include <chrono>

#include <gtest/gtest.h>

#include "support/test_support.hpp"
#include "tips/feed_server.hpp"
#include "tips/tips_widget.hpp"

namespace qb::tips {
namespace {

// Serves one feed from memory.
struct FeedInMemory final : HttpClient {
    std::string body;
    explicit FeedInMemory(std::string feed) : body(std::move(feed)) {}
    HttpResult get(const std::string&) const override { return {200, body, std::nullopt}; }
};

Date utc(int year, unsigned month, unsigned day, int hour, int minute) {
    using namespace std::chrono;
    auto midnight = sys_seconds{sys_days{std::chrono::year{year} / month / day}};
    return Date::fromUnixSeconds(
        static_cast<double>(midnight.time_since_epoch().count() + hour * 3600 + minute * 60));
}

// A provider over a store of `count` tips (tip0 newest), at a fixed moment, in a fixed zone.
struct ProviderFixture {
    test::TempDir folder;
    TipStore store;
    TipsProvider provider;

    static std::string feedOf(int count) {
        std::vector<std::string> titles;
        for (int i = 0; i < count; ++i) titles.push_back("tip" + std::to_string(i));
        return test::tipsFeed(titles);
    }
    ProviderFixture(int count, Date now, std::string zone = "UTC")
        : store(TipStore::forServices(WidgetServices{.clock = [now] { return now; },
                                                     .http = std::make_shared<FeedInMemory>(feedOf(count)),
                                                     .cacheFolder = folder.path(),
                                                     .feedBase = "https://feed.test"},
                                      [] { return std::vector<std::string>{}; })),
          provider(
              store, [now] { return now; }, std::move(zone)) {}

    Timeline<TipsEntry> timeline(TipsMode mode) const { return provider.timeline(TipsIntent{mode}, {}); }
};

TEST(TipsProviderTest, PicksTheTipOfTheDayByTheDayAndTheCount) {
    EXPECT_EQ(TipsProvider::mixedSeed(20261204), 1484015339108298u);
    EXPECT_EQ(TipsProvider::mixedSeed(20270101), 1484704169476271u);
    const std::vector<std::tuple<Date, int, int>> cases = {
        {utc(2026, 12, 4, 12, 0), 7, 3},  {utc(2026, 12, 4, 12, 0), 10, 8}, {utc(2026, 12, 4, 0, 0), 5, 3},
        {utc(2026, 12, 4, 23, 59), 1, 0}, {utc(2027, 1, 1, 8, 0), 7, 2},    {utc(2027, 1, 1, 8, 0), 10, 1},
    };
    for (const auto& [now, count, index] : cases) {
        ProviderFixture fixture(count, now);
        auto entry = fixture.timeline(TipsMode::tipOfTheDay).entries.at(0);
        ASSERT_TRUE(entry.tip);
        EXPECT_EQ(entry.tip->title, "tip" + std::to_string(index)) << iso8601(now) << " " << count;
        EXPECT_EQ(entry.mode, TipsMode::tipOfTheDay);
        EXPECT_EQ(entry.date, now);
    }
    // The day is the user's: 4 December 23:30 UTC is already 5 December in Tokyo.
    ProviderFixture tokyo(10, utc(2026, 12, 4, 23, 30), "Asia/Tokyo");
    ProviderFixture nextDay(10, utc(2026, 12, 5, 12, 0));
    EXPECT_EQ(tokyo.timeline(TipsMode::tipOfTheDay).entries.at(0).tip,
              nextDay.timeline(TipsMode::tipOfTheDay).entries.at(0).tip);
}

// The latest tip is the newest for six hours; no tip at all shows the empty entry on the same schedule.
TEST(TipsProviderTest, ShowsTheNewestTipOrNoneForSixHours) {
    for (int count : {3, 0}) {
        ProviderFixture fixture(count, utc(2026, 12, 4, 10, 0));
        auto timeline = fixture.timeline(TipsMode::latestTip);
        ASSERT_EQ(timeline.entries.size(), 1u);
        EXPECT_EQ(timeline.entries[0].tip ? timeline.entries[0].tip->title : "none", count ? "tip0" : "none");
        EXPECT_EQ(timeline.policy.date, utc(2026, 12, 4, 16, 0));
    }
    auto empty = ProviderFixture(0, utc(2026, 12, 4, 10, 0)).timeline(TipsMode::tipOfTheDay);
    ASSERT_EQ(empty.entries.size(), 1u);
    EXPECT_FALSE(empty.entries[0].tip);
    EXPECT_EQ(empty.policy.date, utc(2026, 12, 5, 0, 0));
}

TEST(TipsProviderTest, RefreshesTheTipOfTheDayAtTheNextLocalMidnight) {
    const std::vector<std::tuple<std::string, Date, Date>> cases = {
        {"UTC", utc(2026, 12, 4, 23, 59), utc(2026, 12, 5, 0, 0)},
        {"UTC", utc(2026, 12, 4, 0, 0), utc(2026, 12, 5, 0, 0)},
        {"Europe/Berlin", utc(2026, 12, 4, 22, 59), utc(2026, 12, 4, 23, 0)},
        // Chile moves its clocks from 00:00 to 01:00 on 6 September 2026: that day starts at 01:00 -03.
        {"America/Santiago", utc(2026, 9, 6, 3, 30), utc(2026, 9, 6, 4, 0)},
        {"America/Santiago", utc(2026, 9, 5, 14, 0), utc(2026, 9, 6, 4, 0)},
        // And back from 00:00 to 23:00 on 5 April: the next day still starts at 00:00 -04.
        {"America/Santiago", utc(2026, 4, 4, 12, 0), utc(2026, 4, 5, 4, 0)},
    };
    for (const auto& [zone, now, refresh] : cases) {
        ProviderFixture fixture(2, now, zone);
        EXPECT_EQ(iso8601(fixture.timeline(TipsMode::tipOfTheDay).policy.date), iso8601(refresh))
            << zone << " " << iso8601(now);
    }
}

TEST(TipsProviderTest, ShowsTheFirstSampleTipWithoutFetching) {
    ProviderFixture fixture(3, utc(2026, 12, 4, 10, 0));
    EXPECT_EQ(fixture.provider.placeholder({}).tip, TipItem::sampleItems().front());
    EXPECT_EQ(fixture.provider.snapshot(TipsIntent{TipsMode::tipOfTheDay}, {}).tip,
              TipItem::sampleItems().front());
    EXPECT_FALSE(std::filesystem::exists(fixture.folder.path() / "tips_cache.json"));
}

TEST(TipsProviderTest, TheWidgetSaysItDownloadsAndWhetherTheFeedIsAtHand) {
    test::TempDir folder;
    const TipsWidget widget(WidgetServices{.http = std::make_shared<FeedInMemory>(test::tipsFeed({"tip0"})),
                                           .cacheFolder = folder.path(),
                                           .feedBase = "https://feed.test"});
    const auto sources = widget.sources();
    EXPECT_TRUE(sources.files.empty());
    EXPECT_TRUE(sources.usesNetwork);
    EXPECT_TRUE(sources.followsTimeZone);
    ASSERT_TRUE(sources.networkSatisfied);
    EXPECT_FALSE(sources.networkSatisfied()) << "no feed was downloaded yet";
    EXPECT_EQ(AnyWidget(widget).makeInstance().timeline({}).entries.at(0).json["tip"]["title"], "tip0");
    EXPECT_TRUE(sources.networkSatisfied()) << "the download left a fresh cache";
}

}  // namespace
}  // namespace qb::tips
