#include "workspaces/workspaces_provider.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "platform/localization.hpp"
#include "platform/log.hpp"
#include "support/test_support.hpp"
#include "workspaces/workspaces_views.hpp"

namespace qb::workspaces {
namespace {

Clock tickingClock(double start) {
    auto now = std::make_shared<double>(start);
    return [now] { return Date{(*now)++}; };
}

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

std::string manyWorkspaces(int count) {
    return fmt::format(
        "[{{'Name': 'W%d' % i, 'workspace': {{'databases': [1], 'windows': []}}}} for i in range({})]",
        count);
}

class WorkspacesProviderTest : public testing::Test {
  protected:
    WorkspacesProvider providerWith(std::optional<std::string> python, Clock clock = systemClock()) {
        auto path = dir.path() / "OrderedWorkspaces.plist";
        if (python)
            dir.write("OrderedWorkspaces.plist", test::plistlibDump(*python, test::PlistFormat::binary));
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
    const auto entry =
        providerWith("[{'Name': i if i % 4 == 0 else 'W%d' % i} for i in range(24)]").snapshot({}, {});
    EXPECT_EQ(entry.displayCount, 18);
    ASSERT_EQ(entry.items.size(), 16u);
    EXPECT_EQ(entry.items.front().name, "W1");
    EXPECT_EQ(entry.items.back().name, "W21");
}

TEST_F(WorkspacesProviderTest, NoWorkspacesShowTheEmptyViewInEveryFamily) {
    const LogCapture quiet;
    for (auto python : {std::optional<std::string>(), std::optional<std::string>("[]")}) {
        const auto entry = providerWith(python).snapshot({}, {});
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

TEST_F(WorkspacesProviderTest, ReloadFiveMinutesAfterTheEntryAndPlaceholderShowsSamples) {
    const auto provider = providerWith(manyWorkspaces(3), tickingClock(1000));
    const auto timeline = provider.timeline({}, {});
    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_EQ(timeline.entries[0].date, Date{1000});
    EXPECT_EQ(timeline.policy, TimelineReloadPolicy::after(Date{1301}));
    EXPECT_EQ(provider.placeholder({}).items, WorkspaceItem::sampleItems());
}

}  // namespace
}  // namespace qb::workspaces
