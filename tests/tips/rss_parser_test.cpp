#include "tips/rss_parser.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/date.hpp"
#include "tips/feed_text.hpp"

namespace qb {
namespace {

// One item of a test feed, built up with the setters below.
struct FeedItem {
    std::string title = "A tip";
    bool hasTitle = true;
    std::vector<std::string> categories = {"tips"};
    std::optional<std::string> pubDate = "Tue, 03 Dec 2024 10:00:00 +0100";
    std::optional<std::string> guid;
    std::optional<std::string> link;
    std::optional<std::string> description;

    FeedItem& withTitle(std::string text) { return title = std::move(text), *this; }
    FeedItem& withoutTitle() { return hasTitle = false, *this; }
    FeedItem& withCategories(std::vector<std::string> list) { return categories = std::move(list), *this; }
    FeedItem& withDate(std::optional<std::string> text) { return pubDate = std::move(text), *this; }
    FeedItem& withGuid(std::string text) { return guid = std::move(text), *this; }
    FeedItem& withLink(std::string text) { return link = std::move(text), *this; }
    FeedItem& withDescription(std::string text) { return description = std::move(text), *this; }
};

FeedItem tip(std::string title, std::string pubDate = "Tue, 03 Dec 2024 10:00:00 +0100") {
    return FeedItem().withTitle(std::move(title)).withDate(std::move(pubDate));
}

std::string itemXML(const FeedItem& item) {
    std::string xml = "<item>";
    if (item.hasTitle) xml += "<title>" + item.title + "</title>";
    for (const auto& category : item.categories) xml += "<category>" + category + "</category>";
    if (item.pubDate) xml += "<pubDate>" + *item.pubDate + "</pubDate>";
    if (item.guid) xml += "<guid isPermaLink=\"false\">" + *item.guid + "</guid>";
    if (item.link) xml += "<link>" + *item.link + "</link>";
    if (item.description) xml += "<description>" + *item.description + "</description>";
    return xml + "</item>";
}

std::string feed(const std::vector<FeedItem>& items, std::string_view channelExtra = "") {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
        "<title>Quillbrook Blog</title><link>https://www.quillbrook.example/</link>"
        "<description>Channel description</description>";
    xml += channelExtra;
    for (const auto& item : items) xml += itemXML(item);
    return xml + "</channel></rss>";
}

std::vector<std::string> titles(const std::vector<TipItem>& tips) {
    std::vector<std::string> result;
    for (const auto& tip : tips) result.push_back(tip.title);
    return result;
}

TEST(RSSParserTest, KeepsOnlyTitledItemsInTheTipsCategory) {
    struct Case {
        std::string name;
        FeedItem item;
        bool kept;
    };
    std::vector<Case> cases = {
        {"padded Tips among News", FeedItem().withCategories({"News", " Tips "}), true},
        {"upper-case TIPS", FeedItem().withCategories({"TIPS"}), true},
        {"only tip", FeedItem().withCategories({"tip"}), false},
        {"tips and tricks", FeedItem().withCategories({"tips and tricks"}), false},
        {"no category", FeedItem().withCategories({}), false},
        {"blank title", FeedItem().withTitle(" \n "), false},
        {"no title", FeedItem().withoutTitle(), false},
        {"ISO date", FeedItem().withDate("2024-12-03"), false},
        {"no date", FeedItem().withDate(std::nullopt), false},
    };
    for (const auto& c : cases) {
        auto tips = RSSParser::parseTips(feed({c.item}));
        EXPECT_EQ(tips.size(), c.kept ? 1u : 0u) << c.name;
    }
}

TEST(RSSParserTest, ReadsTheFieldsOfAnItem) {
    auto tips =
        RSSParser::parseTips(feed({tip("  Smart rules  ")
                                       .withGuid(" tip-1 ")
                                       .withLink("https://www.quillbrook.example/tips/1")
                                       .withDescription("&lt;p&gt;Use &lt;b&gt;rules&lt;/b&gt;&lt;/p&gt;")}));
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].title, "Smart rules");
    EXPECT_EQ(tips[0].guid, "tip-1");
    EXPECT_EQ(tips[0].link, "https://www.quillbrook.example/tips/1");
    EXPECT_EQ(tips[0].description, "Use rules");
    EXPECT_EQ(iso8601(tips[0].pubDate), "2024-12-03T09:00:00.000Z");
}

