#include "tips/rss_parser.hpp"

#include <algorithm>
#include <climits>

#include <expat.h>

#include "tips/feed_text.hpp"

namespace qb {

// Expat's C callbacks, forwarding to the parser of the document.
struct ExpatCallbacks {
    RSSParser* target;
    XML_Parser parser;

    static void start(void* context, const XML_Char* name, const XML_Char** /*attributes*/) {
        static_cast<ExpatCallbacks*>(context)->target->startElement(name);
    }
    static void end(void* context, const XML_Char* name) {
        static_cast<ExpatCallbacks*>(context)->target->endElement(name);
    }
    // Text and the contents of CDATA sections alike; expat hands over only well-formed UTF-8.
    static void text(void* context, const XML_Char* data, int length) {
        static_cast<ExpatCallbacks*>(context)->target->characters(
            std::string_view(data, static_cast<std::size_t>(length)));
    }
    // Entities declared by the document itself are not expanded: such a document is refused at the
    // declaration, which also keeps entity expansion attacks out.
    static void entityDeclaration(void* context, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                  const XML_Char*, const XML_Char*, const XML_Char*) {
        XML_StopParser(static_cast<ExpatCallbacks*>(context)->parser, XML_FALSE);
    }
    // Only the five predefined entities exist: any other reference ends the document.
    static void skippedEntity(void* context, const XML_Char*, int) {
        XML_StopParser(static_cast<ExpatCallbacks*>(context)->parser, XML_FALSE);
    }
};

std::vector<TipItem> RSSParser::parseTips(std::string_view data) {
    RSSParser delegate;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) return {};
    ExpatCallbacks callbacks{&delegate, parser};
    XML_SetUserData(parser, &callbacks);
    XML_SetElementHandler(parser, &ExpatCallbacks::start, &ExpatCallbacks::end);
    XML_SetCharacterDataHandler(parser, &ExpatCallbacks::text);
    XML_SetEntityDeclHandler(parser, &ExpatCallbacks::entityDeclaration);
    XML_SetSkippedEntityHandler(parser, &ExpatCallbacks::skippedEntity);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);

    // Fed in pieces that fit expat's int lengths; the first error ends the document.
    constexpr std::size_t pieceSize = 1 << 24;
    do {
        std::size_t length = std::min(data.size(), pieceSize);
        bool isFinal = length == data.size();
        if (XML_Parse(parser, data.data(), static_cast<int>(length), isFinal) != XML_STATUS_OK) break;
        data.remove_prefix(length);
    } while (!data.empty());
    XML_ParserFree(parser);

    auto& items = delegate.items;
    std::erase_if(items, [](const TipItem& item) { return item.pubDate == Date::distantPast(); });
    std::stable_sort(items.begin(), items.end(),
                     [](const TipItem& a, const TipItem& b) { return a.pubDate > b.pubDate; });
    return std::move(items);
}

void RSSParser::startElement(std::string_view name) {
    characterBuffer.clear();
    if (name == "item") {
        isInsideItem = true;
        currentTitle.clear();
        currentDescription.clear();
        currentLink.clear();
        currentPubDate.clear();
        currentGuid.clear();
        currentCategories.clear();
    }
}

void RSSParser::characters(std::string_view text) {
    if (isInsideItem) characterBuffer.append(text);
}

void RSSParser::endElement(std::string_view name) {
    if (!isInsideItem) return;  // the channel's own title, link and description
    std::string_view text = feedtext::trimmed(characterBuffer);
    if (name == "title") {
        currentTitle = text;
    } else if (name == "description") {
        currentDescription = stripHTML(text);
    } else if (name == "link") {
        currentLink = text;
    } else if (name == "pubDate") {
        currentPubDate = text;
    } else if (name == "guid") {
        currentGuid = text;
    } else if (name == "category") {
        // Lower-cased for the comparison with "tips"; no character outside ASCII lower-cases to one of
        // its letters, so ASCII lower-casing decides the same.
        std::string category(text);
        std::transform(category.begin(), category.end(), category.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        currentCategories.push_back(std::move(category));
    } else if (name == "item") {
        finishItem();
    }
}

void RSSParser::finishItem() {
    isInsideItem = false;
    bool isTip =
        std::find(currentCategories.begin(), currentCategories.end(), "tips") != currentCategories.end();
    if (!isTip || currentTitle.empty()) return;
    Date pubDate = feedtext::parseFeedDate(currentPubDate).value_or(Date::distantPast());
    std::string guid = currentGuid.empty() ? currentLink : currentGuid;
    items.push_back(TipItem{currentTitle, currentDescription, currentLink, pubDate, std::move(guid)});
}

}  // namespace qb
