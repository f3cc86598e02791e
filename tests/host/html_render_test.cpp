#include "host/render/html.hpp"

#include <regex>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/render/html_escape.hpp"
#include "host/render/html_symbols.hpp"
#include "support/test_support.hpp"

namespace qb::host {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string tileOf(ui::View view, WidgetFamily family = WidgetFamily::systemMedium,
                   WidgetRenderingMode mode = WidgetRenderingMode::fullColor) {
    return renderHtmlTile(HtmlTile{"ReadingListWidget", "Reading List", family, mode, std::move(view)});
}

TEST(HtmlEscape, EscapesMarkupQuotesAndDropsControls) {
    struct Case {
        std::string_view text, escaped;
    };
    for (const auto& [text, escaped] : std::initializer_list<Case>{
             {"plain words", "plain words"},
             {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
             {R"(" onmouseover="x)", "&quot; onmouseover=&quot;x"},
             {"it's & more", "it&#39;s &amp; more"},
             {"bell\x07 esc\x1b[31m del\x7f", "bell esc[31m del"},
             {"tab\tand\nline", "tab\tand\nline"},
             {"Grüße", "Grüße"},
         })
        EXPECT_EQ(escapeHtml(text), escaped) << text;
}

TEST(HtmlRenderer, HostileTextsRenderInert) {
    auto html = tileOf(ui::vstack(ui::HorizontalAlignment::leading,
                                  {ui::verbatim("<img src=x onerror=alert(1)>"),
                                   ui::verbatim("\"><script>alert(2)</script>"), ui::symbol("\"><b>x</b>")}));
    EXPECT_THAT(html, Not(HasSubstr("<img src=x")));
    EXPECT_THAT(html, Not(HasSubstr("<script")));
    EXPECT_THAT(html, Not(HasSubstr("<b>")));
    EXPECT_THAT(html, HasSubstr("&lt;img src=x onerror=alert(1)&gt;"));
    EXPECT_THAT(html, HasSubstr("data-symbol=\"&quot;&gt;&lt;b&gt;x&lt;/b&gt;\""));
}

TEST(HtmlRenderer, LinksOnlyForTheSchemesAClickMayOpen) {
    struct Case {
        std::string_view url;
        bool linked;
    };
    for (const auto& [text, linked] : std::initializer_list<Case>{
             {"x-quillbrook-item://ABC?widget=readinglist", true},
             {"x-quillbrook-smartgroup://DEF?widget=favorites", true},
             {"x-quillbrook://open-url?location=https%3A%2F%2Fa.example%2F&widget=tips", true},
             {"HTTPS://example.com/a?b=1&c=2", true},
             {"mailto:someone@example.com", true},
             {"file:///home/me/Documents/a.pdf", true},
             {"javascript:alert(1)", false},
             {"JavaScript:alert(1)", false},
             {"data:text/html,<script>alert(1)</script>", false},
             {"ftp://example.com/file", false},
         }) {
        auto url = Url::parse(text);
        ASSERT_TRUE(url) << text;
        auto html = tileOf(ui::link(*url, ui::verbatim("Row")));
        EXPECT_EQ(html.find("<a class=\"qb-link") != std::string::npos, linked) << text << "\n" << html;
        EXPECT_EQ(html.find("href=") != std::string::npos, linked) << text;
        EXPECT_THAT(html, HasSubstr(">Row<")) << text;
    }
    auto html = tileOf(ui::link(*Url::parse("https://example.com/a?b=1&c=2"), ui::verbatim("Row")));
    EXPECT_THAT(html, HasSubstr("href=\"https://example.com/a?b=1&amp;c=2\""));
}

TEST(HtmlRenderer, WholeWidgetIsOneLinkWhenTheViewSetsAWidgetURL) {
    auto tips = [](std::string_view url) {
        return ui::vstack(ui::HorizontalAlignment::leading, {ui::verbatim("Tip")}).widgetURL(Url::parse(url));
    };
    auto linked = tileOf(tips("x-quillbrook://open-url?location=https%3A%2F%2Fa.example&widget=tips"));
    EXPECT_TRUE(linked.starts_with("<a class=\"qb-widget")) << linked;
    EXPECT_THAT(
        linked,
        HasSubstr("href=\"x-quillbrook://open-url?location=https%3A%2F%2Fa.example&amp;widget=tips\""));
    auto refused = tileOf(tips("javascript:alert(1)"));
    EXPECT_TRUE(refused.starts_with("<div class=\"qb-widget")) << refused;
    EXPECT_THAT(refused, Not(HasSubstr("href")));
}

TEST(HtmlRenderer, MapsStacksSpacersDividersAndTextStyles) {
    auto view =
        ui::vstack(
            ui::HorizontalAlignment::leading,
            {ui::hstack(
                 ui::VerticalAlignment::firstTextBaseline,
                 {ui::localizedText("Reading List").font(ui::Font::headline), ui::spacer(),
                  ui::verbatim("3 unread").font(ui::Font::caption).foregroundStyle(ui::Level::secondary)}),
             ui::divider().padding(ui::Edge::leading, 30), ui::spacer(0),
             ui::localizedText("+%lld more", 6).font(ui::Font::caption2),
             ui::verbatim("A long title").lineLimit(1), ui::verbatim("Three lines").lineLimit(3)})
            .spacing(0);
    auto html = tileOf(std::move(view));
    EXPECT_THAT(html, HasSubstr("class=\"qb-v\" style=\"align-items:flex-start;"));
    EXPECT_THAT(html, Not(HasSubstr("gap:0px")));
    EXPECT_THAT(html, HasSubstr("class=\"qb-h\" style=\"gap:8px;align-items:baseline;align-self:stretch;"));
    EXPECT_THAT(html, HasSubstr("class=\"qb-spacer\" style=\"min-width:8px;\""));
    EXPECT_THAT(html, HasSubstr("class=\"qb-spacer\" style=\"min-height:0px;\""));
    EXPECT_THAT(html, HasSubstr("class=\"qb-div-h\" style=\"margin:0px 0px 0px 30px;\""));
    EXPECT_THAT(html, HasSubstr("f-headline c-primary"));
    EXPECT_THAT(html, HasSubstr("f-caption c-secondary"));
    EXPECT_THAT(html, HasSubstr(">+6 more<"));
    EXPECT_THAT(html, HasSubstr("qb-l1\" dir=\"auto\">A long title<"));
    EXPECT_THAT(html, HasSubstr("qb-lc\" style=\"-webkit-line-clamp:3;\" dir=\"auto\">Three lines<"));
}

// A right-to-left override in a title would show the rest of the row reversed; every text stands in its
// own isolate instead, its direction taken from its own letters.
TEST(HtmlRenderer, EveryTextIsIsolatedAndNoneOverridesTheDirection) {
    auto html = tileOf(ui::hstack({ui::verbatim("RLO \u202Eoverride").lineLimit(1),
                                   ui::verbatim("\u2066مكتبة"), ui::verbatim("after")}));
    EXPECT_THAT(html, Not(HasSubstr("\u202E")));
    EXPECT_THAT(html, Not(HasSubstr("\u2066")));
    const std::regex text("<span class=\"qb-t [^>]*>");
    long texts = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), text); it != std::sregex_iterator(); ++it) {
        EXPECT_THAT(it->str(), HasSubstr(" dir=\"auto\""));
        ++texts;
    }
    EXPECT_EQ(texts, 3);
}

