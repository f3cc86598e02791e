#include "tips/tips_views.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tips/tips_widget.hpp"

namespace qb::tips {
namespace {

using testing::HasSubstr;

// 4 December 2026 12:00 UTC.
TipItem sampleTip(std::string link = "https://www.quillbrook.example/tips/rules") {
    return TipItem{"Smart rules", "Automate your work.", std::move(link), Date::fromUnixSeconds(1796385600),
                   "g1"};
}

std::string render(std::optional<TipItem> tip, TipsMode mode, WidgetFamily family) {
    return ui::dump(TipsEntryView{{Date{}, std::move(tip), mode}}.body(ui::Environment{family}));
}

const std::string widgetURL =
    R"(widgetURL="x-quillbrook://open-url?location=https://www.quillbrook.example/tips/rules&widget=tips")";
constexpr WidgetFamily systemFamilies[] = {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                           WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};

TEST(TipsViewsTest, LaysOutTheSmallAndMediumFamilies) {
    EXPECT_EQ(render(sampleTip(), TipsMode::tipOfTheDay, WidgetFamily::systemSmall),
              "vstack alignment=leading spacing=4 " + widgetURL +
                  "\n  hstack\n    text \"Tips\" localized font=headline\n    spacer\n"
                  "    symbol \"lightbulb\" foreground=yellow\n  spacer min=2\n"
                  "  text \"Smart rules\" font=callout foreground=primary lineLimit=4\n  spacer min=0\n");
    auto medium = [&](const std::string& subtitle) {
        return "vstack alignment=leading spacing=0 " + widgetURL +
               "\n  hstack alignment=firstTextBaseline padding.bottom=6\n"
               "    text \"Tips\" localized font=headline\n    spacer\n"
               "    text \"" +
               subtitle +
               "\" font=caption foreground=secondary\n"
               "  text \"Smart rules\" font=callout weight=semibold lineLimit=2\n"
               "  text \"Automate your work.\" font=caption foreground=secondary lineLimit=3 padding.top=2\n"
               "  spacer min=0\n";
    };
    EXPECT_EQ(render(sampleTip(), TipsMode::latestTip, WidgetFamily::systemMedium), medium("Latest"));
    EXPECT_EQ(render(sampleTip(), TipsMode::tipOfTheDay, WidgetFamily::systemMedium),
              medium("Tip of the Day"));
    // Families without a layout of their own get the medium one.
    EXPECT_EQ(render(sampleTip(), TipsMode::latestTip, WidgetFamily::accessoryRectangular), medium("Latest"));
}

TEST(TipsViewsTest, LaysOutTheLargerFamiliesWithDateAndDivider) {
    const std::vector<std::tuple<WidgetFamily, std::string, std::string, std::string, std::string>> cases = {
        {WidgetFamily::systemLarge, "font=callout weight=semibold lineLimit=3",
         "text \"Dec 4, 2026\" font=caption2 foreground=tertiary padding.top=2",
         "divider padding.top=6 padding.bottom=6", "font=caption foreground=secondary\n"},
        {WidgetFamily::systemExtraLarge, "font=title3 weight=semibold lineLimit=3",
         "text \"Dec 4, 2026\" font=caption foreground=tertiary padding.top=2",
         "divider padding.top=8 padding.bottom=8", "font=callout foreground=secondary\n"},
    };
    for (const auto& [family, title, date, divider, description] : cases) {
        auto dump = render(sampleTip(), TipsMode::latestTip, family);
        EXPECT_THAT(dump, testing::StartsWith("vstack alignment=leading spacing=0 " + widgetURL));
        EXPECT_THAT(dump, HasSubstr("\n  text \"Smart rules\" " + title + "\n  " + date + "\n  " + divider +
                                    "\n  text \"Automate your work.\" " + description + "  spacer min=0\n"));
    }
}

TEST(TipsViewsTest, ShowsTheEmptyStateAndNoWidgetURLForATipWithoutLink) {
    const std::string empty =
        "vstack spacing=8\n  symbol \"lightbulb.slash\" font=largeTitle foreground=secondary\n"
        "  text \"No Tips\" localized font=headline foreground=secondary\n"
        "  text \"Tips could not be loaded.\" localized font=caption foreground=tertiary "
        "textAlignment=center\n";
    for (auto family : systemFamilies) {
        EXPECT_EQ(render(std::nullopt, TipsMode::tipOfTheDay, family), empty) << name(family);
        auto unlinked = render(sampleTip(""), TipsMode::latestTip, family);
        EXPECT_THAT(unlinked, testing::Not(HasSubstr("widgetURL"))) << name(family);
        EXPECT_THAT(unlinked, HasSubstr("Smart rules"));
    }
}

TEST(TipsViewsTest, OffersTheModesAndDrawsOnTheWidgetBackground) {
    auto configuration = TipsWidget{}.body();
    EXPECT_THAT(
        ui::dump(configuration.content({Date{}, sampleTip(), TipsMode::latestTip}, ui::Environment{})),
        HasSubstr("containerBackground=tertiary"));
    AnyWidget widget(TipsWidget{});
    ASSERT_EQ(widget.parameters().size(), 1u);
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
}  // namespace qb::tips
