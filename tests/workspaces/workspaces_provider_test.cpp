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

// The entry holds the first sixteen workspaces and counts them all; an entry without a string name is
// neither (every fourth here, among the first rows and past the cap).
TEST_F(WorkspacesProviderTest, EntryHoldsTheFirstSixteenNamedAndCountsThemAll) {
    const std::tuple<int, int, std::int64_t, std::string_view, std::string_view> cases[] = {
        {24, 4, 18, "W1", "W21"}, {1, 0, 1, "W0", "W0"}};
    for (const auto& [count, unnamed, counted, first, last] : cases) {
        const auto entry = providerWith(manyWorkspaces(count, unnamed)).snapshot({}, {});
        EXPECT_EQ(entry.displayCount, counted);
        ASSERT_EQ(entry.items.size(), std::min<std::size_t>(counted, 16));
        EXPECT_EQ(entry.items.front().name, first);
        EXPECT_EQ(entry.items.back().name, last);
        const auto text = shownText(WorkspacesEntryView{entry}.body({WidgetFamily::systemLarge}));
        EXPECT_TRUE(text.starts_with(
            fmt::format("Workspaces {} items {} 1 databases \u00B7 0 windows", counted, first)))
            << text;
    }
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
