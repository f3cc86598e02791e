// Every widget in every family and rendering mode, drawn by the terminal and the HTML renderer from the
// same resolved tree: both show the tree's texts in its order, tint the same elements and link the same
// URLs. The outputs are read back as a person would see them (the terminal's cells and hyperlinks, the
// page's text spans, classes and hrefs), not from the tree the renderers were given.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include <fmt/format.h>

#include "bundle/quillbrook_widget_bundle.hpp"
#include "favorites/favorites_widget.hpp"
#include "host/render/display_text.hpp"
#include "host/render/html.hpp"
#include "host/render/resolve.hpp"
#include "host/render/terminal.hpp"
#include "platform/files.hpp"
#include "platform/terminal_text.hpp"
#include "readinglist/reading_list_widget.hpp"
#include "tips/rss_parser.hpp"
#include "tips/tips_widget.hpp"
#include "workspaces/workspaces_widget.hpp"

namespace qb::host {
namespace {

namespace fs = std::filesystem;

// An entry of one widget, drawn in any environment.
struct Source {
    std::string name, kind, displayName;
    std::function<ui::View(const ui::Environment&)> view;
};

template <class W, class Entry>
Source sourceOf(std::string name, const W& widget, Entry entry) {
    auto configuration = widget.body();
    return {std::move(name), configuration.kind, configuration.displayName,
            [content = configuration.content, entry](const ui::Environment& environment) {
                return content(entry, environment);
            }};
}

// The placeholders, the sample home's files and feed, the empty states, and a view that tints a whole
// group and links where the policy refuses.
std::vector<Source> sources() {
    std::vector<Source> all;
    for (const AnyWidget& widget : QuillbrookWidgetBundle{}.body())
        all.push_back({"placeholder", widget.kind(), widget.displayName(),
                       [instance = widget.makeInstance()](const ui::Environment& environment) {
                           return instance.placeholder({environment.family, false}).view(environment);
                       }});
    const fs::path files = fs::path(QB_EXAMPLES_DIR) / "home/Library/Application Support/Quillbrook";
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
    const WorkspacesProvider workspaces(WorkspaceStore::forFile(files / "OrderedWorkspaces.plist"));
    all.push_back(sourceOf("home", WorkspacesWidget{}, workspaces.snapshot({}, context)));
    const auto tips = RSSParser::parseTips(readFile(fs::path(QB_EXAMPLES_DIR) / "feed.xml").value_or(""));
    EXPECT_GE(tips.size(), 2u);
    if (tips.size() >= 2) {
        all.push_back(sourceOf("feed", TipsWidget{}, TipsEntry{Date{}, tips[0], TipsMode::latestTip}));
        all.push_back(
            sourceOf("feed, daily", TipsWidget{}, TipsEntry{Date{}, tips[1], TipsMode::tipOfTheDay}));
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

// What a person sees: the texts in order, and grouped by the link a click on them opens ("" for
// none); the tinted elements ("circle", "text:…", "symbol:…") and how the terminal draws them; the
// links.
struct Seen {
    std::vector<std::string> texts;
    std::map<std::string, std::vector<std::string>> textsByLink;
    std::vector<std::string> tinted, tintedGlyphs;
    std::vector<std::string> links;
};

void seeNode(const resolved::Node& node, const std::string& link, Seen& seen) {
    std::string group = link;
    if (const auto* text = node.as<resolved::Text>()) {
        seen.texts.push_back(text->string);
        seen.textsByLink[link].push_back(text->string);
    }
    if (const auto* linked = node.as<resolved::Link>(); linked && linked->destination)
        group = linked->destination->string();
    if (node.style.accented) {
        if (const auto* circle = node.as<resolved::Circle>(); circle && circle->fill != ui::Color::clear) {
            seen.tinted.push_back("circle");
            seen.tintedGlyphs.push_back("●");
        }
        if (const auto* text = node.as<resolved::Text>()) {
            seen.tinted.push_back("text:" + text->string);
            seen.tintedGlyphs.push_back(text->string);
        }
        if (const auto* symbol = node.as<resolved::Symbol>()) {
            seen.tinted.push_back("symbol:" + symbol->name);
            seen.tintedGlyphs.emplace_back(symbol->info->glyph);
        }
    }
    for (const auto& child : node.children()) seeNode(child, group, seen);
}

Seen seenInTree(const resolved::Tree& tree) {
    Seen seen;
    seeNode(tree.root, tree.widgetURL ? tree.widgetURL->string() : "", seen);
    for (const Url& url : openableLinks(tree)) seen.links.push_back(url.string());
    return seen;
}

// The text without blanks and line breaks: the terminal wraps at blanks, and breaks a word that is
// wider than its line anywhere.
std::string collapsed(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\n') out += c;
    return out;
}

// Reads the texts in `shown` in order, each whole or cut (a prefix ending in "…"). Answers the first
// text that is not there.
std::optional<std::string> missingInOrder(const std::vector<std::string>& texts, const std::string& shown) {
    std::size_t cursor = 0;
    for (const std::string& original : texts) {
        const std::string text = collapsed(inertText(original));
        if (text.empty()) continue;
        std::size_t found = shown.find(text, cursor);
        std::size_t length = text.size();
        for (std::size_t cut = text.size(); found == std::string::npos && cut > 0; --cut) {
            if ((static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) continue;  // inside a character
            const std::string prefix = text.substr(0, cut);
            found = shown.find(prefix + "…", cursor);
            length = prefix.size() + std::string_view("…").size();
        }
        if (found == std::string::npos) return original;
        cursor = found + length;
    }
    return std::nullopt;
}

// The terminal's tile read back cell by cell: each cell's text goes to the group of the hyperlink it
// opens; cells in the accent colour are the tinted ones.
struct TerminalSeen {
    std::map<std::string, std::string> groups;
    std::string tinted;
    std::set<std::string> links;
};

TerminalSeen readTerminal(const std::vector<std::string>& lines) {
    static const std::regex escape(R"(^\x1b\[([0-9;]*)m|^\x1b\]8;;([^\x1b]*)\x1b\\)");
    TerminalSeen seen;
    // The title line and the box's top and bottom are not the widget's.
    for (std::size_t row = 2; row + 1 < lines.size(); ++row) {
        std::string link;
        bool accent = false;
        std::vector<std::pair<std::string, std::string>> cells;  // link, glyph
        std::vector<bool> accents;
        const std::string& line = lines[row];
        for (std::size_t at = 0; at < line.size();) {
            std::smatch match;
            if (line[at] == '\x1b' && std::regex_search(line.begin() + static_cast<std::ptrdiff_t>(at),
                                                        line.end(), match, escape)) {
                if (match[2].matched) {
                    link = match[2].str();
                    if (!link.empty()) seen.links.insert(link);
                } else {
                    accent = match[1].str().find("38;2;64;156;255") != std::string::npos;
                }
                at += static_cast<std::size_t>(match.length(0));
                continue;
            }
            std::size_t size = 1;
            while (at + size < line.size() && (static_cast<unsigned char>(line[at + size]) & 0xC0) == 0x80)
                ++size;
            cells.emplace_back(link, line.substr(at, size));
            accents.push_back(accent);
            at += size;
        }
        // The border and the margin beside it on either side.
        for (std::size_t i = 2; i + 2 < cells.size(); ++i) {
            seen.groups[cells[i].first] += cells[i].second;
            if (accents[i]) seen.tinted += cells[i].second;
        }
        for (auto& [group, text] : seen.groups) text += '\n';
    }
    for (auto& [group, text] : seen.groups) text = collapsed(text);
    seen.tinted = collapsed(seen.tinted);
    return seen;
}

std::ptrdiff_t countOf(std::string_view text, std::string_view piece) {
    std::ptrdiff_t count = 0;
    for (auto at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + piece.size()))
        ++count;
    return count;
}

std::string unescaped(std::string text) {
    for (const auto& [entity, plain] : std::initializer_list<std::pair<std::string_view, std::string_view>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}})
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + plain.size()))
            text.replace(at, entity.size(), plain);
    return text;
}

