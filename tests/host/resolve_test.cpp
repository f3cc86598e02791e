#include "host/render/resolve.hpp"

#include <gtest/gtest.h>

namespace qb::host {
namespace {

using namespace qb::ui;

Url url(std::string_view text) {
    return Url::parse(text).value_or(*Url::parse("x-quillbrook://invalid"));
}

TEST(Resolve, StyleIsInheritedAndAnAccentableViewTintsItsWholeSubtree) {
    const View view = vstack({hstack({verbatim("row"), circle(Color::red)})
                                  .font(Font::caption)
                                  .foregroundStyle(Level::secondary)
                                  .widgetAccentable(),
                              verbatim("note").lineLimit(2)})
                          .font(Font::headline)
                          .fontWeight(FontWeight::semibold)
                          .multilineTextAlignment(TextAlignment::center);
    for (const auto mode : {WidgetRenderingMode::fullColor, WidgetRenderingMode::accented}) {
        const bool tinted = mode != WidgetRenderingMode::fullColor;
        const resolved::Node root = resolve(view, {WidgetFamily::systemMedium, mode}).root;
        const resolved::Node& row = root.children()[0].children()[0];
        const resolved::Node& dot = root.children()[0].children()[1];
        const resolved::Node& note = root.children()[1];
        EXPECT_EQ(row.style, (resolved::Style{Font::caption, FontWeight::semibold, Level::secondary,
                                              std::nullopt, TextAlignment::center, tinted}));
        EXPECT_EQ(dot.style.accented, tinted);
        EXPECT_EQ(note.style, (resolved::Style{Font::headline, FontWeight::semibold, Level::primary, 2,
                                               TextAlignment::center, false}));
    }
}

TEST(Resolve, TextsAreFinalLinksCheckedAndDefaultsFilledIn) {
    const View view = vstack({localizedText("%lld items", 12),
                              hstack({divider(), spacer(), symbol("star"), symbol("nope")}),
                              link(url("javascript:alert(1)"), verbatim("refused")),
                              link(url("x-quillbrook-item://A?widget=favorites"), verbatim("row")),
                              vstack({verbatim("tip")}).widgetURL(url("https://example.org/tip"))})
                          .containerBackground(FillBackground{});
    const resolved::Tree tree = resolve(view, {});
    const auto& children = tree.root.children();
    EXPECT_EQ(children[0], (resolved::Node{resolved::Text{"12 items"}, {}, {}}));
    const auto& row = std::get<resolved::Stack>(children[1].content);
    EXPECT_EQ(row.spacing, resolved::defaultSpacing);
    EXPECT_EQ(row.children[0].content, resolved::Content{resolved::Divider{resolved::Axis::vertical}});
    EXPECT_EQ(row.children[1].content, resolved::Content{resolved::Spacer{resolved::defaultSpacerLength}});
    EXPECT_EQ(std::get<resolved::Symbol>(row.children[2].content).info->iconNames.front(),
              "starred-symbolic");
    EXPECT_EQ(std::get<resolved::Symbol>(row.children[3].content).info->name, "");  // a generic document
    EXPECT_FALSE(std::get<resolved::Link>(children[2].content).destination);
    EXPECT_EQ(tree.containerBackground, FillBackground{});
    EXPECT_EQ(openableLinks(tree),
              (std::vector{url("https://example.org/tip"), url("x-quillbrook-item://A?widget=favorites")}));

    // The first widget URL in the tree counts; when the policy refuses it, the widget opens nothing.
    const View refused = vstack({verbatim("tip").widgetURL(url("https://example.org/b"))})
                             .widgetURL(url("javascript:alert(1)"));
    EXPECT_FALSE(resolve(refused, {}).widgetURL);
}

// A title from a file must not reverse or reorder the texts around it in any renderer.
TEST(Resolve, TextsLoseBidirectionalEmbeddingOverrideAndIsolateControls) {
    struct Case {
        std::string_view title, shown;
    };
    for (const auto& [title, shown] : std::initializer_list<Case>{
             {"RLO \u202Eoverride\u202C after", "RLO override after"},
             {"\u202A\u202B\u202Dembedded\u202C", "embedded"},
             {"\u2066isolate\u2069 \u2067rtl\u2069 \u2068first strong\u2069", "isolate rtl first strong"},
             {"مكتبة \u200Fmark 東京 📚", "مكتبة \u200Fmark 東京 📚"},  // marks reorder nothing: kept
         }) {
        const resolved::Tree tree = resolve(vstack({verbatim(std::string(title))}), {});
        EXPECT_EQ(std::get<resolved::Text>(tree.root.children()[0].content).string, shown) << title;
    }
}

}  // namespace
}  // namespace qb::host
