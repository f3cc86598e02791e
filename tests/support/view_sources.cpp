#include "support/view_sources.hpp"

#include <gtest/gtest.h>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "favorites/favorites_widget.hpp"
#include "platform/files.hpp"
#include "readinglist/reading_list_widget.hpp"
#include "tips/rss_parser.hpp"
#include "tips/tips_widget.hpp"
#include "workspaces/workspaces_widget.hpp"

namespace qb::test {
namespace {

namespace fs = std::filesystem;

template <class W, class Entry>
ViewSource sourceOf(std::string name, const W& widget, Entry entry) {
    auto configuration = widget.body();
    return {std::move(name), configuration.kind, configuration.displayName,
            [content = configuration.content, entry](const ui::Environment& environment) {
                return content(entry, environment);
            }};
}

}  // namespace

std::vector<ViewSource> sampleViewSources(const fs::path& examples) {
    std::vector<ViewSource> all;
    for (const AnyWidget& widget : QuillbrookWidgetBundle{}.body())
        all.push_back({"placeholder", widget.kind(), widget.displayName(),
                       [instance = widget.makeInstance()](const ui::Environment& environment) {
                           return instance.placeholder({environment.family, false}).view(environment);
                       }});
    const fs::path files = examples / "home/Library/Application Support/Quillbrook";
    const TimelineContext context{WidgetFamily::systemLarge, false};
    using namespace favorites;
    using namespace readinglist;
    using namespace workspaces;
    using namespace tips;
    const FavoritesProvider favoritesProvider(FavoritesStore::forFile(files / "Favorites.plist"));
    all.push_back(sourceOf("home", FavoritesWidget{}, favoritesProvider.snapshot({}, context)));
    const ReadingListProvider readingList(ReadingListStore::forFile(files / "ReadingList.plist"));
    all.push_back(sourceOf("home", ReadingListWidget{}, readingList.snapshot({}, context)));
    all.push_back(sourceOf("home, unread", ReadingListWidget{},
                           readingList.snapshot({ReadingListFilter::unreadOnly}, context)));
    const WorkspacesProvider workspacesProvider(WorkspaceStore::forFile(files / "OrderedWorkspaces.plist"));
    all.push_back(sourceOf("home", WorkspacesWidget{}, workspacesProvider.snapshot({}, context)));
    const auto feedTips = RSSParser::parseTips(readFile(examples / "feed.xml").value_or(""));
    EXPECT_GE(feedTips.size(), 2u);
    if (feedTips.size() >= 2) {
        all.push_back(sourceOf("feed", TipsWidget{}, TipsEntry{Date{}, feedTips[0], TipsMode::latestTip}));
        all.push_back(
            sourceOf("feed, daily", TipsWidget{}, TipsEntry{Date{}, feedTips[1], TipsMode::tipOfTheDay}));
    }
    all.push_back(sourceOf("empty", FavoritesWidget{}, FavoritesEntry{}));
    all.push_back(sourceOf("empty", ReadingListWidget{}, ReadingListEntry{}));
    all.push_back(sourceOf("all read", ReadingListWidget{}, ReadingListEntry{Date{}, {}, 0, 3, 0}));
    all.push_back(sourceOf("empty", WorkspacesWidget{}, WorkspacesEntry{}));
    all.push_back(sourceOf("empty", TipsWidget{}, TipsEntry{}));
    all.push_back({"accent group and refused link", "TestWidget", "Test", [](const ui::Environment&) {
                       using namespace ui;
                       return vstack(
                           HorizontalAlignment::leading,
                           {hstack({circle(Color::red).frame(6, 6), verbatim("Tinted title"), symbol("star")})
                                .widgetAccentable(),
                            link(Url::parse("javascript:alert(1)"), verbatim("Refused row")),
                            link(Url::parse("https://example.org/ok"), verbatim("Allowed row")), spacer(0)});
                   }});
    return all;
}

}  // namespace qb::test
