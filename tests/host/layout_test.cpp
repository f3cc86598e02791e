#include "host/render/cell_drawer.hpp"

#include <gtest/gtest.h>

#include "host/render/display_text.hpp"
#include "host/render/styled_line.hpp"
#include "host/render/terminal.hpp"
#include "program_runner.hpp"

namespace qb::host {
namespace {

using namespace qb::ui;

struct Drawn {
    std::vector<std::string> plain;
    std::vector<std::string> styled;
};

Drawn draw(const View& view, int width, int height,
           WidgetRenderingMode mode = WidgetRenderingMode::fullColor) {
    Canvas canvas(width, height);
    drawView(view, Environment{WidgetFamily::systemMedium, mode}, canvas, {0, 0, width, height});
    return {canvas.rows(Styling::plain), canvas.rows(Styling::trueColor)};
}

std::string trimmed(std::string row) {
    while (!row.empty() && row.back() == ' ') row.pop_back();
    return row;
}

std::string stripped(std::string row) {
    row = trimmed(row);
    return row.substr(std::min(row.size(), row.find_first_not_of(' ')));
}

TEST(LayoutTest, SpacersPushTheLastLineToTheBottomAndShareWhatIsLeft) {
    auto list = draw(
        vstack(HorizontalAlignment::leading, {verbatim("Title"), spacer(0), verbatim("+3 more")}), 20, 5);
    EXPECT_EQ(stripped(list.plain[0]), "Title");
    EXPECT_EQ(stripped(list.plain[4]), "+3 more");
    EXPECT_EQ(list.plain[0].find("Title"), list.plain[4].find("+3 more"));  // both at the leading edge

    // Two spacers share the free lines, the first taking the odd one.
    auto small = draw(
        vstack(HorizontalAlignment::leading, {verbatim("H"), spacer(2), verbatim("T"), spacer(0)}), 10, 9);
    EXPECT_EQ(stripped(small.plain[5]), "T");
}

// A column asks each child for its least and its ideal height in one pass: what was measured at one
// height must not answer for another.
TEST(LayoutTest, ViewsMeasuredAtSeveralHeightsInOnePassGetTheSizeOfEach) {
    // Columns with a spacer stretch to the height their row is given, not the height first asked.
    auto columns = draw(
        vstack(HorizontalAlignment::leading,
               {verbatim("Header"),
                hstack(VerticalAlignment::top,
                       {vstack(HorizontalAlignment::leading, {verbatim("Left"), spacer(0), verbatim("Foot")}),
                        divider(), verbatim("Right")})}),
        20, 6);
    EXPECT_EQ(stripped(columns.plain[1]).substr(0, 4), "Left");
    EXPECT_EQ(stripped(columns.plain[5]).substr(0, 4), "Foot");
    for (std::size_t row = 1; row < 6; ++row) EXPECT_NE(columns.plain[row].find("│"), std::string::npos);

    // A text that wraps gets all its lines once there is room, and is cut with an ellipsis where
    // there is not.
    const auto wrapping = [](int height) {
        return draw(vstack(HorizontalAlignment::leading,
                           {verbatim("one two three four five six"), verbatim("end")}),
                    9, height)
            .plain;
    };
    const std::vector<std::string> roomy{"one two", "three", "four five", "six", "end"};
    const auto tall = wrapping(5);
    for (std::size_t row = 0; row < roomy.size(); ++row) EXPECT_EQ(stripped(tall[row]), roomy[row]);
    const auto cut = wrapping(3);
    EXPECT_EQ(stripped(cut[1]), "three…");
    EXPECT_EQ(stripped(cut[2]), "end");

    // A line limit holds at every height.
    const auto limited =
        draw(vstack(HorizontalAlignment::leading,
                    {verbatim("one two three four").lineLimit(2), spacer(0), verbatim("end")}),
             9, 6)
            .plain;
    EXPECT_EQ(stripped(limited[0]), "one two");
    EXPECT_EQ(stripped(limited[1]), "three…");
    EXPECT_EQ(stripped(limited[5]), "end");
}

TEST(LayoutTest, HeaderPutsItsSubtitleAtTheTrailingEdge) {
    auto header = draw(hstack(VerticalAlignment::firstTextBaseline,
                              {localizedText("Tips").font(Font::headline), spacer(),
                               verbatim("Latest").font(Font::caption).foregroundStyle(Level::secondary)}),
                       20, 1);
    EXPECT_EQ(header.plain[0], "Tips          Latest");
    EXPECT_NE(header.styled[0].find("\x1b[1mTips"), std::string::npos);    // headline is bold
    EXPECT_NE(header.styled[0].find("\x1b[2mLatest"), std::string::npos);  // secondary is faint
}

TEST(LayoutTest, RowsShareTheWidthAndCutTheirTitle) {
    // Dot, icon, title and a trailing subtitle, as the medium rows are built.
    auto row =
        hstack(VerticalAlignment::center, {circle(Color::red).frame(6, 6), symbol("doc.text").frame(16, 16),
                                           verbatim("A title far too long for the row").lineLimit(1),
                                           spacer(), verbatim("PDF").foregroundStyle(Level::tertiary)})
            .spacing(6);
    auto drawn = draw(row, 24, 1);
    EXPECT_EQ(displayWidth(drawn.plain[0]), 24);
    EXPECT_TRUE(drawn.plain[0].starts_with("● ")) << drawn.plain[0];
    EXPECT_NE(drawn.plain[0].find("A title far…"), std::string::npos) << drawn.plain[0];
    EXPECT_TRUE(drawn.plain[0].ends_with("PDF")) << drawn.plain[0];

    // A clear dot keeps its place, so titles line up with and without colours.
    auto clear = draw(hstack({circle(Color::clear).frame(6, 6), verbatim("Title")}).spacing(6), 12, 1);
    auto red = draw(hstack({circle(Color::red).frame(6, 6), verbatim("Title")}).spacing(6), 12, 1);
    auto column = [](const std::string& text) { return displayWidth(text.substr(0, text.find("Title"))); };
    EXPECT_EQ(column(clear.plain[0]), column(red.plain[0]));
    EXPECT_EQ(clear.plain[0].find("●"), std::string::npos);
}

TEST(LayoutTest, PaddingAndSpacingRoundToCellsAndTinyOnesVanishVertically) {
    auto rows = draw(vstack(HorizontalAlignment::leading,
                            {verbatim("a"), divider().padding(Edge::leading, 30), verbatim("b")}),
                     10, 3);
    EXPECT_EQ(rows.plain[1], "    ──────");
    auto stack =
        draw(vstack(HorizontalAlignment::leading, {verbatim("a").padding(Edge::bottom, 6), verbatim("b")})
                 .spacing(4),
             5, 3);
    EXPECT_EQ(stripped(stack.plain[0]), "a");
    EXPECT_EQ(stripped(stack.plain[1]), "b");
    auto row = draw(hstack({verbatim("a"), verbatim("b")}).spacing(4), 5, 1);
    EXPECT_EQ(trimmed(row.plain[0]), " a b");  // centred in the 5 cells
}

TEST(LayoutTest, LinksBecomeHyperlinksOnlyForSchemesThatOpenSomethingSafe) {
    auto safe = draw(link(Url::parse("x-quillbrook-item://ABC?widget=favorites"), verbatim("Row")), 10, 1);
    EXPECT_EQ(qb::test::hyperlinkTargets(safe.styled[0]),
              std::vector<std::string>{"x-quillbrook-item://ABC?widget=favorites"});
    // One hyperlink for the whole row, the gap between dot and title included.
    auto whole = draw(link(Url::parse("x-quillbrook-item://ABC"),
                           hstack({circle(Color::red).frame(6, 6), verbatim("Row")}).spacing(6)),
                      5, 1);
    EXPECT_EQ(qb::test::hyperlinkTargets(whole.styled[0]).size(), 1u) << whole.styled[0];
    auto script = draw(link(Url::parse("javascript:alert(1)"), verbatim("Row")), 10, 1);
    EXPECT_TRUE(qb::test::hyperlinkTargets(script.styled[0]).empty());
    EXPECT_NE(script.plain[0].find("Row"), std::string::npos);  // drawn, but inert

    // A widget URL makes the whole widget open it.
    auto widget = draw(vstack({verbatim("Tip")}).widgetURL(Url::parse("https://example.org/tip")), 6, 2);
    for (const auto& row : widget.styled)
        EXPECT_NE(row.find("\x1b]8;;https://example.org/tip"), std::string::npos);
}

TEST(LayoutTest, TintedModesDrawAccentedDotsInTheAccentAndDropOwnColours) {
    auto dot = circle(Color::red).widgetAccentable();
    EXPECT_NE(draw(dot, 1, 1).styled[0].find("38;2;255;69;58"), std::string::npos);
    EXPECT_NE(draw(dot, 1, 1, WidgetRenderingMode::accented).styled[0].find("38;2;64;156;255"),
              std::string::npos);
    auto yellow = symbol("lightbulb").foregroundStyle(Color::yellow);
    EXPECT_EQ(draw(yellow, 2, 1, WidgetRenderingMode::vibrant).styled[0].find("38;2;"), std::string::npos);
}

TEST(TerminalTest, TilesAreBoxesOfTheirFamilysSizeWithTheirNameAbove) {
    const auto lines =
        renderTile({"Tips · Small", WidgetFamily::systemSmall, Environment{WidgetFamily::systemSmall},
                    vstack({verbatim("東京 and a long line that must be cut before the edge").lineLimit(1)})},
                   Styling::plain);
    const auto box = boxSize(WidgetFamily::systemSmall);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(box.height + 1));
    EXPECT_TRUE(lines[0].starts_with("Tips · "));
    EXPECT_TRUE(lines[1].starts_with("╭") && lines[1].ends_with("╮"));
    EXPECT_TRUE(lines.back().starts_with("╰") && lines.back().ends_with("╯"));
    for (const auto& line : lines) EXPECT_EQ(displayWidth(line), box.width) << line;
    // Proportions in points (a cell is 8 by 16): small square, medium about 2:1.
    const auto aspect = [](WidgetFamily family) {
        return boxSize(family).width * 8.0 / (boxSize(family).height * 16);
    };
    EXPECT_NEAR(aspect(WidgetFamily::systemSmall), 1.0, 0.1);
    EXPECT_NEAR(aspect(WidgetFamily::systemMedium), 2.14, 0.2);
}

// Terminals that announce fewer colours get the nearest of their palette, in the SGR form they read.
TEST(TerminalTest, ColoursTakeTheNearestOfThePaletteTheTerminalHas) {
    struct Case {
        Rgb rgb;
        Styling depth;
        std::string_view foreground, background;
    };
    for (const auto& [rgb, depth, foreground, background] : std::initializer_list<Case>{
             {{255, 69, 58}, Styling::trueColor, "38;2;255;69;58", "48;2;255;69;58"},
             {{255, 69, 58}, Styling::colors256, "38;5;203", "48;5;203"},    // the cube
             {{152, 152, 157}, Styling::colors256, "38;5;247", "48;5;247"},  // the grey ramp
             {{0, 0, 0}, Styling::colors256, "38;5;16", "48;5;16"},
             {{255, 69, 58}, Styling::colors16, "91", "101"},    // bright red
             {{48, 209, 88}, Styling::colors16, "32", "42"},     // green
             {{10, 132, 255}, Styling::colors16, "36", "46"},    // cyan lies nearer than blue
             {{152, 152, 157}, Styling::colors16, "90", "100"},  // bright black: grey
             {{255, 255, 255}, Styling::colors16, "97", "107"},
             {{0, 0, 0}, Styling::colors16, "30", "40"},
         }) {
        EXPECT_EQ(colorParameters(rgb, depth, false), foreground);
        EXPECT_EQ(colorParameters(rgb, depth, true), background);
    }
}

// A line cut at the edge keeps whole glyphs and whole escape sequences, and closes what is open there.
TEST(TerminalTest, LinesAreCutAtTheEdgeWithAMarkerAndTheirStylesClosed) {
    const std::string link = osc8("https://example.org/a"), unlink = osc8("");
    struct Case {
        std::string line;
        int columns;
        std::string cut;
    };
    for (const auto& [line, columns, cut] : std::initializer_list<Case>{
             {"fits", 4, "fits"},
             {"abcdef", 4, "abc›"},
             {"\x1b[2mab      \x1b[0m", 4, "\x1b[2mab  \x1b[0m"},  // only blanks beyond the edge: no marker
             {"a東京", 4, "a東›"},
             {"東京x", 4, "東 ›"},  // half a wide glyph is a blank
             {"\x1b[1mbold text\x1b[0m", 5, "\x1b[1mbold\x1b[0m›"},
             {link + "a link" + unlink, 3, link + "a " + unlink + "›"},
             {link + "\x1b[2;3mab\x1b[0mcd" + unlink + "ef", 3, link + "\x1b[2;3mab\x1b[0m" + unlink + "›"},
             {"\x1b[2m│\x1b[0m abc \x1b[2m│\x1b[0m", 5, "\x1b[2m│\x1b[0m ab›"},
         })
        EXPECT_EQ(cutToColumns(line, columns), cut) << line;
}

}  // namespace
}  // namespace qb::host
