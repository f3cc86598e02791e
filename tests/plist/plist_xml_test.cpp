// The XML reader: element forms, encodings, structure errors and hostile documents.

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <random>

#include "platform/plist/base64.hpp"
#include "platform/plist/plist.hpp"
#include "platform/plist/readers.hpp"
#include "platform/plist/xml_data_scan.hpp"
#include "plist_test_helpers.hpp"
#include "support/test_support.hpp"

namespace qb::plist {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

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
        {"<integer>010</integer>", Value::integer(10)},
        {"<integer> 5\n</integer>", Value::integer(5)},
        {"<integer>0XffffFFFFffffFFFF</integer>", Value::unsignedInteger(UINT64_MAX)},
        {"<integer>-9223372036854775808</integer>", Value::integer(INT64_MIN)},
        {"<integer>9223372036854775808</integer>", Value::unsignedInteger(9223372036854775808u)},
        {"<real>1e400</real>", Value::real(inf)},
        {"<real>1e-400</real>", Value::real(0.0)},
        {"<real>-Infinity</real>", Value::real(-inf)},
        {"<false></false>", Value::boolean(false)},
        {"<date>1900-03-01T00:00:00Z</date>", Value::date(Date{-3182198400})},
        {"<data>/w</data>", Value::data(Bytes("\xFF"s))},
        {"<data><![CDATA[AAEC]]></data>", Value::data(Bytes("\x00\x01\x02"s))},
        {"<data>&#65;AEC</data>", Value::data(Bytes("\x00\x01\x02"s))},
        {"<data/>", Value::data(Bytes())},
        {"<string>a &amp; b &lt; &#x1F600; &#233;</string>", Value::string("a & b < 😀 é")},
        {"<string>  spaced\n</string>", Value::string("  spaced\n")},
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
    auto utf16 = [](std::u16string_view units, bool bigEndian, bool bom) {
        std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char16_t unit : units) {
            char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            out += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return out;
    };
    const std::u16string_view text = u"<plist><array><string>Grüße 😀</string></array></plist>";
    const std::pair<const char*, std::string> rows[] = {
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-16LE with BOM", utf16(text, false, true)},
        {"UTF-16BE with BOM", utf16(text, true, true)},
        {"UTF-16LE without BOM", utf16(text, false, false)},
        {"UTF-16BE without BOM", utf16(text, true, false)},
    };
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        auto result = parse(bytes);
        ASSERT_TRUE(result) << result.error;
        EXPECT_EQ(*result.value, Value::array({Value::string("Grüße 😀")}));
    }
    std::string odd = utf16(text, false, true);
    odd.pop_back();
    EXPECT_FALSE(parse(odd));
    // Data in a UTF-16 document is decoded, not read from the raw bytes.
    auto withData = parse(utf16(u"<data>AAEC</data>", false, true));
    ASSERT_TRUE(withData) << withData.error;
    EXPECT_EQ(*withData.value, Value::data(Bytes("\x00\x01\x02"s)));
}

