#include "tips/rss_parser.hpp"

#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "platform/date.hpp"
#include "platform/files.hpp"
#include "tips/feed_text.hpp"

namespace qb::tips {
namespace {

// One item of a test feed; empty guid, link and description are left out.
struct FeedItem {
    std::optional<std::string> title = "A tip";
    std::vector<std::string> categories = {"tips"};
    std::optional<std::string> pubDate = "Tue, 03 Dec 2024 10:00:00 +0100";
    std::string guid{}, link{}, description{};
};

FeedItem tip(std::string title, std::string pubDate) {
    return {.title = title, .pubDate = pubDate};
}

std::string feed(const std::vector<FeedItem>& items, std::string_view channelExtra = "") {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
        "<title>Quillbrook Blog</title><link>https://www.quillbrook.example/</link>"
        "<description>Channel description</description>";
    xml += channelExtra;
    for (const auto& item : items) {
        xml += "<item>";
        if (item.title) xml += "<title>" + *item.title + "</title>";
        for (const auto& category : item.categories) xml += "<category>" + category + "</category>";
        if (item.pubDate) xml += "<pubDate>" + *item.pubDate + "</pubDate>";
        if (!item.guid.empty()) xml += "<guid isPermaLink=\"false\">" + item.guid + "</guid>";
        if (!item.link.empty()) xml += "<link>" + item.link + "</link>";
        if (!item.description.empty()) xml += "<description>" + item.description + "</description>";
        xml += "</item>";
    }
    return xml + "</channel></rss>";
}

std::vector<std::string> titles(const std::vector<TipItem>& tips) {
    std::vector<std::string> result;
    for (const auto& tip : tips) result.push_back(tip.title);
    return result;
}

TEST(RSSParserTest, KeepsOnlyTitledItemsInTheTipsCategory) {
    const std::vector<std::tuple<std::string, FeedItem, bool>> cases = {
        {"padded Tips among News", {.categories = {"News", " Tips "}}, true},
        {"upper-case TIPS", {.categories = {"TIPS"}}, true},
        {"only tip", {.categories = {"tip"}}, false},
        {"tips and tricks", {.categories = {"tips and tricks"}}, false},
        {"no category", {.categories = {}}, false},
        {"blank title", {.title = " \n "}, false},
        {"no title", {.title = std::nullopt}, false},
        {"ISO date", {.pubDate = "2024-12-03"}, false},
        {"no date", {.pubDate = std::nullopt}, false},
    };
    for (const auto& [name, item, kept] : cases)
        EXPECT_EQ(RSSParser::parseTips(feed({item})).size(), kept ? 1u : 0u) << name;
}

TEST(RSSParserTest, ReadsTheFieldsOfAnItem) {
    auto tips = RSSParser::parseTips(feed({
        {.title = "  Smart rules  ",
         .guid = " tip-1 ",
         .link = "https://www.quillbrook.example/tips/1",
         .description = "&lt;p&gt;Use &lt;b&gt;rules&lt;/b&gt;&lt;/p&gt;"},
        {.title = "link, no guid",
         .pubDate = "Mon, 02 Dec 2024 10:00:00 +0000",
         .link = "https://h/a",
         .description = "<![CDATA[<p>Hello &amp; <i>world</i></p>]]>"},
        {.title = "neither",
         .pubDate = "Sun, 01 Dec 2024 10:00:00 +0000",
         .description = "Intro <b>bold</b> tail"},
    }));
    ASSERT_EQ(tips.size(), 3u);
    EXPECT_EQ(tips[0].title, "Smart rules");
    EXPECT_EQ(tips[0].guid, "tip-1");
    EXPECT_EQ(tips[0].link, "https://www.quillbrook.example/tips/1");
    EXPECT_EQ(tips[0].description, "Use rules");
    EXPECT_EQ(iso8601(tips[0].pubDate), "2024-12-03T09:00:00.000Z");
    EXPECT_EQ(tips[1].guid, "https://h/a");
    EXPECT_EQ(tips[1].description, "Hello & world");
    EXPECT_EQ(tips[2].guid, "");
    EXPECT_EQ(tips[2].description, "bold tail");  // the text after the last nested element
}

TEST(RSSParserTest, OrdersNewestFirstKeepingDocumentOrderForEqualDates) {
    auto tips = RSSParser::parseTips(feed({
        tip("Monday", "Mon, 02 Dec 2024 10:00:00 +0000"),
        tip("Wednesday", "Wed, 04 Dec 2024 10:00:00 +0000"),
        tip("Tuesday", "Tue, 03 Dec 2024 10:00:00 +0000"),
        tip("Tuesday again", "Tue, 03 Dec 2024 11:00:00 +0100"),
    }));
    EXPECT_EQ(titles(tips), (std::vector<std::string>{"Wednesday", "Tuesday", "Tuesday again", "Monday"}));
}

// Equal dates keep the feed's order also where a sort that is not stable would mix them (the library
// sorts up to 16 elements by insertion, which happens to keep the order).
TEST(RSSParserTest, KeepsFeedOrderAmongManyEqualDates) {
    std::vector<FeedItem> items;
    std::vector<std::string> newer, older;
    for (int i = 0; i < 40; ++i) {
        const bool isNewer = i % 2 == 1;
        const auto title = "tip" + std::to_string(i);
        items.push_back(
            tip(title, isNewer ? "Wed, 04 Dec 2024 10:00:00 +0000" : "Tue, 03 Dec 2024 10:00:00 +0000"));
        (isNewer ? newer : older).push_back(title);
    }
    newer.insert(newer.end(), older.begin(), older.end());
    EXPECT_EQ(titles(RSSParser::parseTips(feed(items))), newer);
}

// A hostile feed cannot make a tip of megabytes: each field is cut where it is read, at a character
// boundary (the limits are not multiples of the characters' lengths here).
TEST(RSSParserTest, CutsLongFieldsAtACharacterBoundary) {
    std::string title = "a";
    for (int i = 0; i < 4'500'000; ++i) title += "\u00e9";  // é, two bytes: 9 MB in all
    std::string description = "ab";
    for (int i = 0; i < 30'000; ++i) description += "&lt;b&gt;\u20ac&lt;/b&gt;";  // €, three bytes, in markup
    const std::string link = "https://h/" + std::string(20'000, 'x');
    auto tips = RSSParser::parseTips(
        feed({{.title = title, .guid = link, .link = link, .description = description}}));
    ASSERT_EQ(tips.size(), 1u);
    std::string keptTitle = "a";
    for (int i = 0; i < 511; ++i) keptTitle += "\u00e9";
    EXPECT_EQ(tips[0].title, keptTitle);  // 1023 bytes: one more é would end past 1024
    std::string keptDescription = "ab";
    for (int i = 0; i < 5460; ++i) keptDescription += "\u20ac";
    EXPECT_EQ(tips[0].description, keptDescription);  // 16382 bytes
    EXPECT_EQ(tips[0].link, link.substr(0, 8192));
    EXPECT_EQ(tips[0].guid, link.substr(0, 8192));
}

// Why a document gave no tips, for the store's log.
TEST(RSSParserTest, SaysWhyADocumentIsNoFeed) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {feed({}), std::nullopt},
        {"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>Sign in</body></html>",
         "it is not well-formed XML: mismatched tag at line 2"},
        {"<?xml version=\"1.0\"?><error><code>42</code></error>", "its root element is <error>, not <rss>"},
        {"", "it is not well-formed XML: no element found at line 1"},
        {"<!DOCTYPE rss [<!ENTITY e \"x\">]><rss/>", "it declares entities of its own (line 1)"},
    };
    for (const auto& [document, problem] : cases)
        EXPECT_EQ(RSSParser::parseFeed(document).problem, problem) << document;
}

TEST(RSSParserTest, ParsesFeedDatesStrictly) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"Tue, 03 Dec 2024 10:00:00 +0100", "2024-12-03T09:00:00.000Z"},
        {"Tue, 3 Dec 2024 10:00:00 +0100", "2024-12-03T09:00:00.000Z"},
        {"Tue, 03 Dec 2024 10:00:00 -0530", "2024-12-03T15:30:00.000Z"},
        {"Tue, 03 Dec 2024 10:00:00 GMT", "2024-12-03T10:00:00.000Z"},
        {"Tue, 03 Dec 2024 10:00:00 UTC", "2024-12-03T10:00:00.000Z"},
        {"Tue, 03 Dec 2024 10:00:00 UT", "2024-12-03T10:00:00.000Z"},
        {"Tue, 03 Dec 2024 10:00:00 Z", "2024-12-03T10:00:00.000Z"},
        {"Fri, 03 Dec 2024 10:00:00 +0000", "2024-12-03T10:00:00.000Z"},  // a wrong weekday is ignored
        {"tue, 03 dec 2024 10:00:00 +0000", "2024-12-03T10:00:00.000Z"},
        {"Thu, 29 Feb 2024 23:59:59 +0000", "2024-02-29T23:59:59.000Z"},
        {"Tue, 03 Dec 2024 10:00:00 +0000 extra", std::nullopt},
        {"Tue, 03 Dec 2024", std::nullopt},
        {"Tue, 32 Dec 2024 10:00:00 +0000", std::nullopt},
        {"Thu, 29 Feb 2023 10:00:00 +0000", std::nullopt},
        {"Tue, 03 Dec 2024 24:00:00 +0000", std::nullopt},
        {"Tue, 03 Dec 2024 10:0:00 +0000", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        auto parsed = feedtext::parseFeedDate(text);
        EXPECT_EQ(parsed ? std::optional(iso8601(*parsed)) : std::nullopt, expected) << text;
    }
    // The fast road for the common form must decide every text as the date pattern does.
    const std::vector<std::vector<std::string>> variants = {
        {"Tue", "Mon", "Sun", "tue", "TUE", "Tuesday", "Xyz"},
        {"03", "3", "1", "29", "30", "31", "00", "003", " 3"},
        {"Dec", "Feb", "Nov", "dec", "December", "Foo"},
        {"2024", "2023", "2000", "1900", "1899", "0024", "24", "10000"},
        {"10:00:00", "00:00:00", "23:59:59", "24:00:00", "10:60:00", "10:00:60", "1:00:00"},
        {"+0100", "-0530", "+0000", "-0000", "+1400", "+1459", "+1500", "+2359", "+2400", "+01:00", "GMT",
         "UTC", "UT", "Z", "EST", "GMT+1", ""},
        {"", " ", " x"},
    };
    for (std::size_t part = 0; part < variants.size(); ++part) {
        for (const auto& variant : variants[part]) {
            for (const auto& month : {"Dec", "Feb"}) {
                std::vector<std::string> p = {"Tue", "03", month, "2024", "10:00:00", "+0100", ""};
                p[part] = variant;
                auto text = p[0] + ", " + p[1] + " " + p[2] + " " + p[3] + " " + p[4] + " " + p[5] + p[6];
                EXPECT_EQ(feedtext::parseFeedDate(text), feedtext::parseFeedDateWithPattern(text)) << text;
            }
        }
    }
}

