// The engine on a private main context, with a probe widget: which events reload which instances, and
// when.

#include "host/engine/engine.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "host/engine/time_zone_watch.hpp"
#include "platform/calendar.hpp"
#include "probe_widget.hpp"
#include "support/test_support.hpp"

namespace qb::test {
namespace {

using namespace std::chrono_literals;
using engine::Engine;
using engine::EntryUpdate;

class EngineTest : public ::testing::Test {
  protected:
    ~EngineTest() override { g_main_context_unref(context); }
    GMainContext* context = g_main_context_new();
};

TEST_F(EngineTest, ChangedFilesReloadTheirReadersOncePerBurst) {
    TempDir dir;
    const auto folder = dir.path() / "not" / "yet";  // missing at first: watched through an ancestor
    auto reader = std::make_shared<ProbeState>();
    reader->file = folder / "list.plist";
    auto neighbour = std::make_shared<ProbeState>();
    neighbour->file = dir.path() / "elsewhere" / "other.plist";
    std::filesystem::create_directories(neighbour->file.parent_path());
    Engine engine(context, quietEngineOptions());
    std::vector<std::string> seen;
    engine.add(probe(reader), [&](const EntryUpdate& update) { seen.push_back(update.entry.json["text"]); });
    engine.add(probe(neighbour), {});
    ASSERT_TRUE(runUntil(context, [&] { return seen.size() == 1 && neighbour->calls == 1; }));

    std::filesystem::create_directories(folder);
    ASSERT_FALSE(writeFileAtomically(reader->file, "one"));
    ASSERT_TRUE(runUntil(
        context, [&] { return seen.size() == 2; }, 1s))
        << "no reload within a second";
    EXPECT_EQ(seen.back(), "one");

    // Twenty replacements 10 ms apart: one reload after the quiet period (two, should the machine pause
    // longer than that between two of them).
    const int before = reader->calls;
    for (int i = 0; i < 20; ++i) {
        ASSERT_FALSE(writeFileAtomically(reader->file, "burst " + std::to_string(i)));
        runFor(context, 10ms);
    }
    runFor(context, 600ms);
    EXPECT_GE(reader->calls - before, 1);
    EXPECT_LE(reader->calls - before, 2);
    EXPECT_EQ(seen.back(), "burst 19");

    // The same contents again: reloaded, but nothing to tell.
    const auto told = seen.size();
    ASSERT_FALSE(writeFileAtomically(reader->file, "burst 19"));
    ASSERT_TRUE(runUntil(
        context, [&, calls = reader->calls.load()] { return reader->calls > calls; }, 1s));
    runFor(context, 100ms);
    EXPECT_EQ(seen.size(), told);
    EXPECT_EQ(neighbour->calls, 1) << "reloaded for a file it does not read";
}

TEST_F(EngineTest, LinksHidingAndClockJumps) {
    MovableClock clock;
    auto state = std::make_shared<ProbeState>();
    state->clock = clock.clock();
    auto settings = quietEngineOptions(clock.clock());
    settings.afterLinkSeconds = 0.3;
    Engine engine(context, settings);
    const auto id = engine.add(probe(state), {});
    ASSERT_TRUE(runUntil(context, [&] { return state->calls == 1 && engine.reloadsRunning() == 0; }));
    EXPECT_NEAR(engine.nextReload(id)->sinceReferenceDate - clock.clock()().sinceReferenceDate, 300, 1);

    // A jump that leaves the date ahead changes nothing; one past it reloads at once.
    clock.advance(100);
    engine.wallClockChanged();
    runFor(context, 100ms);
    EXPECT_EQ(state->calls, 1);
    clock.advance(250);
    engine.wallClockChanged();
    ASSERT_TRUE(runUntil(context, [&] { return state->calls == 2 && engine.reloadsRunning() == 0; }));
    // Set back a day, the clock would leave the date a day away: asked again at once.
    clock.advance(-86400);
    engine.wallClockChanged();
    ASSERT_TRUE(runUntil(context, [&] { return state->calls == 3 && engine.reloadsRunning() == 0; }));
    EXPECT_NEAR(engine.nextReload(id)->sinceReferenceDate - clock.clock()().sinceReferenceDate, 300, 1);

    // Hidden, it waits past its date; shown, it reloads at once.
    engine.setVisible(id, false);
    clock.advance(400);
    engine.wallClockChanged();
    runFor(context, 100ms);
    EXPECT_EQ(state->calls, 3);
    engine.setVisible(id, true);
    ASSERT_TRUE(runUntil(context, [&] { return state->calls == 4 && engine.reloadsRunning() == 0; }));

    // After a link was opened, the real-time timer brings the reload shortly, not at once.
    const auto opened = std::chrono::steady_clock::now();
    engine.linkOpened(id);
    ASSERT_TRUE(runUntil(context, [&] { return state->calls == 5; }));
    EXPECT_GE(std::chrono::steady_clock::now() - opened, 250ms);
}

TEST_F(EngineTest, DownloadsRetryWhenTheNetworkReturnsAtMostOnceAMinuteAndOneAtATime) {
    MovableClock clock;
    auto online = std::make_shared<std::atomic<bool>>(false);
    auto sources = [&] { return DataSources{{}, true, false, [online] { return online->load(); }}; };
    auto feed = std::make_shared<ProbeState>();
    auto second = std::make_shared<ProbeState>();
    for (auto* state : {feed.get(), second.get()}) {
        state->clock = clock.clock();
        state->reloadAt = [](Date now) { return now.addingTimeInterval(21600); };
        state->takes = 100ms;
    }
    Engine engine(context, quietEngineOptions(clock.clock()));
    const auto id = engine.add(probe(feed, sources()), {});
    engine.add(probe(second, sources()), {});
    ASSERT_TRUE(
        runUntil(context, [&] { return feed->calls + second->calls == 2 && engine.reloadsRunning() == 0; }));
    EXPECT_EQ(feed->mostAtOnce + second->mostAtOnce, 2) << "two downloads ran at once";

    engine.networkChanged(false);
    engine.networkChanged(true);
    ASSERT_TRUE(runUntil(context, [&] { return feed->calls == 2 && engine.reloadsRunning() == 0; }));
    // Still failing, and the network flaps: the next retry waits a minute.
    engine.networkChanged(true);
    runFor(context, 300ms);
    EXPECT_EQ(feed->calls, 2);
    EXPECT_NEAR(engine.nextReload(id)->sinceReferenceDate - clock.clock()().sinceReferenceDate, 60, 1);

    // Once a download succeeded, the network's return is no reason to reload.
    *online = true;
    clock.advance(60);
    engine.wallClockChanged();
    ASSERT_TRUE(runUntil(context, [&] { return feed->calls == 3 && engine.reloadsRunning() == 0; }));
    clock.advance(120);
    engine.networkChanged(true);
    runFor(context, 300ms);
    EXPECT_EQ(feed->calls, 3);
}

TEST_F(EngineTest, AnAnswerForAnOlderConfigurationIsDropped) {
    auto state = std::make_shared<ProbeState>();
    state->takes = 200ms;
    Engine engine(context, quietEngineOptions());
    int told = 0;
    const auto id = engine.add(probe(state), [&](const EntryUpdate&) { ++told; });
    const AnyWidget widget(ProbeWidget{"ProbeWidget", state});
    engine.reconfigure(id, widget.makeInstance(), WidgetFamily::systemMedium);
    ASSERT_TRUE(runUntil(context, [&] { return state->calls == 2 && engine.reloadsRunning() == 0; }));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(state->mostAtOnce, 1) << "one instance reloaded twice at once";
}

TEST_F(EngineTest, ATimeZoneChangeReloadsWhatFollowsTheZoneForItsNewMidnight) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "zones");
    std::filesystem::create_symlink("/usr/share/zoneinfo/Asia/Tokyo", dir.path() / "zones" / "current");
    std::filesystem::create_symlink(dir.path() / "zones" / "current", dir.path() / "localtime");
    setenv("TZ", "Asia/Tokyo", 1);
    engine::resetProcessTimeZone();

