#include "readinglist/reading_list_entry_view.hpp"

#include <gtest/gtest.h>

#include "readinglist/reading_list_empty_state_view.hpp"
#include "readinglist/reading_list_no_match_view.hpp"
#include "readinglist/reading_list_provider.hpp"
#include "readinglist/reading_list_small_header.hpp"
#include "readinglist/reading_list_widget.hpp"
#include "support/test_support.hpp"

namespace qb {
namespace {

using test::PlistFormat;

constexpr WidgetFamily allFamilies[] = {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                        WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};

// Every node of the tree, depth first, parents before their children.
void collect(const ui::View& view, std::vector<const ui::View*>& out) {
    out.push_back(&view);
    for (const auto& child : view.children) collect(child, out);
}

std::vector<const ui::View*> nodes(const ui::View& view) {
    std::vector<const ui::View*> out;
    collect(view, out);
    return out;
}

std::vector<std::string> textsOf(const ui::View& view) {
    std::vector<std::string> texts;
    for (const auto* node : nodes(view))
        if (node->kind == ui::ViewKind::text) texts.push_back(node->text);
    return texts;
}

std::vector<std::string> linksOf(const ui::View& view) {
    std::vector<std::string> links;
    for (const auto* node : nodes(view))
        if (node->kind == ui::ViewKind::link && node->destination)
            links.push_back(node->destination->string());
    return links;
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
        {"only unusable entries", test::plistlibDump("[{'title': 'No address'}]", PlistFormat::binary)},
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
    const ui::View empty = EmptyStateView{}.body({});
    EXPECT_EQ(ui::dump(empty),
              "vstack spacing=8\n"
              "  symbol \"text.book.closed\" font=largeTitle foreground=secondary\n"
              "  text \"No Items\" localized font=headline foreground=secondary\n"
              "  text \"Your Quillbrook reading list is empty.\" localized font=caption foreground=tertiary "
              "textAlignment=center\n");
    EXPECT_TRUE(linksOf(empty).empty());
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
    const ui::View noMatch = NoMatchView{}.body({});
    EXPECT_EQ(ui::dump(noMatch),
              "vstack spacing=8\n"
              "  symbol \"checkmark.circle\" font=largeTitle foreground=green\n"
              "  text \"All Read\" localized font=headline foreground=secondary\n");

    const auto all = entryFor(dir, allRead, ReadingListFilter::all);
    const auto medium = ReadingListEntryView{all}.body({WidgetFamily::systemMedium});
    const auto mediumTexts = textsOf(medium);
    EXPECT_TRUE(contains(mediumTexts, "Reading List"));
    EXPECT_TRUE(contains(mediumTexts, "0 unread"));
    EXPECT_TRUE(contains(mediumTexts, "Read 4"));
    EXPECT_FALSE(contains(mediumTexts, "Read 5")) << "the medium family shows five rows";
    EXPECT_TRUE(contains(mediumTexts, "+%lld more"));
    const auto links = linksOf(medium);
    ASSERT_EQ(links.size(), 5u);
    EXPECT_EQ(links[0], "x-quillbrook://open-url?location=https://example.com/0&widget=readinglist");

    const auto small = ReadingListEntryView{all}.body({WidgetFamily::systemSmall});
    EXPECT_FALSE(contains(textsOf(small), "0 unread"));
    EXPECT_EQ(small.children.front(), ReadingListSmallHeader{0}.body({WidgetFamily::systemSmall}));
}

TEST(ReadingListViewsTest, SmallHeaderBadgeShowsTheUnreadCountOnABlueCapsule) {
    for (std::int64_t count : {0, 120}) {
        const auto header = ReadingListSmallHeader{count}.body({WidgetFamily::systemSmall});
        ASSERT_EQ(header.kind, ui::ViewKind::hstack);
        ASSERT_EQ(header.children.size(), 3u);
        EXPECT_EQ(header.children[0].text, "Reading List");
        EXPECT_TRUE(header.children[0].localizable);
        EXPECT_EQ(header.children[0].fontRole, ui::Font::headline);
        EXPECT_EQ(header.children[1].kind, ui::ViewKind::spacer);
        EXPECT_FALSE(header.children[1].minLength);
        const auto& badge = header.children[2];
        EXPECT_EQ(badge.kind, ui::ViewKind::text);
        EXPECT_EQ(badge.text, std::to_string(count));
        EXPECT_FALSE(badge.localizable);
        EXPECT_EQ(badge.fontRole, ui::Font::caption);
        EXPECT_EQ(badge.weight, ui::FontWeight::semibold);
        EXPECT_EQ(badge.foreground, ui::Foreground(ui::Color::white));
        EXPECT_EQ(badge.insets, (ui::EdgeInsets{2, 6, 2, 6}));
        EXPECT_EQ(badge.capsuleBackground, ui::Color::blue);
    }
}

TEST(ReadingListViewsTest, WidgetDefinitionNamesItselfAndWrapsItsContent) {
    const AnyWidget widget{ReadingListWidget{}};
    EXPECT_EQ(widget.kind(), "ReadingListWidget");
    EXPECT_EQ(widget.displayName(), "Reading List");
    EXPECT_EQ(widget.description(),
              "Shows your Quillbrook reading list on the desktop. Filter by all items or only unread ones.");
    EXPECT_EQ(widget.families(), (std::vector<WidgetFamily>(std::begin(allFamilies), std::end(allFamilies))));
    ASSERT_EQ(widget.parameters().size(), 1u);
    EXPECT_EQ(widget.parameters()[0].name, "filter");
    EXPECT_EQ(widget.parameters()[0].title, "Filter");
    EXPECT_EQ(widget.parameters()[0].typeDisplayName, "Filter");
    EXPECT_EQ(widget.parameters()[0].defaultValue, "all");
    EXPECT_EQ(widget.options("filter"),
              (std::vector<ParameterOption>{{"all", "All Items"}, {"unreadOnly", "Unread Only"}}));

    auto instance = widget.makeInstance();
    EXPECT_TRUE(instance.set("filter", "unreadOnly"));
    EXPECT_FALSE(instance.set("filter", "read"));
    EXPECT_EQ(instance.values().at("filter"), "unreadOnly");

    const auto placeholder = instance.placeholder({WidgetFamily::systemSmall});
    const auto view = placeholder.view({WidgetFamily::systemSmall});
    EXPECT_EQ(view.containerFill, ui::FillBackground{ui::Level::tertiary});
    EXPECT_EQ(placeholder.json["unreadCount"], 3);
    EXPECT_TRUE(contains(textsOf(view), "Getting Started with Quillbrook"));
}

}  // namespace
}  // namespace qb
