#include "tips/tip_item.hpp"

#include <unordered_set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace qb::tips {
namespace {

TipItem tipWithLink(std::string link) {
    return TipItem{"T", "D", std::move(link), Date{1000.5}, "g"};
}

TEST(TipItemTest, OpensItsLinkInQuillbrook) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"https://blog.example/a", "x-quillbrook://open-url?location=https://blog.example/a&widget=tips"},
        {"https://blog.example/p?a=1&b=2",
         "x-quillbrook://open-url?location=https://blog.example/p?a%3D1%26b%3D2&widget=tips"},
        {"x-quillbrook-item://1A2B", "x-quillbrook-item://1A2B?widget=tips"},
        {"", std::nullopt},
    };
    for (const auto& [link, expected] : cases) {
        auto url = tipWithLink(link).url();
        EXPECT_EQ(url ? std::optional(url->string()) : std::nullopt, expected) << link;
    }
}

TEST(TipItemTest, ComparesAllFieldsButIsIdentifiedByItsGuid) {
    TipItem a = tipWithLink("https://h/a"), b = a;
    b.description = "Other";
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    EXPECT_EQ(std::unordered_set<TipItem>({a, b, a}).size(), 2u);
    EXPECT_EQ(nlohmann::json(tipWithLink("")),
              nlohmann::json::parse(
                  R"({"title":"T","description":"D","link":"","pubDate":"2001-01-01T00:16:40.500Z",
                                        "guid":"g","id":"g","url":null})"));
}

}  // namespace
}  // namespace qb::tips
