#include "presentation/item_rows.hpp"

#include <gtest/gtest.h>

#include "presentation/empty_state.hpp"
#include "presentation/linked_item.hpp"
#include "test_item.hpp"

namespace qb {
namespace {

using test::TestItem;

TestItem rowItem(std::optional<std::string> subtitle) {
    return TestItem{.id = "a",
                    .title = "Annual report",
                    .icon = "doc.richtext",
                    .subtitle = std::move(subtitle),
                    .color = ui::Color::red};
}

TEST(ItemRows, CompactRowIsDotIconAndOneLineTitle) {
    EXPECT_EQ(ui::dump(CompactItemRow<TestItem>{rowItem("ignored")}.body({})),
              "hstack spacing=4\n"
              "  circle fill=red frame=5x5\n"
              "  symbol \"doc.richtext\" font=caption2 foreground=secondary frame=12x12\n"
              "  text \"Annual report\" font=caption foreground=primary lineLimit=1\n");
}

TEST(ItemRows, StandardRowTrailsAndDetailedRowStacksThePresentSubtitle) {
    const std::string standard =
        "hstack spacing=6 padding.top=3 padding.bottom=3\n"
        "  circle fill=red frame=6x6\n"
        "  symbol \"doc.richtext\" font=callout foreground=secondary frame=16x16\n"
        "  text \"Annual report\" font=callout foreground=primary lineLimit=1\n"
        "  spacer\n";
    EXPECT_EQ(ui::dump(StandardItemRow<TestItem>{rowItem(std::nullopt)}.body({})), standard);
    EXPECT_EQ(ui::dump(StandardItemRow<TestItem>{rowItem("")}.body({})),
              standard + "  text \"\" font=caption2 foreground=tertiary\n");

    const std::string detailed =
        "hstack spacing=8 padding.top=3 padding.bottom=3\n"
        "  circle fill=red frame=6x6\n"
        "  symbol \"doc.richtext\" font=callout foreground=secondary frame=18x18\n"
        "  vstack alignment=leading spacing=1\n"
        "    text \"Annual report\" font=callout foreground=primary lineLimit=1\n";
    EXPECT_EQ(ui::dump(DetailedItemRow<TestItem>{rowItem(std::nullopt)}.body({})), detailed + "  spacer\n");
    EXPECT_EQ(ui::dump(DetailedItemRow<TestItem>{rowItem("Inbox")}.body({})),
              detailed + "    text \"Inbox\" font=caption2 foreground=secondary lineLimit=1\n  spacer\n");
}

TEST(LinkedItem, WrapsTheContentOnlyWhenThereIsAUrl) {
    const auto content = [] { return ui::verbatim("row"); };
    EXPECT_EQ((LinkedItem{std::nullopt, content}.body({})), ui::verbatim("row"));
    const auto url = Url::parse("x-quillbrook-item://a");
    ASSERT_TRUE(url);
    EXPECT_EQ((LinkedItem{url, content}.body({})), ui::link(url, ui::verbatim("row")));
}

TEST(EmptyStateLayout, StacksSymbolTitleAndOptionalMessage) {
    EXPECT_EQ(ui::dump(EmptyStateLayout{"star", "No Favorites", "Add favorites."}.body({})),
              "vstack spacing=8\n"
              "  symbol \"star\" font=largeTitle foreground=secondary\n"
              "  text \"No Favorites\" localized font=headline foreground=secondary\n"
              "  text \"Add favorites.\" localized font=caption foreground=tertiary textAlignment=center\n");
    EXPECT_EQ(
        ui::dump(EmptyStateLayout{"checkmark.circle", "All Read", std::nullopt, ui::Color::green}.body({})),
        "vstack spacing=8\n"
        "  symbol \"checkmark.circle\" font=largeTitle foreground=green\n"
        "  text \"All Read\" localized font=headline foreground=secondary\n");
}

}  // namespace
}  // namespace qb
