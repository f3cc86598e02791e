#include "workspaces/workspaces_provider.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "platform/localization.hpp"
#include "platform/log.hpp"
#include "support/test_support.hpp"
#include "workspaces/workspaces_views.hpp"

namespace qb::workspaces {
namespace {

// The texts of a view tree as a reader sees them, in order, separated by blanks.
std::string shownText(const ui::View& view) {
    std::string out;
    if (const auto* text = view.as<ui::Text>()) {
        out = text->formatArgument ? localized(text->text, *text->formatArgument)
              : text->localizable  ? localized(text->text)
                                   : text->text;
    }
    for (const auto& child : view.children()) {
        auto text = shownText(child);
        if (!text.empty()) out += (out.empty() ? "" : " ") + text;
    }
    return out;
}

using test::PlistJson;

// Workspaces W0 to W<count-1>, each with one database and no window; every `unnamed`-th is named by a number.
PlistJson manyWorkspaces(int count, int unnamed = 0) {
    PlistJson list = PlistJson::array();
    for (int i = 0; i < count; ++i) {
        list.push_back({{"Name", fmt::format("W{}", i)},
                        {"workspace", {{"databases", {1}}, {"windows", PlistJson::array()}}}});
        if (unnamed && i % unnamed == 0) list.back()["Name"] = i;
    }
    return list;
}

class WorkspacesProviderTest : public testing::Test {
  protected:
    WorkspacesProvider providerWith(std::optional<PlistJson> description, Clock clock = systemClock()) {
        auto path = dir.path() / "OrderedWorkspaces.plist";
        if (description)
            dir.write("OrderedWorkspaces.plist", test::makePlist(*description, test::PlistFormat::binary));
        return WorkspacesProvider(WorkspaceStore::forFile(path), std::move(clock));
    }
    test::TempDir dir;
};

TEST_F(WorkspacesProviderTest, EntryHoldsTheFirstSixteenAndCountsAll) {
    const std::tuple<int, std::size_t, std::string_view> cases[] = {{20, 16, "20 items"}, {1, 1, "1 items"}};
    for (const auto& [count, shown, subtitle] : cases) {
        const auto entry = providerWith(manyWorkspaces(count)).snapshot({}, {});
        ASSERT_EQ(entry.items.size(), shown);
        EXPECT_EQ(entry.displayCount, count);
        for (std::size_t i = 0; i < shown; ++i) EXPECT_EQ(entry.items[i].name, fmt::format("W{}", i));
        const auto text = shownText(WorkspacesEntryView{entry}.body({WidgetFamily::systemLarge}));
        EXPECT_TRUE(text.starts_with(fmt::format("Workspaces {} W0 1 databases \u00B7 0 windows", subtitle)))
            << text;
    }
}

TEST_F(WorkspacesProviderTest, EntriesWithoutANameAreNeitherShownNorCounted) {
    // Every fourth entry's name is a number, among the first rows and past the cap.
    const auto entry = providerWith(manyWorkspaces(24, 4)).snapshot({}, {});
    EXPECT_EQ(entry.displayCount, 18);
    ASSERT_EQ(entry.items.size(), 16u);
    EXPECT_EQ(entry.items.front().name, "W1");
    EXPECT_EQ(entry.items.back().name, "W21");
}

TEST_F(WorkspacesProviderTest, NoWorkspacesShowTheEmptyViewInEveryFamily) {
    const LogCapture quiet;
    for (auto description : {std::optional<PlistJson>(), std::optional<PlistJson>(PlistJson::array())}) {
        const auto entry = providerWith(description).snapshot({}, {});
        EXPECT_TRUE(entry.items.empty());
        for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                            WidgetFamily::systemExtraLarge}) {
            EXPECT_EQ(shownText(WorkspacesEntryView{entry}.body({family})),
                      "No Workspaces Create workspaces in Quillbrook to see them here.");
        }
    }
}

TEST_F(WorkspacesProviderTest, DetailRowShowsZeroCounts) {
    const auto row = WorkspaceDetailRow{WorkspaceItem("Empty one", 0, 0)}.body({WidgetFamily::systemLarge});
    EXPECT_EQ(shownText(row), "Empty one 0 databases \u00B7 0 windows");
}

// The timeline and its reload come from the list provider all three lists share: the reading list's
// tests check them.
TEST_F(WorkspacesProviderTest, EntryIsDatedWhenMadeAndPlaceholderShowsTheSamples) {
    const auto provider = providerWith(manyWorkspaces(3), test::tickingClock(1000));
    EXPECT_EQ(provider.snapshot({}, {}).date, Date{1000});
    EXPECT_EQ(provider.placeholder({}).items, WorkspaceItem::sampleItems());
}

}  // namespace
}  // namespace qb::workspaces