TEST(XmlPlist, RejectsInvalidDocuments) {
    const std::pair<const char*, std::string> rows[] = {
        {"empty integer", document("<integer></integer>")},
        {"integer with letters", document("<integer>12abc</integer>")},
        {"integer beyond 64 bits", document("<integer>18446744073709551616</integer>")},
        {"real with letters", document("<real>1.5x</real>")},
        {"date without zone", document("<date>2020-01-02T03:04:05</date>")},
        {"impossible date", document("<date>2021-02-29T00:00:00Z</date>")},
        {"base64 with one dangling symbol", document("<data>AAECA</data>")},
        {"text after padding", document("<data>AA==AA</data>")},
        {"unknown element", document("<set><integer>1</integer></set>")},
        {"key outside a dictionary", document("<array><key>k</key></array>")},
        {"value without a key", document("<dict><string>v</string></dict>")},
        {"key without a value", document("<dict><key>k</key></dict>")},
        {"text beside values", document("<array>loose<true/></array>")},
        {"unclosed", header + "<plist><array>"s},
        {"JSON text", R"({"key": [1, 2, 3]})"},
        {"undefined entity", document("<string>&nbsp;</string>")},
        {"undefined entity without DOCTYPE", "<plist><string>&nbsp;</string></plist>"},
        {"entity declaration",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"x\">]><plist><string>&a;</string></plist>"},
        {"external entity",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
         "<plist><string>&e;</string></plist>"},
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

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 checked one byte at a time, the way the blocked check must answer: the run of symbols,
// padding and XML whitespace at the start of `text`, and its decoded size when it is valid.
Base64Run base64RunByteByByte(std::string_view text) {
    std::size_t symbols = 0, pads = 0, length = 0;
    bool valid = true;
    for (char c : text) {
        if (alphabet.find(c) != std::string_view::npos) {
            valid = valid && pads == 0;
            ++symbols;
        } else if (c == '=') {
            ++pads;
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            break;
        }
        ++length;
    }
    if (!valid || symbols % 4 == 1 || pads > 2 || (pads > 0 && (symbols + pads) % 4 != 0))
        return {length, {}};
    return {length, symbols / 4 * 3 + (symbols % 4 == 0 ? 0 : symbols % 4 - 1)};
}

// Valid base64 decoded one symbol at a time: six bits each, in order, anything else skipped.
std::string base64DecodeByteByByte(std::string_view text) {
    std::string out;
    std::uint32_t bits = 0;
    int pending = 0;
    for (char c : text) {
        const auto value = alphabet.find(c);
        if (value == std::string_view::npos) continue;
        bits = (bits << 6 | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
        pending += 6;
        if (pending >= 8) {
            pending -= 8;
            out += static_cast<char>(bits >> pending);
        }
    }
    return out;
}

TEST(XmlPlist, Base64CheckAgreesWithByteByByteCheck) {
    // Symbols first, then padding, whitespace and the bytes right outside each range of symbols, at every
    // place of the blocks the check reads at once.
    const std::string_view pieces[] = {
        "A", "z", "+", "/", "=", "\n", "\t", "\r", " ", "\f", "\v",   "*",    "\x00"sv, "\xC3\xA9",
        "&", "<", "@", "[", "`", "{",  ",",  "-",  ".", ":",  "\x7F", "\xC1", "\xE1",   "\x1F"};
    std::mt19937 random(17);
    std::size_t accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 70);  // up to four blocks of sixteen
        const bool mostlySymbols = random() % 2 == 0;
        for (int i = 0; i < length; ++i)
            text += mostlySymbols && random() % 8 != 0 ? pieces[random() % 4]
                                                       : pieces[random() % std::size(pieces)];
        const Base64Run run = base64RunByteByByte(text);
        ASSERT_EQ(base64Run(text), run) << testing::PrintToString(text);
        const auto expected = run.length == text.size() ? run.decodedSize : std::nullopt;
        ASSERT_EQ(base64DecodedSize(text), expected) << testing::PrintToString(text);
        if (expected) {
            ++accepted;
            ASSERT_EQ(base64Decode(text).view(), base64DecodeByteByByte(text))
                << testing::PrintToString(text);
            EXPECT_EQ(base64Decode(text).size(), *expected);
        }
    }
    EXPECT_GT(accepted, 1000u);  // the rows reach the accepting side too
}

TEST(XmlPlist, FastAndPlainPathsAgree) {
    struct Row {
        const char* name;
        std::string bytes;
        std::optional<std::size_t> cuts;  // data texts the fast path leaves out; nothing: expat reads all
    };
    const Row rows[] = {
        {"data nested in arrays and dictionaries",
         document("<dict><key>a</key><array><data>AAEC</data><dict><key>b</key><data>/w==</data></dict>"
                  "</array><key>c</key><data>\n\tAAEC\n\t</data></dict>"),
         3},
        {"UTF-8 byte-order mark, lower-case encoding",
         "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><plist><data>AAEC</data></plist>", 1},
        {"data as the root", "<data>AAEC</data>", 1},
        {"data inside a comment in the prolog",
         header + "<!-- <data>AAEC</data> --><plist><array><data>AAEC</data></array></plist>"s, 1},
        {"DOCTYPE with a quoted '>' and '['",
         "<!DOCTYPE plist SYSTEM \"a>[b\"><plist><data>AAEC</data></plist>", 1},
        {"empty data", document("<array><data></data><data/><data>\n</data></array>"), 1},
        {"data with a space in its tag", document("<data >AAEC</data>"), 0},
        {"character reference inside data", document("<data>AA&#69;C</data>"), 0},
        {"invalid base64 in data", document("<data>AAECA</data>"), 0},
        {"text after the padding", document("<data>AA==AA</data>"), 0},
        {"form feed inside data", document("<data>AAEC\fAAEC</data>"), 0},
        {"NUL inside data", document("<data>AA\0EC</data>"s), 0},
        {"upper-case element name", document("<DATA>AAEC</DATA>"), 0},
        {"data inside a string", document("<string><data>AAEC</data></string>"), 1},
        {"data after the root", "<plist><true/></plist><data>AAEC</data>", 1},
        {"truncated inside data", header + "<plist><array><data>AAEC"s, 0},
        {"comment in the body", document("<array><!-- x --><data>AAEC</data></array>"), std::nullopt},
        {"CDATA in data", document("<data><![CDATA[AAEC]]></data>"), std::nullopt},
        {"DOCTYPE with an internal subset",
         "<!DOCTYPE plist [<!ELEMENT plist ANY>]><plist><data>AAEC</data></plist>", std::nullopt},
        {"UTF-16 without a byte-order mark", "<\0d\0a\0t\0a\0>\0A\0A\0E\0C\0<\0/\0d\0a\0t\0a\0>\0"s,
         std::nullopt},
    };
    for (const auto& [name, bytes, cuts] : rows) {
        SCOPED_TRACE(name);
        const auto texts = scanDataTexts(bytes);
        ASSERT_EQ(texts.has_value(), cuts.has_value());
        if (texts) {
            EXPECT_EQ(texts->size(), *cuts);
            for (const DataText& text : *texts)
                EXPECT_TRUE(base64DecodedSize(std::string_view(bytes).substr(text.offset, text.length)));
        }
        const auto fast = parseXml(Bytes(bytes), XmlPath::fast);
        const auto plain = parseXml(Bytes(bytes), XmlPath::plain);
        EXPECT_EQ(fast.error, plain.error);
        ASSERT_EQ(fast.value.has_value(), plain.value.has_value());
        if (fast) {
            EXPECT_EQ(*fast.value, *plain.value) << test::canonical(*fast.value);
        }
    }
}

TEST(XmlPlist, FastPathLeavesOutEveryDataTextPlistlibWrites) {
    std::string icon;
    test::PlistJson items;
    for (int i = 0; i < 40; ++i) {
        for (int byte = 0; byte < 256; ++byte) icon += static_cast<char>(byte);
        items.push_back({{"icon", test::plistData(icon)},
                         {"small", test::plistData("\x01")},
                         {"empty", test::plistData("")}});
    }
    const std::string bytes = test::makePlist(items, test::PlistFormat::xml);
    const auto texts = scanDataTexts(bytes);
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->size(), 120u);  // empty data too: plistlib puts its end tag on a line of its own
}

}  // namespace
}  // namespace qb::plist
