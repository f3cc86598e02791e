#pragma once

// The arithmetic of a stack along its axis, apart from what its children are: how long each child may
// be, given how long it must be at least and would like to be, and how flexible spacers share what
// the others leave. Rows and columns both use it; lengths are whole cells.
//
// A stack is planned in two steps around measuring its children:
//   1. offerLengths: every child is offered its least length, then the children that are not spacers
//      share what is left, the least flexible first, each up to its ideal length;
//   2. the stack measures each child at the length offered and writes down what it took;
//   3. stretchSpacers: the spacers share what the children left, equally.

#include <cstddef>
#include <span>

namespace qb::host {

struct AxisSlot {
    int least = 0;        // the length the child takes when offered none
    int ideal = 0;        // the length it takes when offered all there is (at least `least`)
    bool spacer = false;  // flexible space: keeps its least length until the others have theirs
    int length = 0;       // the length offered (step 1), then the length taken (steps 2 and 3)
};

// Sets each slot's length to what it is offered out of `available`: its least length, and for the
// children that are not spacers a share of what is left, least flexible (ideal - least) first, in their
// order where equally flexible; each takes at most what it lacks to its ideal and at most an equal
// share of what is still left. `order` is room for one index per slot.
void offerLengths(std::span<AxisSlot> slots, int available, std::span<std::size_t> order);

// Once every child's length is what it took (spacers' at their least), the spacers share what is left
// of `available` equally, the first ones taking what does not divide. Answers the children's total
// length (without the spacing between them).
int stretchSpacers(std::span<AxisSlot> slots, int available);

}  // namespace qb::host
