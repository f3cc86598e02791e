#include "tips/tips_views.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tips/tips_widget.hpp"

namespace qb {
namespace {

using testing::HasSubstr;
using testing::Not;

TipItem sampleTip(std::string link = "https://www.quillbrook.example/tips/rules") {
    // 4 December 2026 12:00 UTC.
    return TipItem{"Smart rules", "Automate your work.", std::move(link), Date::fromUnixSeconds(1796385600),
                   "g1"};
}

std::string render(const TipsEntry& entry, WidgetFamily family) {
    return ui::dump(TipsEntryView{entry}.body(ui::Environment{family}));
}

const std::string widgetURL =
    R"(widgetURL="x-quillbrook://open-url?location=https://www.quillbrook.example/tips/rules&widget=tips")";

TEST(TipsViewsTest, LaysOutTheSmallFamily) {
    EXPECT_EQ(render({Date{}, sampleTip(), TipsMode::tipOfTheDay}, WidgetFamily::systemSmall),
              "vstack alignment=leading spacing=4 " + widgetURL +
                  "\n"
                  "  hstack\n"
                  "    text \"Tips\" localized font=headline\n"
                  "    spacer\n"
                  "    symbol \"lightbulb\" foreground=yellow\n"
                  "  spacer min=2\n"
                  "  text \"Smart rules\" font=callout foreground=primary lineLimit=4\n"
                  "  spacer min=0\n");
}

TEST(TipsViewsTest, LaysOutTheMediumFamilyWithTheMode) {
    const std::string expected =
        "vstack alignment=leading spacing=0 " + widgetURL +
        "\n"
        "  hstack alignment=firstTextBaseline padding.bottom=6\n"
        "    text \"Tips\" localized font=headline\n"
        "    spacer\n"
        "    text \"{}\" font=caption foreground=secondary\n"
        "  text \"Smart rules\" font=callout weight=semibold lineLimit=2\n"
        "  text \"Automate your work.\" font=caption foreground=secondary lineLimit=3 "
        "padding.top=2\n"
        "  spacer min=0\n";
    auto withSubtitle = [&](std::string subtitle) {
        std::string text = expected;
        return text.replace(text.find("{}"), 2, subtitle);
    };
    EXPECT_EQ(render({Date{}, sampleTip(), TipsMode::latestTip}, WidgetFamily::systemMedium),
              withSubtitle("Latest"));
    EXPECT_EQ(render({Date{}, sampleTip(), TipsMode::tipOfTheDay}, WidgetFamily::systemMedium),
              withSubtitle("Tip of the Day"));
    // Families without a layout of their own get the medium one.
    EXPECT_EQ(render({Date{}, sampleTip(), TipsMode::latestTip}, WidgetFamily::accessoryRectangular),
              withSubtitle("Latest"));
}

TEST(TipsViewsTest, LaysOutTheLargerFamiliesWithDateAndDivider) {
    struct Case {
        WidgetFamily family;
        std::string title, date, divider, description;
    };
    std::vector<Case> cases = {
        {WidgetFamily::systemLarge, "font=callout weight=semibold lineLimit=3",
         "text \"Dec 4, 2026\" font=caption2 foreground=tertiary padding.top=2",
         "divider padding.top=6 padding.bottom=6", "font=caption foreground=secondary\n"},
        {WidgetFamily::systemExtraLarge, "font=title3 weight=semibold lineLimit=3",
         "text \"Dec 4, 2026\" font=caption foreground=tertiary padding.top=2",
         "divider padding.top=8 padding.bottom=8", "font=callout foreground=secondary\n"},
    };
    for (const auto& c : cases) {
        auto dump = render({Date{}, sampleTip(), TipsMode::latestTip}, c.family);
        EXPECT_THAT(dump, testing::StartsWith("vstack alignment=leading spacing=0 " + widgetURL));
        EXPECT_THAT(dump,
                    HasSubstr("\n  text \"Smart rules\" " + c.title + "\n  " + c.date + "\n  " + c.divider +
                              "\n  text \"Automate your work.\" " + c.description + "  spacer min=0\n"));
    }
}

TEST(TipsViewsTest, ShowsTheEmptyStateInEveryFamily) {
    const std::string empty =
        "vstack spacing=8\n"
        "  symbol \"lightbulb.slash\" font=largeTitle foreground=secondary\n"
        "  text \"No Tips\" localized font=headline foreground=secondary\n"
        "  text \"Tips could not be loaded.\" localized font=caption foreground=tertiary "
        "textAlignment=center\n";
    for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                        WidgetFamily::systemExtraLarge})
        EXPECT_EQ(render({Date{}, std::nullopt, TipsMode::tipOfTheDay}, family), empty) << name(family);
}

TEST(TipsViewsTest, SetsNoWidgetURLForATipWithoutLink) {
    for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                        WidgetFamily::systemExtraLarge}) {
        auto dump = render({Date{}, sampleTip(""), TipsMode::latestTip}, family);
        EXPECT_THAT(dump, Not(HasSubstr("widgetURL"))) << name(family);
        EXPECT_THAT(dump, HasSubstr("Smart rules"));
    }
}

TEST(TipsViewsTest, DefinesTheWidget) {
    auto configuration = TipsWidget{}.body();
    EXPECT_EQ(configuration.kind, "TipsWidget");
    EXPECT_EQ(configuration.displayName, "Tips");
    EXPECT_EQ(configuration.description, "Shows tips from the Quillbrook blog on the desktop.");
    EXPECT_EQ(configuration.families,
              (std::vector<WidgetFamily>{WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                         WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge}));
    auto view = configuration.content({Date{}, sampleTip(), TipsMode::latestTip}, ui::Environment{});
    EXPECT_THAT(ui::dump(view), HasSubstr("containerBackground=tertiary"));

    AnyWidget widget(TipsWidget{});
    ASSERT_EQ(widget.parameters().size(), 1u);
    EXPECT_EQ(widget.parameters()[0].name, "mode");
    EXPECT_EQ(widget.parameters()[0].title, "Mode");
    EXPECT_EQ(widget.parameters()[0].typeDisplayName, "Mode");
    EXPECT_EQ(widget.parameters()[0].defaultValue, "latestTip");
    EXPECT_EQ(widget.options("mode"),
              (std::vector<ParameterOption>{{"latestTip", "Latest Tip"}, {"tipOfTheDay", "Tip of the Day"}}));
    auto instance = widget.makeInstance();
    EXPECT_TRUE(instance.set("mode", "tipOfTheDay"));
    EXPECT_FALSE(instance.set("mode", "randomTip"));
    auto snapshot = instance.snapshot({});
    EXPECT_EQ(snapshot.json["mode"], "tipOfTheDay");
    EXPECT_EQ(snapshot.json["tip"]["guid"], "sample1");
}

}  // namespace
}  // namespace qb
