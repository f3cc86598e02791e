// The XML reader: element forms, encodings, structure errors and hostile documents.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include "platform/plist/plist.hpp"
#include "plist_test_helpers.hpp"

namespace qb::plist {
namespace {

using namespace std::string_literals;

constexpr const char* header =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

std::string document(const std::string& body) {
    return header + ("<plist version=\"1.0\">" + body + "</plist>\n");
}

TEST(XmlPlist, ReadsScalarForms) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<std::string, Value> rows[] = {
        {"<integer>42</integer>", Value::integer(42)},
        {"<integer>-7</integer>", Value::integer(-7)},
        {"<integer>010</integer>", Value::integer(10)},
        {"<integer> 5\n</integer>", Value::integer(5)},
        {"<integer>+3</integer>", Value::integer(3)},
        {"<integer>0x1F</integer>", Value::integer(31)},
        {"<integer>0XffffFFFFffffFFFF</integer>", Value::unsignedInteger(UINT64_MAX)},
        {"<integer>-9223372036854775808</integer>", Value::integer(INT64_MIN)},
        {"<integer>9223372036854775808</integer>", Value::unsignedInteger(9223372036854775808u)},
        {"<integer>18446744073709551615</integer>", Value::unsignedInteger(UINT64_MAX)},
        {"<real>1.5</real>", Value::real(1.5)},
        {"<real>-0.0</real>", Value::real(-0.0)},
        {"<real>1e300</real>", Value::real(1e300)},
        {"<real>1e400</real>", Value::real(inf)},
        {"<real>-1e400</real>", Value::real(-inf)},
        {"<real>1e-400</real>", Value::real(0.0)},
        {"<real>+2</real>", Value::real(2)},
        {"<real>inf</real>", Value::real(inf)},
        {"<real>-Infinity</real>", Value::real(-inf)},
        {"<real>nan</real>", Value::real(std::nan(""))},
        {"<real>12</real>", Value::real(12)},
        {"<true/>", Value::boolean(true)},
        {"<false></false>", Value::boolean(false)},
        {"<date>2001-01-01T00:00:00Z</date>", Value::date(Date{0})},
        {"<date>2020-01-02T03:04:05Z</date>", Value::date(Date{599627045})},
        {"<date>1900-03-01T00:00:00Z</date>", Value::date(Date{-3182198400})},
        {"<date>2024-02-29T23:59:59Z</date>", Value::date(Date{730943999})},
        {"<data>AAEC</data>", Value::data(Bytes("\x00\x01\x02"s))},
        {"<data>\n\tAAEC\n\t/w==\n</data>", Value::data(Bytes("\x00\x01\x02\xFF"s))},
        {"<data>/w</data>", Value::data(Bytes("\xFF"s))},
        {"<data><![CDATA[AAEC]]></data>", Value::data(Bytes("\x00\x01\x02"s))},
        {"<data>&#65;AEC</data>", Value::data(Bytes("\x00\x01\x02"s))},
        {"<data></data>", Value::data(Bytes())},
        {"<data/>", Value::data(Bytes())},
        {"<string>a &amp; b &lt; &#x1F600; &#233;</string>", Value::string("a & b < 😀 é")},
        {"<string>  spaced\n</string>", Value::string("  spaced\n")},
        {"<string/>", Value::string("")},
        {"<string><![CDATA[<raw>]]></string>", Value::string("<raw>")},
    };
    for (const auto& [body, expected] : rows) {
        SCOPED_TRACE(body);
        auto result = parse(document(body));
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(*result.value, expected);
        EXPECT_EQ(result.value->type(), expected.type());
    }
}

TEST(XmlPlist, ReadsContainersInFileOrder) {
    auto result =
        parse(document("<dict><key>z</key><array><integer>1</integer><string>two</string><dict/></array>"
                       "<!-- a comment --><key>a</key><true/><key>z</key><false/><key></key><string>empty "
                       "key</string></dict>"));
    ASSERT_TRUE(result) << result.error;
    const Dictionary dictionary = *result.value->asDictionary();
    ASSERT_EQ(dictionary.size(), 3u);
    EXPECT_EQ(dictionary.entry(0).first, "z");
    EXPECT_EQ(dictionary.entry(0).second, Value::boolean(false));  // the last value, the first place
    EXPECT_EQ(dictionary.entry(1).first, "a");
    EXPECT_EQ(*(*result.value)[""], Value::string("empty key"));

    // A document without <plist> holds its value directly.
    auto bare = parse("<array><integer>1</integer></array>"s);
    ASSERT_TRUE(bare) << bare.error;
    EXPECT_EQ(*bare.value, Value::array({Value::integer(1)}));
}

TEST(XmlPlist, ReadsEveryEncodingAndByteOrderMark) {
    const std::string utf8 = "<plist><array><string>Grüße 😀</string></array></plist>";
    auto utf16 = [&](bool bigEndian, bool bom) {
        std::u16string units;
        // Decode the UTF-8 test text by hand: it only has 1-, 2- and 4-byte sequences.
        for (std::size_t i = 0; i < utf8.size();) {
            auto byte = static_cast<unsigned char>(utf8[i]);
            char32_t code;
            if (byte < 0x80) {
                code = byte, i += 1;
            } else if (byte < 0xE0) {
                code = (byte & 0x1F) << 6 | (utf8[i + 1] & 0x3F), i += 2;
            } else {
                code = (byte & 0x07) << 18 | (utf8[i + 1] & 0x3F) << 12 | (utf8[i + 2] & 0x3F) << 6 |
                       (utf8[i + 3] & 0x3F);
                i += 4;
            }
            if (code >= 0x10000) {
                units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
                units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                units += static_cast<char16_t>(code);
            }
        }
        std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char16_t unit : units) {
            char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            out += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return out;
    };
    const std::pair<const char*, std::string> rows[] = {
        {"UTF-8", utf8},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + utf8},
        {"UTF-16LE with BOM", utf16(false, true)},
        {"UTF-16BE with BOM", utf16(true, true)},
        {"UTF-16LE without BOM", utf16(false, false)},
        {"UTF-16BE without BOM", utf16(true, false)},
    };
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        auto result = parse(bytes);
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(*result.value, Value::array({Value::string("Grüße 😀")}));
    }
    std::string odd = utf16(false, true);
    odd.pop_back();
    EXPECT_FALSE(parse(odd));
    // Data in a UTF-16 document is decoded, not read from the raw bytes.
    auto withData = parse(std::string("\xFF\xFE") + [] {
        std::string out;
        for (char c : std::string("<data>AAEC</data>")) out += std::string{c, '\0'};
        return out;
    }());
    ASSERT_TRUE(withData) << withData.error;
    EXPECT_EQ(*withData.value, Value::data(Bytes("\x00\x01\x02"s)));
}

