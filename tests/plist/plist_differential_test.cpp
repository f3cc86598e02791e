// Files written by Python's plistlib, in both encodings, read back value for value.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "platform/plist/plist.hpp"
#include "plist_test_helpers.hpp"
#include "support/test_support.hpp"

namespace qb::plist {
namespace {

using namespace std::string_literals;
using test::plistData;
using test::plistDate;
using test::PlistFormat;
using test::PlistJson;

struct Case {
    const char* name;
    PlistJson description;
    bool xml = true;  // XML cannot hold NUL characters or UIDs
};

PlistJson real(const char* text) {
    return {{"$real", text}};
}

std::vector<Case> cases() {
    const auto i64 = std::numeric_limits<std::int64_t>::min();
    const std::uint64_t u63 = 1ULL << 63;
    std::string everyByte, randomBytes(100 * 1024, '\0');
    for (int i = 0; i < 256; ++i) everyByte += static_cast<char>(i);
    std::mt19937 random(7);
    for (auto& byte : randomBytes) byte = static_cast<char>(random());
    PlistJson many = PlistJson::object();
    for (int i = 0; i < 300; ++i) many[fmt::format("key{}", i)] = i;
    for (int i = 0; i < 40000; ++i) many["list"].push_back({{"n", i}, {"s", std::to_string(i)}});
    std::string aLot(100, 'a'), accents, clefs;
    for (int i = 0; i < 300; ++i) accents += "é";
    for (int i = 0; i < 20; ++i) clefs += "𝄞";
    return {
        {"every type",
         {{"s", "text"},
          {"i", 42},
          {"f", 0.5},
          {"t", true},
          {"fa", false},
          {"d", plistDate("2020-01-02T03:04:05Z")},
          {"b", plistData("\x00\x01"s)},
          {"a", PlistJson::array({1, "two", PlistJson::array({3.0})})},
          {"e", PlistJson::object()}}},
        {"integers",
         {0, -1, i64, u63 - 1, u63, UINT64_MAX, 127, 128, 255, 256, 65535, 65536, 4294967295LL, 4294967296LL,
          -255, -2147483648LL, -4294967296LL}},
        // plistlib writes equal scalars once, and 0.0 equals -0.0 in Python: only the latter is listed.
        {"reals",
         {1e300, -0.0, 1.5, -2.25, 0.1, 1e-300, 5e-324, 2.2250738585072014e-308, real("inf"), real("-inf"),
          real("nan"), 123456789.125}},
        {"dates",
         {plistDate("1900-01-01T00:00:00Z"), plistDate("0001-01-01T00:00:00Z"),
          plistDate("2001-01-01T00:00:00Z"), plistDate("2020-01-02T03:04:05.123456Z"),
          plistDate("1999-12-31T23:59:59.500000Z"), plistDate("9999-12-31T23:59:59Z"),
          plistDate("2024-02-29T12:00:00Z")}},
        {"data", {plistData(""), plistData(everyByte), plistData(randomBytes)}},
        {"strings",
         {"", "ascii", "Grüße", "日本語", "😀👍🏽 emoji", aLot, accents, "tab\tand\nnewline", "<&>\"",
          "\u00ff", "\ufffd", clefs}},
        {"strings XML cannot hold", {"nul\0inside"s, {{"key\0with nul"s, 1}}, "\uffff", "\x01"}, false},
        {"empty containers",
         {PlistJson::array(),
          PlistJson::object(),
          PlistJson::array({PlistJson::array()}),
          {{"k", PlistJson::object()}},
          {{"k", PlistJson::array()}}}},
        {"uids", {{{"$uid", 0}}, {{"$uid", 255}}, {{"$uid", 65536}}, {{"$uid", UINT64_MAX}}}, false},
        {"many objects and long containers", many},
    };
}

TEST(PlistDifferential, MatchesPlistlibValueForValue) {
    for (const auto& c : cases()) {
        for (auto format : {PlistFormat::binary, PlistFormat::xml}) {
            if (format == PlistFormat::xml && !c.xml) continue;
            SCOPED_TRACE(fmt::format("{} ({})", c.name, format == PlistFormat::xml ? "xml" : "binary"));
            auto result = parse(test::makePlist(c.description, format));
            ASSERT_TRUE(result) << result.error;
            EXPECT_EQ(test::canonical(*result.value),
                      test::canonical(test::describedValue(c.description, format)));
        }
    }
}

}  // namespace
}  // namespace qb::plist