TEST(RSSParserTest, StripsHTMLFromDescriptions) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<p>First</p><p>Second &amp; third</p>", "FirstSecond & third"},
        {"a&nbsp;&nbsp;b\n\n c", "a b c"},
        {"1 < 2 and 3 > 2", "1 2"},
        {"a<span\nclass=\"x\">b", "ab"},
        {"a <> b", "a <> b"},
        {"unclosed <b", "unclosed <b"},
        {"&lt;b&gt;bold&lt;/b&gt;", "<b>bold</b>"},
        {"&quot;q&quot; &apos;a&apos;", "\"q\" 'a'"},
        {"&amp;lt;", "&lt;"},
        {"&amp;#65;", "A"},
        {"&#38;#x41;", "A"},
        {"it&#8217;s", "it\u2019s"},
        {"&#x1F600;", "\U0001F600"},
        {"&#X41;", "&#X41;"},
        {"&#xD800;", "&#xD800;"},
        {"&#xDFFF;&#xd7ff;", "&#xDFFF;\uD7FF"},
        {"&#1114111;&#1114112;", "\U0010FFFF&#1114112;"},
        {"&#4294967361;", "&#4294967361;"},  // 2^32 + 65 does not wrap round to "A"
        {"&#99999999999;&#00000000000065;", "&#99999999999;A"},
        {"&#65", "&#65"},
        {"&#&#65;", "&#A"},
        {"&LT;", "&LT;"},
        {"&mdash;", "&mdash;"},
        {"a&#160;b", "a b"},
        {"a\u2028b\u00a0c\u0085d", "a b c d"},
        {"a&#0;b", std::string("a\0b", 3)},
        {"  \t spaced \r\n out  ", "spaced out"},
    };
    for (const auto& [html, text] : cases) EXPECT_EQ(RSSParser::stripHTML(html), text) << html;
}