    auto state = std::make_shared<ProbeState>();
    state->reloadAt = [](Date now) { return startOfNextDay(now); };  // as the tip of the day does
    auto settings = quietEngineOptions();
    settings.localtime = dir.path() / "localtime";
    Engine engine(context, settings);
    std::vector<std::pair<Date, Date>> told;  // entry date, reload date
    const auto id = engine.add(probe(state, {{}, false, true, {}}), [&](const EntryUpdate& update) {
        told.emplace_back(update.entry.date, update.policy.date);
    });
    ASSERT_TRUE(runUntil(context, [&] { return told.size() == 1; }));
    EXPECT_EQ(told.back().second, startOfNextDay(told.back().first, "Asia/Tokyo"));

    // The zone changes by the link itself, or by a link it leads through.
    struct Change {
        const char* zone;
        const char* replaced;
        const char* target;
    };
    for (const Change& change :
         {Change{"America/New_York", "localtime", "zones/current"},
          Change{"Europe/Berlin", "zones/current", "/usr/share/zoneinfo/Europe/Berlin"}}) {
        setenv("TZ", change.zone, 1);
        const auto replacement = dir.path() / "replacement";
        std::filesystem::create_symlink(std::string(change.target).starts_with("/")
                                            ? change.target
                                            : (dir.path() / change.target).string(),
                                        replacement);
        std::filesystem::rename(replacement, dir.path() / change.replaced);
        const auto count = told.size();
        ASSERT_TRUE(runUntil(context, [&] { return told.size() == count + 1; })) << change.zone;
        EXPECT_EQ(told.back().second, startOfNextDay(told.back().first, change.zone)) << change.zone;
        EXPECT_EQ(engine.nextReload(id), told.back().second) << change.zone;
    }
    setenv("TZ", "UTC", 1);
    engine::resetProcessTimeZone();
}

}  // namespace
}  // namespace qb::test