TEST(RSSParserTest, FallsBackFromGuidToLink) {
    auto tips = RSSParser::parseTips(feed({
        tip("with link", "Tue, 03 Dec 2024 10:00:00 +0000").withLink("https://h/a"),
        tip("with neither", "Mon, 02 Dec 2024 10:00:00 +0000"),
        tip("with both", "Sun, 01 Dec 2024 10:00:00 +0000").withGuid("g").withLink("https://h/b"),
    }));
    ASSERT_EQ(tips.size(), 3u);
    EXPECT_EQ(tips[0].guid, "https://h/a");
    EXPECT_EQ(tips[1].guid, "");
    EXPECT_EQ(tips[2].guid, "g");
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

TEST(RSSParserTest, ParsesFeedDatesStrictly) {
    struct Case {
        std::string text;
        std::optional<std::string> expected;
    };
    std::vector<Case> cases = {
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
        {"2024-12-03", std::nullopt},
        {"Tue, 03 Dec 2024", std::nullopt},
        {"Tue, 32 Dec 2024 10:00:00 +0000", std::nullopt},
        {"Thu, 29 Feb 2023 10:00:00 +0000", std::nullopt},
        {"Tue, 03 Dec 2024 24:00:00 +0000", std::nullopt},
        {"Tue, 03 Dec 2024 10:0:00 +0000", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        auto parsed = feedtext::parseFeedDate(c.text);
        EXPECT_EQ(parsed ? std::optional(iso8601(*parsed)) : std::nullopt, c.expected) << c.text;
    }
}

// The fast road for the common form must decide every text as the date pattern does.
TEST(RSSParserTest, ReadsCommonDatesAsTheDatePatternDoes) {
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
    const std::vector<std::string> base = {"Tue", "03", "Dec", "2024", "10:00:00", "+0100", ""};
    int checked = 0;
    for (std::size_t part = 0; part < variants.size(); ++part) {
        for (const auto& variant : variants[part]) {
            auto pieces = base;
            pieces[part] = variant;
            for (const auto& month : {"Dec", "Feb"}) {
                if (part != 2) pieces[2] = month;
                std::string text = pieces[0] + ", " + pieces[1] + " " + pieces[2] + " " + pieces[3] + " " +
                                   pieces[4] + " " + pieces[5] + pieces[6];
                EXPECT_EQ(feedtext::parseFeedDate(text), feedtext::parseFeedDateWithPattern(text)) << text;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100);
}

TEST(RSSParserTest, StripsHTMLFromDescriptions) {
    struct Case {
        std::string html;
        std::string text;
    };
    std::vector<Case> cases = {
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
        {"&#99999999999;", "&#99999999999;"},
        {"&#65", "&#65"},
        {"&#&#65;", "&#A"},
        {"&LT;", "&LT;"},
        {"&mdash;", "&mdash;"},
        {"a&#160;b", "a b"},
        {"a\u2028b\u00a0c\u0085d", "a b c d"},
        {std::string("a&#0;b"), std::string("a\0b", 3)},
        {"  \t spaced \r\n out  ", "spaced out"},
    };
    for (const auto& c : cases) EXPECT_EQ(RSSParser::stripHTML(c.html), c.text) << c.html;
}

TEST(RSSParserTest, DecodesScalarsThatFit) {
    struct Case {
        std::string digits;
        int radix;
        std::optional<std::string> expected;
    };
    std::vector<Case> cases = {
        {"65", 10, "A"},
        {"0", 10, std::string(1, '\0')},
        {"1114111", 10, "\U0010FFFF"},
        {"1114112", 10, std::nullopt},
        {"4294967295", 10, std::nullopt},
        {"4294967361", 10, std::nullopt},  // 2^32 + 65 does not wrap round to "A"
        {"00000000000065", 10, "A"},
        {"d7ff", 16, "\uD7FF"},
        {"DFFF", 16, std::nullopt},
        {"1F600", 16, "\U0001F600"},
        {"", 10, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(RSSParser::decodeScalar(c.digits, c.radix), c.expected) << c.digits;
}

TEST(RSSParserTest, TakesTheTextAfterTheLastNestedElementAndCDATA) {
    auto tips = RSSParser::parseTips(feed({
        tip("cdata", "Tue, 03 Dec 2024 10:00:00 +0000")
            .withDescription("<![CDATA[<p>Hello &amp; <i>world</i></p>]]>"),
        tip("nested", "Mon, 02 Dec 2024 10:00:00 +0000").withDescription("Intro <b>bold</b> tail"),
    }));
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_EQ(tips[0].description, "Hello & world");
    EXPECT_EQ(tips[1].description, "bold tail");
}

TEST(RSSParserTest, IgnoresTheChannelsOwnElements) {
    EXPECT_TRUE(RSSParser::parseTips(
                    feed({}, "<category>tips</category><pubDate>Tue, 03 Dec 2024 10:00:00 +0000</pubDate>"))
                    .empty());
    // Channel elements after an item change nothing about it.
    std::string document = feed({tip("Only")});
    document.insert(document.find("</channel>"), "<title>Channel again</title><guid>channel</guid>");
    auto tips = RSSParser::parseTips(document);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].title, "Only");
    EXPECT_EQ(tips[0].guid, "");
}

TEST(RSSParserTest, KeepsTheItemsFinishedBeforeTheDocumentBreaksOff) {
    std::string document = feed({
        tip("First", "Mon, 02 Dec 2024 10:00:00 +0000"),
        tip("Second", "Tue, 03 Dec 2024 10:00:00 +0000"),
        tip("Third", "Wed, 04 Dec 2024 10:00:00 +0000"),
    });
    std::string cut = document.substr(0, document.find("<title>Third") + 9);
    EXPECT_EQ(titles(RSSParser::parseTips(cut)), (std::vector<std::string>{"Second", "First"}));

    std::string undeclaredEntity = document;
    undeclaredEntity.replace(undeclaredEntity.find("Third"), 5, "Th&nbsp;ird");
    EXPECT_EQ(titles(RSSParser::parseTips(undeclaredEntity)), (std::vector<std::string>{"Second", "First"}));
}

TEST(RSSParserTest, RefusesEntitiesTheDocumentDeclares) {
    // Ten levels of ten references each would expand to 10^10 characters.
    std::string declarations = "<!ENTITY e0 \"lol\">";
    for (int level = 1; level < 10; ++level) {
        std::string references;
        for (int i = 0; i < 10; ++i) references += "&e" + std::to_string(level - 1) + ";";
        declarations += "<!ENTITY e" + std::to_string(level) + " \"" + references + "\">";
    }
    std::string document = feed({tip("&e9;")});
    document.insert(document.find("<rss"), "<!DOCTYPE rss [" + declarations + "]>");
    EXPECT_TRUE(RSSParser::parseTips(document).empty());

    std::string harmless = feed({tip("&e0;")});
    harmless.insert(harmless.find("<rss"), "<!DOCTYPE rss [<!ENTITY e0 \"lol\">]>");
    EXPECT_TRUE(RSSParser::parseTips(harmless).empty());
}

// Puts a tips category first into every item; returns the number of items.
std::ptrdiff_t insertTipsCategory(std::string& document) {
    std::ptrdiff_t count = 0;
    for (std::size_t at = document.find("<item"); at != std::string::npos;
         at = document.find("<item", at + 1)) {
        char next = at + 5 < document.size() ? document[at + 5] : '\0';
        if (next != '>' && next != ' ' && next != '\n' && next != '\t' && next != '\r') continue;
        std::size_t end = document.find('>', at);
        if (end == std::string::npos) break;
        document.insert(end + 1, "<category>tips</category>");
        ++count;
    }
    return count;
}

// Real feeds from other publishers, each item given the tips category as the feed server would.
TEST(RSSParserTest, ReadsRealWorldFeeds) {
    std::filesystem::path folder = std::filesystem::path(QB_SHARED_DIR) / "corpus" / "rss";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    int files = 0, filesWithTips = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".md") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream contents;
        contents << in.rdbuf();
        std::string document = contents.str();
        document.erase(0, document.find_first_not_of(" \t\r\n"));
        std::ptrdiff_t itemCount = insertTipsCategory(document);

        auto tips = RSSParser::parseTips(document);
        ++files;
        if (!tips.empty()) ++filesWithTips;
        EXPECT_LE(static_cast<std::ptrdiff_t>(tips.size()), itemCount) << entry.path().filename();
        for (std::size_t i = 1; i < tips.size(); ++i)
            EXPECT_GE(tips[i - 1].pubDate, tips[i].pubDate) << entry.path().filename();
        for (const auto& tip : tips) {
            EXPECT_FALSE(tip.title.empty());
            EXPECT_EQ(tip.description.find('\n'), std::string::npos);
        }
    }
    EXPECT_GE(files, 70);
    EXPECT_GE(filesWithTips * 10, files * 8) << filesWithTips << " of " << files << " feeds gave tips";
}

}  // namespace
}  // namespace qb