TEST(RSSParserTest, IgnoresTheChannelsOwnElements) {
    EXPECT_TRUE(RSSParser::parseTips(
                    feed({}, "<category>tips</category><pubDate>Tue, 03 Dec 2024 10:00:00 +0000</pubDate>"))
                    .empty());
    std::string document = feed({{.title = "Only"}});
    document.insert(document.find("</channel>"), "<title>Channel again</title><guid>channel</guid>");
    auto tips = RSSParser::parseTips(document);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].title, "Only");
    EXPECT_EQ(tips[0].guid, "");
}

TEST(RSSParserTest, KeepsTheItemsFinishedBeforeTheDocumentBreaksOff) {
    std::string document = feed({tip("First", "Mon, 02 Dec 2024 10:00:00 +0000"),
                                 tip("Second", "Tue, 03 Dec 2024 10:00:00 +0000"),
                                 tip("Third", "Wed, 04 Dec 2024 10:00:00 +0000")});
    const std::vector<std::string> firstTwo = {"Second", "First"};
    EXPECT_EQ(titles(RSSParser::parseTips(document.substr(0, document.find("<title>Third") + 9))), firstTwo);
    document.replace(document.find("Third"), 5, "Th&nbsp;ird");  // an undeclared entity
    EXPECT_EQ(titles(RSSParser::parseTips(document)), firstTwo);
}