// A row whose trailing subtitle wraps grows and pushes the rows below it down: no rule lets a stack or a
// row shrink below its content (where its text would overflow onto its neighbours) or takes it out of
// the flow, and content taller than the widget is not centred out over the widget's top edge.
TEST(HtmlRenderer, RowsGrowWithTheirTextAndTheWidgetClipsAtItsEdge) {
    const std::string styles(widgetStyles());
    const std::regex rule(R"(([^{}]+)\{([^{}]*)\})");
    const std::regex shrinking(R"((^|[;\s])(min-height:\s*0|height:|max-height:|position:\s*absolute))");
    for (auto it = std::sregex_iterator(styles.begin(), styles.end(), rule); it != std::sregex_iterator();
         ++it) {
        const std::string selector = (*it)[1].str(), declarations = (*it)[2].str();
        if (std::regex_search(selector, std::regex(R"(\.qb-(v|h|link|item)\b)"))) {
            EXPECT_FALSE(std::regex_search(declarations, shrinking)) << selector << declarations;
        }
        if (selector.find(".qb-content") != std::string::npos) {
            EXPECT_FALSE(std::regex_search(declarations, std::regex(R"(justify-content:\s*center)")));
        }
    }
}

TEST(HtmlRenderer, AccentableMarksTakeTheAccentOnlyWhenTinted) {
    auto dot = [] { return ui::circle(ui::Color::blue).frame(6, 6).widgetAccentable(); };
    EXPECT_THAT(tileOf(dot()), Not(HasSubstr("qb-accent")));
    EXPECT_THAT(tileOf(dot(), WidgetFamily::systemMedium, WidgetRenderingMode::accented),
                HasSubstr("qb-accent"));
    EXPECT_THAT(tileOf(dot()),
                HasSubstr("class=\"qb-circle b-blue\" style=\"width:6px;min-width:6px;height:6px;"));
}

