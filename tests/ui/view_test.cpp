#include "ui/view.hpp"

#include <gtest/gtest.h>

#include "platform/image.hpp"

namespace qb::ui {
namespace {

Url url(std::string_view text) {
    auto parsed = Url::parse(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(*Url::parse("x-quillbrook://invalid"));
}

TEST(ViewDump, ShowsKindsAndNonDefaultPropertiesIndentedByDepth) {
    const View tree =
        vstack(HorizontalAlignment::leading,
               {
                   localizedText("Favorites").font(Font::headline),
                   spacer(2),
                   link(url("x-quillbrook-item://a?widget=favorites"),
                        hstack({circle(Color::red).frame(5, 5), verbatim("Inbox").lineLimit(1)}).spacing(4)),
                   localizedText("+%lld more", 6).font(Font::caption2).foregroundStyle(Level::secondary),
                   symbol("star").foregroundStyle(Color::yellow).padding(Edge::vertical, 3),
                   divider().padding(Edge::leading, 30),
               })
            .spacing(4)
            .widgetURL(url("x-quillbrook://open-url?location=a"))
            .containerBackground(FillBackground{Level::tertiary});
    EXPECT_EQ(dump(tree),
              "vstack alignment=leading spacing=4 widgetURL=\"x-quillbrook://open-url?location=a\" "
              "containerBackground=tertiary\n"
              "  text \"Favorites\" localized font=headline\n"
              "  spacer min=2\n"
              "  link url=\"x-quillbrook-item://a?widget=favorites\"\n"
              "    hstack spacing=4\n"
              "      circle fill=red frame=5x5\n"
              "      text \"Inbox\" lineLimit=1\n"
              "  text \"+%lld more\" localized argument=6 font=caption2 foreground=secondary\n"
              "  symbol \"star\" foreground=yellow padding.top=3 padding.bottom=3\n"
              "  divider padding.leading=30\n");
}

TEST(ViewDump, EscapesTextSoThatEveryNodeStaysOnOneLineAndInert) {
    EXPECT_EQ(dump(verbatim("say \"hi\"\\\n\t\x1b[31m\u202e\u009b")),
              "text \"say \\\"hi\\\"\\\\\\n\\t\\e[31m\\u202e\\u009b\"\n");
}

TEST(ViewModifiers, PaddingsAccumulateAndFramesKeepTheOtherDimension) {
    const View view =
        spacer().padding(Edge::all, 2).padding(Edge::top, 4).frame(10, std::nullopt).frame(std::nullopt, 20);
    EXPECT_EQ(view.modifiers.padding, (EdgeInsets{6, 2, 2, 2}));
    EXPECT_EQ(view.modifiers.frame, (Frame{10, 20}));
}

TEST(ViewEquality, ComparesEveryPropertyAndImagesByPixels) {
    EXPECT_EQ(link(std::nullopt, verbatim("row")), verbatim("row"));  // no destination: the label alone
    EXPECT_NE(verbatim("a").font(Font::caption), verbatim("a").font(Font::caption2));
    EXPECT_NE(verbatim("a"), localizedText("a"));
    EXPECT_NE(localizedText("%lld", 1), localizedText("%lld", 2));
    EXPECT_NE(circle(Color::red), circle(Color::red).widgetAccentable());
    EXPECT_NE(vstack({spacer()}), vstack({spacer(0)}));

    const auto pixel = [](const char* rgba) { return Image::fromRgba(1, 1, std::string(rgba, 4)); };
    const auto red = pixel("\xff\x00\x00\xff"), blue = pixel("\x00\x00\xff\xff");
    ASSERT_TRUE(red && blue);
    EXPECT_EQ(image(red), image(pixel("\xff\x00\x00\xff")));
    EXPECT_NE(image(red), image(blue));
    EXPECT_NE(image(red), image(nullptr));
}

}  // namespace
}  // namespace qb::ui
