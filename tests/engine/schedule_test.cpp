#include "host/engine/schedule.hpp"

#include <gtest/gtest.h>

namespace qb::engine {
namespace {

struct Slot {
    InstanceId id;
    double due;
    bool usesNetwork = false;
    bool visible = true;
    bool running = false;
    std::string lane = {};
};

struct DueCase {
    const char* name;
    std::vector<Slot> slots;
    double now;
    std::vector<InstanceId> due;
    std::optional<double> wake;
};

TEST(ScheduleTest, WhatIsDueAndWhenToWake) {
    const std::vector<DueCase> cases{
        {"earliest first, the rest wait", {{1, 300}, {2, 100}, {3, 200}}, 250, {2, 3}, 300},
        {"a date that is now is due", {{1, 100}}, 100, {1}, std::nullopt},
        {"hidden: never due, never wakes", {{1, 100, false, false}, {2, 300}}, 200, {}, 300},
        {"reloading: not due again", {{1, 100, false, true, true}}, 200, {}, std::nullopt},
        {"downloads one at a time", {{1, 100, true}, {2, 150, true}, {3, 120}}, 200, {1, 3}, std::nullopt},
        {"a download waits for the running one",
         {{1, 100, true, true, true}, {2, 100, true}},
         200,
         {},
         std::nullopt},
        {"one reload per kind at a time; other kinds go on",
         {{1, 100, false, true, false, "A"},
          {2, 110, false, true, false, "A"},
          {3, 120, false, true, false, "B"}},
         200,
         {1, 3},
         std::nullopt},
        {"a kind waits for its running reload",
         {{1, 100, false, true, true, "A"},
          {2, 100, false, true, false, "A"},
          {3, 100, false, true, false, "B"}},
         200,
         {3},
         std::nullopt},
    };
    for (const auto& c : cases) {
        Schedule schedule;
        for (const auto& slot : c.slots) {
            schedule.add(slot.id, Date{slot.due}, slot.usesNetwork, slot.lane);
            schedule.setVisible(slot.id, slot.visible);
            if (slot.running) schedule.started(slot.id);
        }
        EXPECT_EQ(schedule.due(Date{c.now}), c.due) << c.name;
        const auto wake = schedule.nextWake(Date{c.now});
        EXPECT_EQ(wake ? std::optional(wake->sinceReferenceDate) : std::nullopt, c.wake) << c.name;
    }
}

TEST(ScheduleTest, RequestsBringDatesForwardAndCountWhileReloading) {
    Schedule schedule;
    schedule.add(1, Date{300}, false);
    schedule.requestBy(1, Date{150});
    schedule.requestBy(1, Date{400});  // a later request never postpones
    EXPECT_EQ(schedule.nextWake(Date{100}), Date{150});

    // Asked while reloading: once more after it, whatever date the reload asked for.
    schedule.started(1);
    schedule.requestBy(1, Date{160});
    schedule.finished(1, Date{600});
    EXPECT_EQ(schedule.dateOf(1), Date{160});
    schedule.started(1);
    schedule.finished(1, Date{600});
    EXPECT_EQ(schedule.dateOf(1), Date{600});

    // Hidden past its date, then shown: due at once.
    schedule.setVisible(1, false);
    EXPECT_TRUE(schedule.due(Date{700}).empty());
    schedule.setVisible(1, true);
    EXPECT_EQ(schedule.due(Date{700}), std::vector<InstanceId>{1});
}

}  // namespace
}  // namespace qb::engine
