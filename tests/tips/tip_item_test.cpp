#include "tips/tip_item.hpp"

#include <unordered_set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace qb::tips {
namespace {

TipItem tipWithLink(std::string link) {
    return TipItem{"T", "D", std::move(link), Date{1000.5}, "g"};
}

TEST(TipItemTest, ComparesAllFieldsIsIdentifiedByItsGuidAndLinksForTips) {
    TipItem a = tipWithLink("https://h/a"), b = a;
    b.description = "Other";
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    EXPECT_EQ(std::unordered_set<TipItem>({a, b, a}).size(), 2u);
    // The link opens in Quillbrook tagged for this widget (how links are wrapped is the links' own test).
    EXPECT_EQ(tipWithLink("https://blog.example/a").url()->string(),
              "x-quillbrook://open-url?location=https://blog.example/a&widget=tips");
    EXPECT_EQ(nlohmann::json(tipWithLink("")),
              nlohmann::json::parse(
                  R"({"title":"T","description":"D","link":"","pubDate":"2001-01-01T00:16:40.500Z",
                                        "guid":"g","id":"g","url":null})"));
}

}  // namespace
}  // namespace qb::tips
