// The binary reader on hand-built files: every object type and width, and malformed input of every kind.

#include <gtest/gtest.h>

#include <chrono>

#include "platform/plist/plist.hpp"
#include "plist_test_helpers.hpp"
#include "support/test_support.hpp"

namespace qb::plist {
namespace {

using test::arrayObject;
using test::asciiObject;
using test::bigEndian;
using test::BinaryPlist;
using test::dictObject;
using test::utf16Object;
using namespace std::string_literals;

std::string single(std::string object) {
    return BinaryPlist{{std::move(object)}}.bytes();
}

// Objects no plistlib file holds (the differential test reads the rest).
TEST(BinaryPlist, ReadsObjectsPlistlibDoesNotWrite) {
    struct Row {
        const char* name;
        std::string object;
        Value expected;
    };
    const Row rows[] = {
        {"null", "\x00"s, Value()},
        {"16-byte small", "\x14" + std::string(15, '\0') + "\x07", Value::integer(7)},
        {"16-byte negative", "\x14" + std::string(8, '\xFF') + "\x80" + std::string(7, '\0'),
         Value::integer(INT64_MIN)},
        {"4-byte real", "\x22\x3F\xC0\x00\x00"s, Value::real(1.5)},
        {"UTF-16 with a pair", utf16Object({0x00E9, 0xD83D, 0xDE00, 0x0000}), Value::string("é😀\0"s)},
        {"9-byte UID", "\x88" + std::string(1, '\0') + bigEndian(1ull << 63, 8), Value::uid(1ull << 63)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto result = parse(single(row.object));
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(*result.value, row.expected);
        EXPECT_EQ(result.value->type(), row.expected.type());
    }
}

TEST(BinaryPlist, ReadsContainersWithEveryReferenceWidth) {
    for (unsigned width : {1u, 2u, 3u, 4u, 8u}) {
        SCOPED_TRACE(width);
        BinaryPlist file;
        file.refSize = width;
        file.offsetSize = width;
        file.objects = {dictObject({1, 2}, {3, 4}, width),
                        asciiObject("list"),
                        asciiObject("set"),
                        arrayObject({5, 5}, width),
                        "\xC2" + bigEndian(5, width) + bigEndian(6, width),
                        "\x10\x01",
                        "\x09"};
        auto result = parse(file.bytes());
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(*result.value,
                  Value::dictionary({{"list", Value::array({Value::integer(1), Value::integer(1)})},
                                     {"set", Value::array({Value::integer(1), Value::boolean(true)})}}));
    }
}

// Keys repeat as one object, as equal ASCII and UTF-16 text, and in a dictionary too large for a pairwise
// check.
TEST(BinaryPlist, RepeatedKeyKeepsFirstPlaceAndLastValue) {
    struct Row {
        const char* name;
        std::vector<std::string> objects;  // object 0 is the dictionary; the values are integers
        std::vector<std::pair<std::string, std::int64_t>> expected;
    };
    std::vector<Row> rows = {
        {"same key object",
         {dictObject({1, 2, 1}, {3, 4, 5}), asciiObject("a"), asciiObject("b"), "\x10\x01", "\x10\x02",
          "\x10\x03"},
         {{"a", 3}, {"b", 2}}},
        {"ASCII and UTF-16 keys with the same text",
         {dictObject({1, 2}, {3, 4}), asciiObject("k"), utf16Object({'k'}), "\x10\x01", "\x10\x02"},
         {{"k", 2}}},
    };
    // 20 distinct keys, then the fifth again (as key object 5 with value 20).
    Row large{"20 keys and a repeat", {""}, {}};
    std::vector<std::uint64_t> keys, values;
    for (std::uint64_t i = 0; i < 21; ++i) {
        if (i < 20) large.objects.push_back(asciiObject("key" + std::to_string(i)));
        if (i < 20) large.expected.emplace_back("key" + std::to_string(i), i == 4 ? 20 : i);
        keys.push_back(i < 20 ? 1 + i : 5);
        values.push_back(21 + i);
    }
    for (std::uint64_t i = 0; i < 21; ++i)
        large.objects.push_back("\x10" + std::string(1, static_cast<char>(i)));
    large.objects[0] = dictObject(keys, values);
    rows.push_back(std::move(large));

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto result = parse(BinaryPlist{row.objects}.bytes());
        ASSERT_TRUE(result) << result.error;
        const Dictionary dictionary = *result.value->asDictionary();
        ASSERT_EQ(dictionary.size(), row.expected.size());
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            EXPECT_EQ(dictionary.entry(i).first, row.expected[i].first);
            EXPECT_EQ(dictionary.entry(i).second.asInteger(), row.expected[i].second);
            EXPECT_EQ(dictionary.find(row.expected[i].first)->asInteger(), row.expected[i].second);
        }
    }
}

// The entries of a list share their key objects; each dictionary is still checked whole.
TEST(BinaryPlist, DictionariesSharingKeyObjectsAreEachChecked) {
    BinaryPlist file{{arrayObject({1, 2, 3, 4}), dictObject({5, 6}, {7, 8}), dictObject({5, 6}, {8, 7}),
                      dictObject({5, 5}, {7, 8}), dictObject({5, 5}, {8, 7}), asciiObject("a"),
                      asciiObject("b"), "\x10\x01", "\x10\x02"}};
    auto result = parse(file.bytes());
    ASSERT_TRUE(result) << result.error;
    const Array list = *result.value->asArray();
    EXPECT_EQ(list[1].asDictionary()->find("a")->asInteger(), 2);
    EXPECT_EQ(list[1].asDictionary()->find("b")->asInteger(), 1);
    for (const auto& [index, value] : {std::pair{2, 2}, std::pair{3, 1}}) {
        const Dictionary repeated = *list[index].asDictionary();
        ASSERT_EQ(repeated.size(), 1u);
        EXPECT_EQ(repeated.find("a")->asInteger(), value);
    }
    file.objects[2] = dictObject({5, 6}, {8, 9});
    EXPECT_FALSE(parse(file.bytes()));
}

TEST(BinaryPlist, DictionaryWithOtherKeysIsKeptButNotStringKeyed) {
    BinaryPlist file;
    file.objects = {dictObject({1}, {2}), "\x10\x01", asciiObject("one")};
    auto result = parse(file.bytes());
    ASSERT_TRUE(result) << result.error;
    EXPECT_EQ(result.value->type(), Type::dictionary);
    EXPECT_FALSE(result.value->asDictionary());
    EXPECT_EQ(*result.value, Value::dictionaryWithOtherKeys({{Value::integer(1), Value::string("one")}}));
}

TEST(BinaryPlist, RejectsMalformedFiles) {
    auto withTrailer = [](auto change) {
        BinaryPlist file{{arrayObject({1}), "\x10\x01"}};
        change(file);
        return file.bytes();
    };
    const std::pair<const char*, std::string> rows[] = {
        {"only the magic", "bplist00"},
        {"zero offset width", withTrailer([](BinaryPlist& f) { f.offsetSize = 0; })},
        {"no objects", withTrailer([](BinaryPlist& f) { f.count = 0; })},
        {"top object out of range", withTrailer([](BinaryPlist& f) { f.top = 2; })},
        {"more objects than the table holds", withTrailer([](BinaryPlist& f) { f.count = 1ull << 60; })},
        {"table past the trailer", withTrailer([](BinaryPlist& f) { f.tableOffset = 1000; })},
        {"reference out of range", single(arrayObject({7}))},
        {"offset out of range", withTrailer([](BinaryPlist& f) { f.objects[1] = ""; })},
        {"array longer than the file", single("\xAF\x12\x7F\xFF\xFF\xFF\x00"s)},
        {"length with a negative width", single("\x5F\x13" + std::string(8, '\xFF') + "x")},
        {"string past the table", single("\x55"
                                         "abc")},
        {"16-byte integer beyond 64 bits",
         single("\x14" + std::string(7, '\0') + "\x01" + std::string(8, '\0'))},
        {"UID beyond 64 bits", single("\x88\x01" + std::string(8, '\0'))},
        {"non-ASCII byte in an ASCII string", single(asciiObject("caf\xC3\xA9"))},
        {"odd-length UTF-16 string", single("\x63\x00\x41\x00\x42\x00"s)},
        {"lone high surrogate at the end", single(utf16Object({0x0041, 0xD800}))},
        {"lone low surrogate", single(utf16Object({0xDE00, 0x0041}))},
        {"self-referencing array", single(arrayObject({0}))},
        {"two arrays in a cycle", BinaryPlist{{arrayObject({1}), arrayObject({0})}}.bytes()},
    };
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        auto result = parse(bytes);
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(BinaryPlist, EveryTruncationIsRefused) {
    const std::string file =
        test::makePlist({{"a", {1, 2.5, std::string(20, 'x'), "é", test::plistData("\x01\x02"), true, 0}},
                         {"d", test::plistDate("2020-01-02T00:00:00Z")},
                         {"n", {{"k", INT64_MIN}, {"u", UINT64_MAX}}}},
                        test::PlistFormat::binary);
    ASSERT_TRUE(parse(file));
    for (std::size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(parse(file.substr(0, length)));
    }
}

TEST(BinaryPlist, SharedReferencesStayShared) {
    // 200 arrays each holding the previous one twice: 2^200 leaves if copied out.
    BinaryPlist file;
    file.refSize = 2;
    file.offsetSize = 2;
    file.objects.push_back("\x10\x2A");
    for (std::uint64_t i = 1; i <= 200; ++i) file.objects.push_back(arrayObject({i - 1, i - 1}, 2));
    file.top = 200;
    const auto started = std::chrono::steady_clock::now();
    auto result = parse(file.bytes());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    ASSERT_TRUE(result) << result.error;
    Value level = *result.value;
    for (int i = 0; i < 200; ++i) {
        const Array items = *level.asArray();
        ASSERT_EQ(items[0].identity(), items[1].identity());
        level = items[0];
    }
    EXPECT_EQ(level.asInteger(), 42);
}

BinaryPlist nestedArrays(std::uint64_t depth) {
    BinaryPlist file;
    file.refSize = 4;
    file.offsetSize = 4;
    for (std::uint64_t i = 0; i + 1 < depth; ++i) file.objects.push_back(arrayObject({i + 1}, 4));
    file.objects.push_back(arrayObject({}, 4));
    return file;
}

TEST(BinaryPlist, LimitsNestingTo512Levels) {
    EXPECT_TRUE(parse(nestedArrays(512).bytes()));
    EXPECT_FALSE(parse(nestedArrays(513).bytes()));
    const auto started = std::chrono::steady_clock::now();
    auto deep = parse(nestedArrays(100'000).bytes());
    EXPECT_FALSE(deep);
    EXPECT_EQ(deep.error, "nesting deeper than 512 levels");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

    // A 400-deep chain read first, then reached again under 200 more levels: 600 in all.
    BinaryPlist file = nestedArrays(400);
    const std::uint64_t chain = 0;
    std::uint64_t next = file.objects.size();
    file.objects.push_back(arrayObject({chain, next + 1}, 4));
    for (int i = 1; i < 200; ++i, ++next) file.objects.push_back(arrayObject({next + 2}, 4));
    file.objects.push_back(arrayObject({chain}, 4));
    file.top = 400;
    auto reached = parse(file.bytes());
    EXPECT_FALSE(reached);
}

}  // namespace
}  // namespace qb::plist
