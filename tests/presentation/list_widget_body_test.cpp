#include "presentation/list_widget_body.hpp"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include "test_item.hpp"

namespace qb {
namespace {

using test::linkedItem;
using test::TestItem;
using ui::View;

std::vector<TestItem> makeItems(int count) {
    std::vector<TestItem> items;
    for (int n = 0; n < count; ++n) items.push_back(linkedItem(n));
    return items;
}

ListWidgetBody<TestItem> makeBody(std::vector<TestItem> items, std::int64_t displayCount) {
    return ListWidgetBody<TestItem>{
        .items = std::move(items),
        .displayCount = displayCount,
        .title = "Favorites",
        .subtitle = "12 items",
        .smallHeader = [] { return ui::verbatim("small header"); },
        .detailRow = [](const TestItem& item) { return ui::verbatim("detail " + item.id); },
    };
}

// What a rendered list shows, read back from its tree.
struct Shape {
    std::vector<std::vector<std::string>> columns;  // the ids of the linked rows, per column
    std::vector<std::string> dividedIds;            // rows with an inset divider below them
    bool verticalDivider = false;
    std::optional<View> overflow;
    std::vector<View> rowLabels;  // the link labels, in order
};

void readRow(const View& row, Shape& shape) {
    const auto* link = row.as<ui::Link>();
    ASSERT_TRUE(link) << ui::dump(row);
    shape.columns.back().push_back(link->destination.host().value_or(""));
    shape.rowLabels.push_back(*link->label);
}

// A detail unit: the row in its link, then perhaps a divider inset by 30.
void readUnit(const View& unit, Shape& shape) {
    ASSERT_TRUE(unit.as<ui::VStack>());
    readRow(unit.child(0), shape);
    if (unit.children().size() == 2) {
        EXPECT_EQ(unit.child(1), ui::divider().padding(ui::Edge::leading, 30));
        shape.dividedIds.push_back(shape.columns.back().back());
    }
}

void readColumn(const View& column, Shape& shape) {
    shape.columns.emplace_back();
    ASSERT_TRUE(column.as<ui::VStack>());
    for (const View& unit : column.children()) readUnit(unit, shape);
}

Shape readShape(const View& body) {
    Shape shape;
    shape.columns.emplace_back();
    for (std::size_t i = 1; i < body.children().size(); ++i) {
        const View& child = body.child(i);
        if (child.as<ui::Link>()) {
            readRow(child, shape);
        } else if (child.as<ui::VStack>() && (child.children().empty() || child.child(0).as<ui::VStack>())) {
            shape.columns.clear();
            readColumn(child, shape);
        } else if (child.as<ui::VStack>()) {
            readUnit(child, shape);
        } else if (child.as<ui::HStack>()) {
            shape.columns.clear();
            shape.verticalDivider = child.child(1).as<ui::Divider>() != nullptr;
            readColumn(child.child(0), shape);
            readColumn(child.child(2), shape);
        } else if (child.as<ui::Text>()) {
            EXPECT_FALSE(shape.overflow) << "two overflow lines";
            shape.overflow = child;
        }
    }
    return shape;
}

std::vector<std::string> ids(int from, int to) {
    std::vector<std::string> result;
    for (int n = from; n < to; ++n) result.push_back("i" + std::to_string(n));
    return result;
}

View overflowLine(std::int64_t more) {
    return ui::localizedText("+%lld more", more)
        .font(ui::Font::caption2)
        .foregroundStyle(ui::Level::secondary);
}

struct LayoutCase {
    WidgetFamily family;
    int items;
    std::int64_t displayCount;
    std::vector<std::vector<std::string>> columns;
    std::optional<View> overflow;
};

TEST(ListWidgetBody, ShowsRowsColumnsAndOverflowByFamily) {
    using enum WidgetFamily;
    const std::vector<LayoutCase> cases{
        {systemSmall, 10, 10, {ids(0, 4)}, overflowLine(6)},
        {systemSmall, 4, 4, {ids(0, 4)}, std::nullopt},
        {systemSmall, 2, 5, {ids(0, 2)}, overflowLine(1)},
        {systemMedium, 5, 5, {ids(0, 5)}, std::nullopt},
        {systemMedium, 5, 20, {ids(0, 5)}, overflowLine(15)},
        {systemLarge, 9, 9, {ids(0, 7)}, overflowLine(2).padding(ui::Edge::top, 4)},
        {systemLarge, 7, 7, {ids(0, 7)}, std::nullopt},
        {systemExtraLarge, 0, 0, {{}}, std::nullopt},
        {systemExtraLarge, 2, 2, {ids(0, 2)}, std::nullopt},
        {systemExtraLarge, 3, 3, {ids(0, 2), ids(2, 3)}, std::nullopt},
        {systemExtraLarge, 15, 15, {ids(0, 8), ids(8, 15)}, std::nullopt},
        {systemExtraLarge, 16, 40, {ids(0, 8), ids(8, 16)}, std::nullopt},
        {accessoryRectangular, 7, 7, {ids(0, 5)}, overflowLine(2)},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(
            fmt::format("{} with {} items, displayCount {}", name(c.family), c.items, c.displayCount));
        const View body = makeBody(makeItems(c.items), c.displayCount).body({.family = c.family});
        const Shape shape = readShape(body);
        EXPECT_EQ(shape.columns, c.columns) << ui::dump(body);
        EXPECT_EQ(shape.overflow, c.overflow);
        EXPECT_EQ(shape.verticalDivider, c.columns.size() == 2);

        // Dividers below every row but each column's last, in the large families only.
        std::vector<std::string> divided;
        const bool detailed = c.family == systemLarge || c.family == systemExtraLarge;
        for (const auto& column : c.columns)
            if (detailed && !column.empty()) divided.insert(divided.end(), column.begin(), column.end() - 1);
        EXPECT_EQ(shape.dividedIds, divided);
    }
}

TEST(ListWidgetBody, EachFamilyUsesItsHeaderRowDesignAndSpacing) {
    const auto items = makeItems(2);
    const auto body = makeBody(items, 2);
    const ui::Environment small{.family = WidgetFamily::systemSmall};
    const View smallView = body.body(small);
    EXPECT_EQ(smallView.child(0), ui::verbatim("small header"));
    EXPECT_EQ(smallView.child(2).child(0), CompactItemRow<TestItem>{items[0]}.body(small));

    const View header = WidgetHeader{"Favorites", "12 items"}.body({}).padding(ui::Edge::bottom, 6);
    const ui::Environment medium{.family = WidgetFamily::systemMedium};
    const View mediumView = body.body(medium);
    EXPECT_EQ(mediumView.child(0), header);
    EXPECT_EQ(mediumView.child(1).child(0), StandardItemRow<TestItem>{items[0]}.body(medium));

    for (const auto family : {WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge}) {
        SCOPED_TRACE(name(family));
        const View view = body.body({.family = family});
        EXPECT_EQ(view.child(0), header);
        EXPECT_EQ(readShape(view).rowLabels,
                  (std::vector{ui::verbatim("detail i0"), ui::verbatim("detail i1")}));
    }
}

TEST(ListWidgetBody, DividersFollowTheIdOfTheLastRow) {
    // A row sharing the last row's id is taken for the last row and loses its divider too.
    std::vector<TestItem> items{linkedItem(0), linkedItem(1), linkedItem(2)};
    items[2].id = items[0].id;
    const Shape shape = readShape(makeBody(items, 3).body({.family = WidgetFamily::systemLarge}));
    EXPECT_EQ(shape.dividedIds, std::vector<std::string>{"i1"});
}

TEST(ListWidgetBody, RowWithoutUrlIsShownButInert) {
    std::vector<TestItem> items{linkedItem(0), linkedItem(1)};
    items[1].url.reset();
    for (const auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                              WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge}) {
        SCOPED_TRACE(name(family));
        const std::string tree = ui::dump(makeBody(items, 2).body({.family = family}));
        EXPECT_NE(tree.find("link url=\"x-quillbrook-item://i0\""), std::string::npos) << tree;
        EXPECT_EQ(tree.find("link", tree.find("link") + 1), std::string::npos) << tree;
        const bool detailed = family == WidgetFamily::systemLarge || family == WidgetFamily::systemExtraLarge;
        EXPECT_NE(tree.find(detailed ? "text \"detail i1\"" : "text \"Item 1\""), std::string::npos) << tree;
    }
}

}  // namespace
}  // namespace qb
