#include "presentation/displayable_item_json.hpp"

#include <gtest/gtest.h>

#include "test_item.hpp"

namespace qb {
namespace {

TEST(DisplayableItemJson, AddsTheSixPropertiesWithNullsForAbsentOnes) {
    test::TestItem item{.id = "a",
                        .title = "Report",
                        .icon = "doc",
                        .iconData = Bytes(std::string("hi!")),
                        .url = Url::parse("x-quillbrook-item://a"),
                        .subtitle = "PDF",
                        .color = ui::Color::orange};
    nlohmann::json object{{"id", "a"}};
    addDisplayableFields(object, item);
    EXPECT_EQ(object, nlohmann::json::parse(R"({"id": "a", "displayTitle": "Report", "displayIcon": "doc",
        "displayIconData": "aGkh", "displayURL": "x-quillbrook-item://a", "displaySubtitle": "PDF",
        "dotColor": "orange"})"));

    const test::TestItem bare{.id = "b", .title = "Bare"};
    nlohmann::json other = nlohmann::json::object();
    addDisplayableFields(other, bare);
    EXPECT_EQ(other, nlohmann::json::parse(R"({"displayTitle": "Bare", "displayIcon": "doc",
        "displayIconData": null, "displayURL": null, "displaySubtitle": null, "dotColor": null})"));
}

}  // namespace
}  // namespace qb