TEST(XmlPlist, RejectsInvalidDocuments) {
    const std::pair<const char*, std::string> rows[] = {
        {"empty integer", document("<integer></integer>")},
        {"integer with letters", document("<integer>12abc</integer>")},
        {"integer with an underscore", document("<integer>1_000</integer>")},
        {"bare hexadecimal prefix", document("<integer>0x</integer>")},
        {"negative hexadecimal", document("<integer>-0x10</integer>")},
        {"integer beyond 64 bits", document("<integer>18446744073709551616</integer>")},
        {"integer below -2^63", document("<integer>-9223372036854775809</integer>")},
        {"empty real", document("<real/>")},
        {"real with letters", document("<real>1.5x</real>")},
        {"hexadecimal real", document("<real>0x1p3</real>")},
        {"date without zone", document("<date>2020-01-02T03:04:05</date>")},
        {"date with space", document("<date>2020-01-02 03:04:05Z</date>")},
        {"impossible date", document("<date>2021-02-29T00:00:00Z</date>")},
        {"hour 24", document("<date>2020-01-02T24:00:00Z</date>")},
        {"base64 with a bad character", document("<data>AA*C</data>")},
        {"base64 with one dangling symbol", document("<data>AAECA</data>")},
        {"text after padding", document("<data>AA==AA</data>")},
        {"text in true", document("<true>yes</true>")},
        {"unknown element", document("<set><integer>1</integer></set>")},
        {"element in a string", document("<string>a<b/>c</string>")},
        {"key outside a dictionary", document("<array><key>k</key></array>")},
        {"value without a key", document("<dict><string>v</string></dict>")},
        {"key without a value", document("<dict><key>k</key></dict>")},
        {"two keys", document("<dict><key>a</key><key>b</key><string>v</string></dict>")},
        {"two values in plist", document("<true/><false/>")},
        {"empty plist", document("")},
        {"nested plist", document("<array><plist/></array>")},
        {"text beside values", document("<array>loose<true/></array>")},
        {"mismatched tags", document("<array></dict>")},
        {"unclosed", header + "<plist><array>"s},
        {"JSON text", R"({"key": [1, 2, 3]})"},
        {"plain text", "hello"},
        {"undefined entity", document("<string>&nbsp;</string>")},
        {"undefined entity without DOCTYPE", "<plist><string>&nbsp;</string></plist>"},
        {"entity declaration",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"x\">]><plist><string>&a;</string></plist>"},
        {"billion laughs",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
         "\"&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
         "<plist><string>&d;&d;&d;&d;&d;&d;&d;&d;</string></plist>"},
        {"external entity",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
         "<plist><string>&e;</string></plist>"},
        {"parameter entity",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY % p \"x\">]><plist><true/></plist>"},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"x-unknown\"?><plist><true/></plist>"},
        {"invalid UTF-8", "<plist><string>\xC3\x28</string></plist>"},
    };
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        auto result = parse(bytes);
        EXPECT_FALSE(result) << (result ? test::canonical(*result.value) : "");
        EXPECT_FALSE(result.error.empty());
    }
}

std::string nested(int depth) {
    std::string out = "<plist>";
    for (int i = 0; i < depth; ++i) out += "<array>";
    for (int i = 0; i < depth; ++i) out += "</array>";
    return out + "</plist>";
}

TEST(XmlPlist, LimitsNestingTo512Levels) {
    EXPECT_TRUE(parse(nested(512)));
    EXPECT_FALSE(parse(nested(513)));
    const auto started = std::chrono::steady_clock::now();
    auto deep = parse(nested(100'000));
    EXPECT_EQ(deep.error, "nesting deeper than 512 levels");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

}  // namespace
}  // namespace qb::plist
