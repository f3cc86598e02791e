#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tips/tip_item.hpp"

namespace qb::tips {

// What a feed document gave: the tips, and why the document was not read to its end as an RSS feed.
struct ParsedFeed {
    std::vector<TipItem> tips;
    // "it is not well-formed XML: mismatched tag at line 12", "its root element is <html>, not <rss>";
    // none for a well-formed RSS document, also one without tips.
    std::optional<std::string> problem;
};

// Reads the tips feed, an RSS 2.0 document, on a streaming XML parser. Keeps the items that carry the
// category "tips", a title and a readable publication date, newest first; each field cut to what a tip
// keeps (TipLimits). Never fails: a document that breaks off or is malformed yields the items finished
// before the fault, often none.
class RSSParser {
  public:
    static ParsedFeed parseFeed(std::string_view data);
    // The tips alone.
    static std::vector<TipItem> parseTips(std::string_view data) { return parseFeed(data).tips; }

    // Description HTML as one line of plain text: tags removed, the common named entities and numeric
    // character references decoded, runs of whitespace turned into single blanks.
    static std::string stripHTML(std::string_view html);
    // Replaces "&#65;" and then "&#x41;" references by their characters; invalid ones stay as written.
    static std::string decodeNumericEntities(std::string_view text);
    // The UTF-8 form of the one Unicode scalar the digits name (radix 10 or 16); none when the number
    // does not fit 32 bits or names no scalar.
    static std::optional<std::string> decodeScalar(std::string_view digits, int radix);

  private:
    RSSParser() = default;

    void startElement(const char* name);
    void characters(std::string_view text);
    void endElement(std::string_view name);
    void finishItem();

    std::vector<TipItem> items;
    std::string currentTitle;
    std::string currentDescription;
    std::string currentLink;
    std::string currentPubDate;
    std::string currentGuid;
    std::vector<std::string> currentCategories;
    bool isInsideItem = false;
    std::string characterBuffer;
    bool isCharacterBufferFull = false;  // cut at its limit: the rest of the element's text is dropped
    std::string rootElement;

    friend struct ExpatCallbacks;
};

}  // namespace qb::tips
