#include "platform/json.hpp"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(JsonTest, Base64PadsEveryRemainder) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {std::string_view("\xFF\x00\xFE", 3), "/wD+"},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(base64Encode(bytes), expected) << bytes;
}

TEST(JsonTest, PlatformValuesAsJson) {
    EXPECT_EQ(toJson(Date::distantPast()), "0001-01-01T00:00:00.000Z");
    EXPECT_EQ(toJson(std::optional<Url>()), nullptr);
    EXPECT_EQ(toJson(std::optional<Bytes>()), nullptr);
    EXPECT_EQ(toJson(std::optional<Bytes>(Bytes(std::string("\x89PNG", 4)))), "iVBORw==");
}

}  // namespace
}  // namespace qb