TEST(HtmlRenderer, PageHoldsEveryTileWithoutNetworkReferences) {
    const HtmlTile tile{"TipsWidget", "Tips", WidgetFamily::systemSmall, WidgetRenderingMode::fullColor,
                        ui::verbatim("Tip").containerBackground(ui::FillBackground{})};
    auto page = renderHtmlPage({tile, tile}, "Widgets <&>");
    EXPECT_THAT(page, HasSubstr("<title>Widgets &lt;&amp;&gt;</title>"));
    EXPECT_THAT(page, HasSubstr("qb-fill"));
    const std::regex tileStart("class=\"qb-widget");
    EXPECT_EQ(
        std::distance(std::sregex_iterator(page.begin(), page.end(), tileStart), std::sregex_iterator()), 2);
    EXPECT_THAT(page, Not(HasSubstr("src=\"http")));
    EXPECT_THAT(page, Not(HasSubstr("@import")));
}

TEST(SvgSanitizer, KeepsOnlyDrawingAndPaintsInTheTextColour) {
    auto svg = sanitizedSvg(R"SVG(<?xml version="1.0"?>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="16px" height="16px" onload="alert(1)">
  <script>alert(2)</script>
  <style>path { fill: red }</style>
  <foreignObject><div xmlns="http://www.w3.org/1999/xhtml">x</div></foreignObject>
  <a xlink:href="javascript:alert(3)"><path d="m 0 0 h 1"/></a>
  <g fill="#2e3436" style="x" onclick="alert(4)"><path d="m 1 1 h 2" fill-opacity="0.5" fill="url(#evil)"/></g>
  <use xlink:href="http://example.com/x.svg#a"/>
</svg>)SVG");
    ASSERT_TRUE(svg);
    for (std::string_view banned :
         {"script", "alert", "style", "foreignObject", "javascript", "href", "onload", "onclick", "use",
          "url(", "#2e3436", "example.com", "<a", "<div"})
        EXPECT_THAT(*svg, Not(HasSubstr(banned))) << *svg;
    EXPECT_THAT(*svg, HasSubstr("viewBox=\"0 0 16 16\""));
    EXPECT_THAT(*svg, HasSubstr("<g fill=\"currentColor\"><path d=\"m 1 1 h 2\" fill=\"currentColor\" "
                                "fill-opacity=\"0.5\"></path></g>"));

    EXPECT_FALSE(sanitizedSvg("<html><body>x</body></html>"));
    EXPECT_FALSE(sanitizedSvg("<svg><path d='1'>"));
    EXPECT_FALSE(sanitizedSvg(""));
}

TEST(SvgSanitizer, InlinesOnlyFilesInsideATheme) {
    test::TempDir folder;
    const auto theme = folder.path() / "theme";
    const auto inside = folder.write("theme/scalable/actions/a-symbolic.svg",
                                     "<svg viewBox='0 0 16 16'><path d='m 0 0'/></svg>");
    const auto outside = folder.write("elsewhere/b.svg", "<svg viewBox='0 0 16 16'><path d='m 0 0'/></svg>");
    std::filesystem::create_symlink(outside, theme / "scalable/actions/b-symbolic.svg");
    const auto png = folder.write("theme/16x16/actions/c.png", "\x89PNG");
    EXPECT_TRUE(themeIconSvg(inside, {theme}));
    EXPECT_FALSE(themeIconSvg(theme / "scalable/actions/b-symbolic.svg", {theme}));
    EXPECT_FALSE(themeIconSvg(theme / "scalable/actions/../../../elsewhere/b.svg", {theme}));
    EXPECT_FALSE(themeIconSvg(png, {theme}));
}

}  // namespace
}  // namespace qb::host