// The page's texts in document order, its tinted elements and its hrefs.
Seen readHtml(const std::string& html) {
    static const std::regex element(
        R"re(<(span|a|div)( class="([^"]*)")?[^>]*?(data-symbol="([^"]*)")?>([^<]*))re");
    static const std::regex href(R"re(href="([^"]*)")re");
    Seen seen;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), element); it != std::sregex_iterator();
         ++it) {
        const std::string classes = " " + (*it)[3].str() + " ";
        const bool text = classes.find(" qb-t ") != std::string::npos;
        if (text) seen.texts.push_back(unescaped((*it)[6].str()));
        if (classes.find(" qb-accent ") == std::string::npos) continue;
        if (classes.find(" qb-circle ") != std::string::npos) seen.tinted.push_back("circle");
        if (text) seen.tinted.push_back("text:" + unescaped((*it)[6].str()));
        if (classes.find(" qb-sym ") != std::string::npos)
            seen.tinted.push_back("symbol:" + unescaped((*it)[5].str()));
    }
    for (auto it = std::sregex_iterator(html.begin(), html.end(), href); it != std::sregex_iterator(); ++it)
        seen.links.push_back(unescaped((*it)[1].str()));
    return seen;
}

TEST(RenderParity, BothRenderersShowTheSameTextsTintsAndLinks) {
    using enum WidgetRenderingMode;
    for (const Source& source : sources()) {
        for (const WidgetFamily family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                          WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge}) {
            for (const WidgetRenderingMode mode : {fullColor, accented, vibrant}) {
                SCOPED_TRACE(fmt::format("{} {} {} {}", source.kind, source.name, name(family), name(mode)));
                const ui::Environment environment{family, mode};
                const ui::View view = source.view(environment);
                const Seen tree = seenInTree(resolve(view, environment));

                const TerminalSeen terminal =
                    readTerminal(renderTile({source.kind, family, environment, view}, true));
                for (const auto& [group, texts] : tree.textsByLink) {
                    const auto shown = terminal.groups.find(group);
                    ASSERT_NE(shown, terminal.groups.end()) << "no cells open " << group;
                    EXPECT_EQ(missingInOrder(texts, shown->second), std::nullopt) << shown->second;
                }
                EXPECT_EQ(missingInOrder(tree.tintedGlyphs, terminal.tinted), std::nullopt)
                    << terminal.tinted;
                EXPECT_EQ(std::count(tree.tinted.begin(), tree.tinted.end(), "circle"),
                          countOf(terminal.tinted, "●"));
                EXPECT_EQ(terminal.links, std::set<std::string>(tree.links.begin(), tree.links.end()));

                const Seen page =
                    readHtml(renderHtmlTile({source.kind, source.displayName, family, mode, view}));
                EXPECT_EQ(page.texts, tree.texts);
                EXPECT_EQ(page.tinted, tree.tinted);
                EXPECT_EQ(page.links, tree.links);
            }
        }
    }
}

}  // namespace
}  // namespace qb::host
