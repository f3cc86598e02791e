// Where the widgets of one output stand: columns per anchor with a gap, wrapped at the far edge, and
// widgets that their margins place on their own.

#include <gtest/gtest.h>

#include "host/desktop_config/stack_layout.hpp"

namespace qb::test {
namespace {

using host::Anchor;
using host::PixelRect;
using host::StackItem;

constexpr host::PixelSize screen{1280, 800};
constexpr host::PixelSize medium{364, 170};
constexpr host::PixelSize small{170, 170};

TEST(StackLayoutTest, WidgetsAtOneAnchorStackWithoutOverlapping) {
    struct Case {
        const char* what;
        std::vector<StackItem> items;
        std::vector<PixelRect> rects;
    };
    const std::vector<Case> cases{
        {"four at the top right: a column under the top margin",
         {{Anchor::topRight, {}, medium},
          {Anchor::topRight, {}, medium},
          {Anchor::topRight, {}, small},
          {Anchor::topRight, {}, medium}},
         {{892, 24, 364, 170}, {892, 206, 364, 170}, {1086, 388, 170, 170}, {892, 570, 364, 170}}},
        {"at the bottom the column ends at the bottom margin, in the file's order",
         {{Anchor::bottomLeft, {}, medium},
          {Anchor::bottomLeft, {std::nullopt, std::nullopt, std::nullopt, 50}, small}},
         {{24, 424, 364, 170}, {50, 606, 170, 170}}},
        {"a column in the middle is centred; a margin along it does not take a widget out",
         {{Anchor::center, {10, std::nullopt, std::nullopt, std::nullopt}, medium},
          {Anchor::center, {}, medium}},
         {{458, 224, 364, 170}, {458, 406, 364, 170}}},
        {"a top margin places a top widget on its own; the others stack as if it were not there",
         {{Anchor::top, {}, medium},
          {Anchor::top, {300, std::nullopt, std::nullopt, std::nullopt}, medium},
          {Anchor::top, {}, medium}},
         {{458, 24, 364, 170}, {458, 300, 364, 170}, {458, 206, 364, 170}}},
        {"a column that reaches the far edge goes on beside itself",
         {{Anchor::topLeft, {}, medium},
          {Anchor::topLeft, {}, medium},
          {Anchor::topLeft, {}, medium},
          {Anchor::topLeft, {}, medium},
          {Anchor::topLeft, {}, small}},
         {{24, 24, 364, 170},
          {24, 206, 364, 170},
          {24, 388, 364, 170},
          {24, 570, 364, 170},
          {400, 24, 170, 170}}},
    };
    for (const auto& c : cases) EXPECT_EQ(host::stackLayout(c.items, screen), c.rects) << c.what;
}

TEST(StackLayoutTest, LayerSurfacesAnchorToTheirCornerOrLeaveTheCompositorToCentre) {
    const auto topRight = host::edgeAnchoring(Anchor::topRight, {892, 206, 364, 170}, screen);
    EXPECT_EQ(topRight, (host::EdgeAnchoring{true, true, false, false, 206, 24, 0, 0}));
    const auto bottom = host::edgeAnchoring(Anchor::bottom, {458, 606, 364, 170}, screen);
    EXPECT_EQ(bottom, (host::EdgeAnchoring{false, false, true, false, 0, 0, 24, 0}));
    const auto left = host::edgeAnchoring(Anchor::left, {24, 315, 364, 170}, screen);
    EXPECT_EQ(left, (host::EdgeAnchoring{true, false, false, true, 315, 0, 0, 24}));
}

}  // namespace
}  // namespace qb::test
