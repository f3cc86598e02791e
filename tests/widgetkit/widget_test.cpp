#include "widgetkit/widget.hpp"

#include <array>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qb {

// A small widget with one enumeration and one entity parameter, to drive the type erasure.
enum class Shade { light, dark };

template <>
struct AppEnumTraits<Shade> {
    static constexpr std::string_view typeDisplayName = "Shade";
    static constexpr std::array cases = {AppEnumCase<Shade>{Shade::light, "light", "Light"},
                                         AppEnumCase<Shade>{Shade::dark, "dark", "Dark"}};
};

struct ShelfQuery;
struct Shelf {
    std::string id;
    DisplayRepresentation displayRepresentation() const { return {id == "_any" ? "Any" : id}; }
    static constexpr std::string_view typeDisplayRepresentation = "Shelf";
    using Query = ShelfQuery;
};

struct ShelfQuery {
    std::vector<Shelf> entities(const std::vector<std::string>& ids) const {
        std::vector<Shelf> shelves;  // a shelf needs a name; any other id resolves
        for (const auto& id : ids)
            if (!id.empty()) shelves.push_back({id});
        return shelves;
    }
    std::vector<Shelf> suggestedEntities() const { return {{"_any"}, {"Top"}, {"Bottom"}}; }
    std::optional<Shelf> defaultResult() const { return Shelf{"_any"}; }
    std::vector<Shelf> entitiesMatching(std::string_view text) const {
        std::vector<Shelf> found;
        for (auto& shelf : suggestedEntities())
            if (shelf.id.find(text) != std::string::npos) found.push_back(shelf);
        return found;
    }
};

struct ShelfIntent {
    static constexpr std::string_view title = "Shelf";
    static constexpr std::string_view description = "Shows a shelf.";
    Shade shade = Shade::light;
    Shelf shelf{"_any"};
    static std::vector<IntentParameter<ShelfIntent>> parameters() {
        return {enumParameter("shade", "Shade", &ShelfIntent::shade),
                entityParameter("shelf", "Shelf", &ShelfIntent::shelf)};
    }
};

struct ShelfEntry {
    Date date;
    std::string text;
};
void to_json(nlohmann::json& json, const ShelfEntry& entry) {
    json = {{"text", entry.text}};
}

struct ShelfProvider {
    using Intent = ShelfIntent;
    using Entry = ShelfEntry;
    Entry placeholder(const TimelineContext&) const { return {Date{1}, "sample"}; }
    Entry snapshot(const Intent& intent, const TimelineContext&) const {
        return {Date{2}, std::string(rawValue(intent.shade)) + "/" + intent.shelf.id};
    }
    Timeline<Entry> timeline(const Intent& intent, const TimelineContext& context) const {
        return {{snapshot(intent, context)}, TimelineReloadPolicy::after(Date{302})};
    }
};

struct ShelfWidget {
    std::string kind = "ShelfWidget";
    AppIntentConfiguration<ShelfProvider> body() const {
        return AppIntentConfiguration<ShelfProvider>(
                   kind, ShelfProvider{},
                   [](const ShelfEntry& entry, const ui::Environment& environment) {
                       return ui::verbatim(entry.text + "@" + std::string(name(environment.family)));
                   })
            .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemLarge});
    }
};

namespace {

using ::testing::ElementsAre;
using ::testing::Field;

TEST(AnyWidget, OffersParametersAndInstancesKeepTheirOwnValues) {
    AnyWidget widget{ShelfWidget{}};
    EXPECT_THAT(widget.families(), ElementsAre(WidgetFamily::systemSmall, WidgetFamily::systemLarge));
    ASSERT_EQ(widget.parameters().size(), 2u);
    EXPECT_EQ(widget.parameters()[0].defaultValue, "light");
    EXPECT_FALSE(widget.parameters()[0].isEntity);
    EXPECT_TRUE(widget.parameters()[1].isEntity);
    EXPECT_THAT(*widget.options("shade"),
                ElementsAre(ParameterOption{"light", "Light"}, ParameterOption{"dark", "Dark"}));
    EXPECT_THAT(*widget.options("shelf"),
                ElementsAre(Field(&ParameterOption::title, "Any"), Field(&ParameterOption::id, "Top"),
                            Field(&ParameterOption::id, "Bottom")));
    EXPECT_THAT(*widget.options("shelf", "tt"), ElementsAre(Field(&ParameterOption::id, "Bottom")));
    EXPECT_FALSE(widget.options("colour").has_value());

    auto first = widget.makeInstance();
    auto second = first;
    EXPECT_TRUE(first.set("shade", "dark"));
    EXPECT_TRUE(first.set("shelf", "Top"));
    EXPECT_FALSE(first.set("shade", "Dark")) << "raw values are case-sensitive";
    EXPECT_FALSE(first.set("colour", "red"));
    EXPECT_EQ(first.values(), (std::map<std::string, std::string>{{"shade", "dark"}, {"shelf", "Top"}}));
    // A stored id is kept although the query does not suggest it; one the query cannot resolve is not.
    EXPECT_TRUE(first.set("shelf", "Middle"));
    EXPECT_FALSE(first.set("shelf", ""));
    EXPECT_EQ(first.values().at("shelf"), "Middle");
    EXPECT_EQ(second.values(), (std::map<std::string, std::string>{{"shade", "light"}, {"shelf", "_any"}}));
}

TEST(AnyWidget, AnswersRequestsWithJsonAndViews) {
    auto instance = AnyWidget{ShelfWidget{}}.makeInstance();
    ASSERT_TRUE(instance.set("shade", "dark"));
    TimelineContext context{WidgetFamily::systemLarge, false};
    EXPECT_EQ(instance.placeholder(context).json["text"], "sample");
    auto timeline = instance.timeline(context);
    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_EQ(timeline.entries[0].date, Date{2});
    EXPECT_EQ(timeline.entries[0].json["text"], "dark/_any");
    EXPECT_EQ(timeline.policy, TimelineReloadPolicy::after(Date{302}));
    auto view =
        timeline.entries[0].view(ui::Environment{WidgetFamily::systemSmall, WidgetRenderingMode::fullColor});
    EXPECT_EQ(view, ui::verbatim("dark/_any@systemSmall"));
}

TEST(WidgetFamily, NamesRoundTrip) {
    for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
                        WidgetFamily::systemExtraLarge, WidgetFamily::accessoryRectangular})
        EXPECT_EQ(widgetFamilyNamed(name(family)), family);
    EXPECT_FALSE(widgetFamilyNamed("systemHuge").has_value());
    EXPECT_EQ(renderingModeNamed("accented"), WidgetRenderingMode::accented);
}

}  // namespace
}  // namespace qb
