// The XML reader: element forms, encodings, structure errors and hostile documents.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
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

// Base64 checked one byte at a time, the way the blocked check must answer: the run of symbols,
// padding and XML whitespace at the start of `text`, and its decoded size when it is valid.
Base64Run base64RunByteByByte(std::string_view text) {
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
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
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
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
    // Symbols, padding, whitespace and bytes that are not base64 at every place of the blocks of eight
    // the check reads at once.
    // The first four are symbols; then the bytes right outside each range of symbols.
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
    // Whitespace that XML does not have cannot stand in a document, so it is not base64 either.
    EXPECT_FALSE(base64DecodedSize("AAAA\fAAAA"));
    EXPECT_EQ(base64Decode("AAECAwQFBgcICQoL\n\tDA0ODw==").view(),
              "\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F"s);
}

// A document with `count` data elements nested in dictionaries and arrays, the way plistlib writes them.
std::string manyData(int count) {
    std::string out = std::string(header) + "<plist version=\"1.0\">\n<array>\n";
    for (int i = 0; i < count; ++i) {
        out += "\t<dict>\n\t\t<key>icon</key>\n\t\t<data>\n\t\tAAEC";
        out += std::string(static_cast<std::size_t>(i % 7) * 4, 'Q');
        out += "\n\t\t</data>\n\t\t<key>list</key>\n\t\t<array><data>/w==</data></array>\n\t</dict>\n";
    }
    return out + "</array>\n</plist>\n";
}

TEST(XmlPlist, FastAndPlainPathsAgree) {
    const std::string bom = "\xEF\xBB\xBF";
    struct Row {
        const char* name;
        std::string bytes;
        std::optional<std::size_t> cuts;  // data texts the fast path leaves out; nothing: expat reads all
    };
    const Row rows[] = {
        {"plain data", document("<data>AAEC</data>"), 1},
        {"data nested in arrays and dictionaries",
         document("<dict><key>a</key><array><data>AAEC</data><dict><key>b</key><data>/w==</data></dict>"
                  "</array><key>c</key><data>\n\tAAEC\n\t</data></dict>"),
         3},
        {"many data elements", manyData(500), 1000},
        {"CR LF line ends", document("<array>\r\n<data>\r\n\tAAEC\r\n\tAAEC\r\n</data>\r\n</array>"), 1},
        {"UTF-8 byte-order mark, lower-case encoding",
         bom + "<?xml version='1.0' encoding='utf-8'?><plist><data>AAEC</data></plist>", 1},
        {"data as the root", "<data>AAEC</data>", 1},
        {"data inside a comment in the prolog",
         header + "<!-- <data>AAEC</data> --><plist><array><data>AAEC</data></array></plist>"s, 1},
        {"data inside a processing instruction in the prolog",
         "<?pi <data>AAEC</data> ?><plist><data>/w==</data></plist>", 1},
        {"DOCTYPE with a quoted '>' and '['",
         "<!DOCTYPE plist SYSTEM \"a>[b\"><plist><data>AAEC</data></plist>", 1},
        {"empty data", document("<array><data></data><data/><data>\n</data></array>"), 1},
        {"data with a space in its tag", document("<data >AAEC</data>"), 0},
        {"data with an attribute", document("<data a=\"1\">AAEC</data>"), 0},
        {"data ending in a tag with a space", document("<data>AAEC</data >"), 0},
        {"character reference inside data", document("<data>AA&#69;C</data>"), 0},
        {"entity reference inside data", document("<data>AAEC&amp;</data>"), 0},
        {"invalid base64 in data", document("<data>AAECA</data>"), 0},
        {"text after the padding", document("<data>AA==AA</data>"), 0},
        {"invalid UTF-8 inside data",
         document("<data>AA\xC3\x28"
                  "EC</data>"),
         0},
        {"control character inside data",
         document("<data>AA\x01"
                  "EC</data>"),
         0},
        {"form feed inside data", document("<data>AAEC\fAAEC</data>"), 0},
        {"NUL inside data", document("<data>AA\0EC</data>"s), 0},
        {"section end inside data", document("<data>AA]]>EC</data>"), 0},
        {"element inside data", document("<data>AAEC<true/></data>"), 0},
        {"upper-case element name", document("<DATA>AAEC</DATA>"), 0},
        {"data inside a string", document("<string><data>AAEC</data></string>"), 1},
        {"data where a key belongs", document("<dict><data>AAEC</data></dict>"), 1},
        {"data in an attribute value", "<plist a=\"<data>AAEC</data>\"><true/></plist>", 1},
        {"data after the root", "<plist><true/></plist><data>AAEC</data>", 1},
        {"data before an unknown element", document("<array><data>AAEC</data><set/></array>"), 1},
        {"undefined entity before data", document("<array><string>&x;</string><data>AAEC</data></array>"), 1},
        {"truncated after data", header + "<plist><array><data>AAEC</data>"s, 1},
        {"truncated inside data", header + "<plist><array><data>AAEC"s, 0},
        {"truncated inside the end tag", header + "<plist><array><data>AAEC</da"s, 0},
        {"comment in the body", document("<array><!-- x --><data>AAEC</data></array>"), std::nullopt},
        {"data inside a comment in the body", document("<array><!-- <data>AAEC</data> --></array>"),
         std::nullopt},
        {"CDATA in data", document("<data><![CDATA[AAEC]]></data>"), std::nullopt},
        {"data inside CDATA", document("<string><![CDATA[<data>AAEC</data>]]></string>"), std::nullopt},
        {"processing instruction in the body", document("<array><?pi x?><data>AAEC</data></array>"),
         std::nullopt},
        {"comment after the root", document("<data>AAEC</data>") + "<!-- end -->", std::nullopt},
        {"DOCTYPE with an internal subset",
         "<!DOCTYPE plist [<!ELEMENT plist ANY>]><plist><data>AAEC</data></plist>", std::nullopt},
        {"other encoding declared",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><data>AAEC</data></plist>", std::nullopt},
        {"UTF-16 without a byte-order mark", "<\0d\0a\0t\0a\0>\0A\0A\0E\0C\0<\0/\0d\0a\0t\0a\0>\0"s,
         std::nullopt},
        {"text before the root", "x<plist><data>AAEC</data></plist>", std::nullopt},
        {"unclosed comment in the prolog", "<!-- <plist><data>AAEC</data></plist>", std::nullopt},
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
    // The values themselves are compared with plistlib's in the differential test.
    const std::string bytes = test::plistlibDump(
        "[{'icon': bytes(range(256)) * (i + 1), 'small': b'\\x01', 'empty': b''} for i in range(40)]",
        test::PlistFormat::xml);
    const auto texts = scanDataTexts(bytes);
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->size(), 120u);  // empty data too: plistlib puts its end tag on a line of its own
}

}  // namespace
}  // namespace qb::plist
