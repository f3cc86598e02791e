#include "readinglist/reading_list_views.hpp"

#include <gtest/gtest.h>

#include "readinglist/reading_list_provider.hpp"
#include "readinglist/reading_list_widget.hpp"
#include "support/test_support.hpp"

namespace qb::readinglist {
namespace {

using test::PlistFormat;

constexpr WidgetFamily allFamilies[] = {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                        WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};

// The texts and link destinations of a tree, depth first.
void collect(const ui::View& view, std::vector<std::string>& texts, std::vector<std::string>& links) {
    if (const auto* text = view.as<ui::Text>()) texts.push_back(text->text);
    if (const auto* link = view.as<ui::Link>()) links.push_back(link->destination.string());
    for (const auto& child : view.children()) collect(child, texts, links);
}

std::vector<std::string> textsOf(const ui::View& view) {
    std::vector<std::string> texts, links;
    collect(view, texts, links);
    return texts;
}

bool contains(const std::vector<std::string>& texts, std::string_view text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

ReadingListEntry entryFor(const test::TempDir& dir, std::optional<std::string> contents,
                          ReadingListFilter filter) {
    const auto file = dir.path() / "ReadingList.plist";
    if (contents) dir.write("ReadingList.plist", *contents);
    return ReadingListProvider(ReadingListStore::forFile(file)).snapshot(ReadingListIntent{filter}, {});
}

TEST(ReadingListViewsTest, EmptyMissingOrBrokenListShowsNoItemsUnderEitherFilter) {
    const std::pair<std::string, std::optional<std::string>> files[] = {
        {"empty array", test::plistlibDump("[]", PlistFormat::xml)},
        {"missing", std::nullopt},
        {"broken", std::string("bplist00 truncated")},
    };
    for (const auto& [name, contents] : files) {
        for (auto filter : {ReadingListFilter::all, ReadingListFilter::unreadOnly}) {
            test::TempDir dir;
            const auto entry = entryFor(dir, contents, filter);
            for (auto family : allFamilies) {
                const auto view = ReadingListEntryView{entry}.body({family});
                EXPECT_EQ(view, EmptyStateView{}.body({family})) << name << " " << ui::dump(view);
            }
        }
    }
    EXPECT_TRUE(contains(textsOf(EmptyStateView{}.body({})), "No Items"));
}

TEST(ReadingListViewsTest, EverythingReadShowsAllReadOnlyUnderTheUnreadFilter) {
    test::TempDir dir;
    const auto allRead = test::plistlibDump(
        "[{'title': f'Read {i}', 'URL': f'https://example.com/{i}', 'unread': False} for i in range(6)]",
        PlistFormat::binary);

    const auto unreadOnly = entryFor(dir, allRead, ReadingListFilter::unreadOnly);
    for (auto family : allFamilies) {
        const auto view = ReadingListEntryView{unreadOnly}.body({family});
        EXPECT_EQ(view, NoMatchView{}.body({family})) << ui::dump(view);
    }
    EXPECT_TRUE(contains(textsOf(NoMatchView{}.body({})), "All Read"));

    const auto all = entryFor(dir, allRead, ReadingListFilter::all);
    std::vector<std::string> texts, links;
    collect(ReadingListEntryView{all}.body({WidgetFamily::systemMedium}), texts, links);
    EXPECT_TRUE(contains(texts, "0 unread"));
    EXPECT_TRUE(contains(texts, "Read 4"));
    EXPECT_FALSE(contains(texts, "Read 5")) << "the medium family shows five rows";
    EXPECT_TRUE(contains(texts, "+%lld more"));
    ASSERT_EQ(links.size(), 5u);
    EXPECT_EQ(links[0], "x-quillbrook://open-url?location=https://example.com/0&widget=readinglist");

    const auto small = ReadingListEntryView{all}.body({WidgetFamily::systemSmall});
    EXPECT_FALSE(contains(textsOf(small), "0 unread"));
    EXPECT_EQ(small.child(0), ReadingListSmallHeader{0}.body({WidgetFamily::systemSmall}));
    const auto badge = ReadingListSmallHeader{120}.body({WidgetFamily::systemSmall}).child(2);
    const auto* badgeText = badge.as<ui::Text>();
    ASSERT_TRUE(badgeText) << ui::dump(badge);
    EXPECT_EQ(badgeText->text, "120");
    EXPECT_FALSE(badgeText->localizable);
    EXPECT_EQ(badge.modifiers.background, ui::Color::blue);
}

TEST(ReadingListViewsTest, WidgetTakesOnlyKnownFiltersAndWrapsItsContent) {
    auto instance = AnyWidget{ReadingListWidget{}}.makeInstance();
    EXPECT_EQ(instance.values().at("filter"), "all");
    EXPECT_TRUE(instance.set("filter", "unreadOnly"));
    EXPECT_FALSE(instance.set("filter", "read"));
    EXPECT_EQ(instance.values().at("filter"), "unreadOnly");
    const auto placeholder = instance.placeholder({WidgetFamily::systemSmall});
    const auto view = placeholder.view({WidgetFamily::systemSmall});
    EXPECT_EQ(view.modifiers.containerBackground, ui::FillBackground{ui::Level::tertiary});
    EXPECT_TRUE(contains(textsOf(view), "Getting Started with Quillbrook"));
}

}  // namespace
}  // namespace qb::readinglist