TEST(RSSParserTest, RefusesEntitiesTheDocumentDeclares) {
    // Ten levels of ten references each would expand to 10^10 characters.
    std::string declarations = "<!ENTITY e0 \"lol\">";
    for (int level = 1; level < 10; ++level) {
        std::string references;
        for (int i = 0; i < 10; ++i) references += "&e" + std::to_string(level - 1) + ";";
        declarations += "<!ENTITY e" + std::to_string(level) + " \"" + references + "\">";
    }
    for (const auto& [title, doctype] : {std::pair{"&e9;", declarations}, {"&e0;", "<!ENTITY e0 \"lol\">"}}) {
        std::string document = feed({{.title = title}});
        document.insert(document.find("<rss"), "<!DOCTYPE rss [" + doctype + "]>");
        EXPECT_TRUE(RSSParser::parseTips(document).empty()) << title;
    }
}

// Real feeds from other publishers, each item given the tips category as the feed server would.
TEST(RSSParserTest, ReadsRealWorldFeeds) {
    const std::regex itemStart(R"(<item(\s[^>]*)?>)");
    int files = 0, filesWithTips = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(QB_TEST_DATA_DIR) + "/rss")) {
        if (entry.path().extension() == ".md") continue;
        auto document = readFile(entry.path()).value_or("");
        document.erase(0, document.find_first_not_of(" \t\r\n"));
        auto itemCount = std::distance(std::sregex_iterator(document.begin(), document.end(), itemStart),
                                       std::sregex_iterator());
        auto tips =
            RSSParser::parseTips(std::regex_replace(document, itemStart, "$&<category>tips</category>"));
        ++files;
        filesWithTips += !tips.empty();
        EXPECT_LE(static_cast<std::ptrdiff_t>(tips.size()), itemCount) << entry.path().filename();
        for (std::size_t i = 0; i < tips.size(); ++i) {
            if (i > 0) {
                EXPECT_GE(tips[i - 1].pubDate, tips[i].pubDate) << entry.path().filename();
            }
            EXPECT_FALSE(tips[i].title.empty());
            EXPECT_EQ(tips[i].description.find('\n'), std::string::npos);
        }
    }
    EXPECT_GE(files, 70);
    EXPECT_GE(filesWithTips * 10, files * 8) << filesWithTips << " of " << files << " feeds gave tips";
}

}  // namespace
}  // namespace qb::tips
