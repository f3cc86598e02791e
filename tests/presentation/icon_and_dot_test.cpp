#include <gtest/gtest.h>

#include "platform/image.hpp"
#include "presentation/accent_dot.hpp"
#include "presentation/item_icon_view.hpp"

namespace qb {
namespace {

using ui::View;

// A 4 x 2 PNG, encoded by the image layer itself.
Bytes pngIcon() {
    const auto image = Image::fromRgba(4, 2, std::string(4 * 2 * 4, '\x7f'));
    EXPECT_TRUE(image);
    return Bytes(image ? image->pngBytes() : std::string());
}

TEST(ItemIconView, ShowsTheImageOnlyInFullColourWhenItDecodes) {
    struct Case {
        const char* name;
        WidgetRenderingMode mode;
        std::optional<Bytes> data;
        bool showsImage;
    };
    const std::vector<Case> cases{
        {"png, full colour", WidgetRenderingMode::fullColor, pngIcon(), true},
        {"png, accented", WidgetRenderingMode::accented, pngIcon(), false},
        {"no data", WidgetRenderingMode::fullColor, std::nullopt, false},
        {"empty data", WidgetRenderingMode::fullColor, Bytes(std::string()), false},
        {"arbitrary bytes", WidgetRenderingMode::fullColor, Bytes(std::string("\x00\x01garbage\xff", 11)),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const View icon = ItemIconView{c.data, "doc.text", 16}.body({.renderingMode = c.mode});
        if (c.showsImage) {
            ASSERT_TRUE(icon.as<ui::Bitmap>());
            EXPECT_EQ(ui::dump(icon), "image 4x2 resizable aspectFit interpolation=high frame=16x16\n");
        } else {
            EXPECT_EQ(icon, ui::symbol("doc.text").foregroundStyle(ui::Level::secondary).frame(16, 16));
        }
    }
}

TEST(AccentDot, ColourAccentAndClearDotKeepTheSameFrame) {
    using enum WidgetRenderingMode;
    struct Case {
        std::optional<ui::Color> color;
        WidgetRenderingMode mode;
        View expected;
    };
    const std::vector<Case> cases{
        {ui::Color::red, fullColor, ui::circle(ui::Color::red).frame(6, 6)},
        {ui::Color::blue, accented, ui::circle(ui::Color::blue).frame(6, 6).widgetAccentable()},
        {std::nullopt, fullColor, ui::circle(ui::Color::clear).frame(6, 6)},
        {std::nullopt, accented, ui::circle(ui::Color::clear).frame(6, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ui::dump(c.expected));
        const ui::Environment environment{.renderingMode = c.mode};
        EXPECT_EQ((AccentDot{c.color, 6}.body(environment)), c.expected);
    }
}

}  // namespace
}  // namespace qb
