#include "host/render/stack_planner.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace qb::host {
namespace {

struct Child {
    int least = 0, ideal = 0;
    bool spacer = false;
};

std::vector<AxisSlot> slotsOf(const std::vector<Child>& children) {
    std::vector<AxisSlot> slots;
    for (const Child& child : children) slots.push_back({child.least, child.ideal, child.spacer, -1});
    return slots;
}

std::vector<int> lengthsOf(const std::vector<AxisSlot>& slots) {
    std::vector<int> lengths;
    for (const AxisSlot& slot : slots) lengths.push_back(slot.length);
    return lengths;
}

TEST(StackPlanner, OffersLeastLengthsThenSharesTheRestLeastFlexibleFirst) {
    struct Case {
        const char* name;
        std::vector<Child> children;
        int available;
        std::vector<int> offered;
    };
    const std::vector<Case> cases{
        {"room for every ideal", {{1, 5}, {2, 3}}, 20, {5, 3}},
        {"the less flexible child is served first", {{0, 10}, {0, 2}}, 6, {4, 2}},
        {"equally flexible children share in order, the last taking the rest",
         {{0, 10}, {0, 10}, {0, 10}},
         10,
         {3, 3, 4}},
        {"too little room: every child keeps its least", {{4, 6}, {5, 5}}, 6, {4, 5}},
        {"spacers keep their least length", {{0, 8}, {1, 1, true}, {0, 4}}, 10, {5, 1, 4}},
        {"nothing offered", {{0, 3}, {1, 1}}, 0, {0, 1}},
        {"no children", {}, 5, {}},
    };
    for (const Case& c : cases) {
        auto slots = slotsOf(c.children);
        std::vector<std::size_t> order(slots.size());
        offerLengths(slots, c.available, order);
        EXPECT_EQ(lengthsOf(slots), c.offered) << c.name;
    }
}

TEST(StackPlanner, SpacersShareWhatTheChildrenLeaveTheFirstTakingTheRemainder) {
    struct Case {
        const char* name;
        std::vector<Child> children;  // non-spacers at the length they took
        int available;
        std::vector<int> lengths;
        int total;
    };
    const std::vector<Case> cases{
        {"no spacer", {{3, 3}, {4, 4}}, 10, {3, 4}, 7},
        {"two spacers on top of their least",
         {{3, 3}, {1, 1, true}, {2, 2}, {0, 0, true}},
         11,
         {3, 4, 2, 2},
         11},
        {"children overflow: spacers stay at their least", {{8, 8}, {1, 1, true}}, 5, {8, 1}, 9},
    };
    for (const Case& c : cases) {
        auto slots = slotsOf(c.children);
        for (AxisSlot& slot : slots) slot.length = slot.least;
        EXPECT_EQ(stretchSpacers(slots, c.available), c.total) << c.name;
        EXPECT_EQ(lengthsOf(slots), c.lengths) << c.name;
    }
}

}  // namespace
}  // namespace qb::host
