#include "tips/rss_parser.hpp"

#include <algorithm>
#include <climits>
#include <cstring>

#include <expat.h>
#include <fmt/format.h>

#include "tips/feed_text.hpp"

namespace qb::tips {

namespace {

// The most text one element collects: the raw HTML of a description may well be longer than the plain
// text a tip keeps of it, but not by this much. Text past it is dropped as it arrives, so that the
// parser holds little more than the tips it keeps, whatever the document.
constexpr std::size_t maxElementTextBytes = 4 * TipLimits::descriptionBytes;

// The most of an element or entity name that a problem names.
constexpr std::size_t maxNameBytes = 64;

// Undated items go; the rest are ordered newest first, equal dates in document order. The order is
// worked out on dates and positions, then the items are moved into place once.
std::vector<TipItem> datedNewestFirst(std::vector<TipItem>& items) {
    std::vector<std::pair<Date, std::size_t>> order;
    order.reserve(items.size());
    for (std::size_t index = 0; index < items.size(); ++index)
        if (items[index].pubDate != Date::distantPast()) order.emplace_back(items[index].pubDate, index);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<TipItem> sorted;
    sorted.reserve(order.size());
    for (const auto& [date, index] : order) sorted.push_back(std::move(items[index]));
    return sorted;
}

}  // namespace

// Expat's C callbacks, forwarding to the parser of the document.
struct ExpatCallbacks {
    RSSParser* target;
    XML_Parser parser;
    std::optional<std::string> stopReason;  // why a callback stopped the document

    static void start(void* context, const XML_Char* name, const XML_Char** /*attributes*/) {
        static_cast<ExpatCallbacks*>(context)->target->startElement(name);
    }
    static void end(void* context, const XML_Char* name) {
        auto* target = static_cast<ExpatCallbacks*>(context)->target;
        if (target->isInsideItem) target->endElement(name);
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
        stop(context, "it declares entities of its own");
    }
    // Only the five predefined entities exist: any other reference ends the document.
    static void skippedEntity(void* context, const XML_Char* name, int) {
        stop(context, fmt::format("it refers to the undeclared entity &{};",
                                  feedtext::leadingCharacters(name, maxNameBytes)));
    }
    static void stop(void* context, std::string reason) {
        auto* callbacks = static_cast<ExpatCallbacks*>(context);
        callbacks->stopReason = std::move(reason);
        XML_StopParser(callbacks->parser, XML_FALSE);
    }
};

ParsedFeed RSSParser::parseFeed(std::string_view data) {
    RSSParser delegate;
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (!parser) return {{}, "the XML parser could not be created"};
    ExpatCallbacks callbacks{&delegate, parser, std::nullopt};
    XML_SetUserData(parser, &callbacks);
    XML_SetElementHandler(parser, &ExpatCallbacks::start, &ExpatCallbacks::end);
    XML_SetCharacterDataHandler(parser, &ExpatCallbacks::text);
    XML_SetEntityDeclHandler(parser, &ExpatCallbacks::entityDeclaration);
    XML_SetSkippedEntityHandler(parser, &ExpatCallbacks::skippedEntity);
    XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);

    // Fed in pieces that fit expat's int lengths; the first error ends the document.
    constexpr std::size_t pieceSize = 1 << 24;
    ParsedFeed parsed;
    do {
        std::size_t length = std::min(data.size(), pieceSize);
        bool isFinal = length == data.size();
        if (XML_Parse(parser, data.data(), static_cast<int>(length), isFinal) != XML_STATUS_OK) {
            const auto line = XML_GetCurrentLineNumber(parser);
            if (callbacks.stopReason) {
                parsed.problem = fmt::format("{} (line {})", *callbacks.stopReason, line);
            } else {
                const char* error = XML_ErrorString(XML_GetErrorCode(parser));
                parsed.problem = fmt::format("it is not well-formed XML: {} at line {}",
                                             error ? error : "an unknown error", line);
            }
            break;
        }
        data.remove_prefix(length);
    } while (!data.empty());
    XML_ParserFree(parser);

    if (!parsed.problem && delegate.rootElement != "rss")
        parsed.problem = fmt::format("its root element is <{}>, not <rss>", delegate.rootElement);
    parsed.tips = datedNewestFirst(delegate.items);
    return parsed;
}

void RSSParser::startElement(const char* name) {
    // Named in a message: a hostile name is cut short.
    if (rootElement.empty()) rootElement = feedtext::leadingCharacters(name, maxNameBytes);
    characterBuffer.clear();
    isCharacterBufferFull = false;
    if (std::strcmp(name, "item") == 0) {
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
    if (!isInsideItem || isCharacterBufferFull) return;
    const std::size_t room = maxElementTextBytes - characterBuffer.size();
    if (text.size() <= room) {
        characterBuffer.append(text);
        return;
    }
    // One byte past the limit shows whether the cut falls inside a character.
    characterBuffer.append(text.substr(0, room + 1));
    characterBuffer.resize(feedtext::leadingCharacters(characterBuffer, maxElementTextBytes).size());
    isCharacterBufferFull = true;
}

void RSSParser::endElement(std::string_view name) {
    if (!isInsideItem) return;  // the channel's own title, link and description
    std::string_view text = feedtext::trimmed(characterBuffer);
    // Told apart by length first: a feed has many elements that none of these concern.
    switch (name.size()) {
        case 4:
            if (name == "link") {
                currentLink = text;
                feedtext::limitLength(currentLink, TipLimits::linkBytes);
            } else if (name == "guid") {
                currentGuid = text;
                feedtext::limitLength(currentGuid, TipLimits::guidBytes);
            } else if (name == "item") {
                finishItem();
            }
            break;
        case 5:
            if (name == "title") {
                currentTitle = text;
                feedtext::limitLength(currentTitle, TipLimits::titleBytes);
            }
            break;
        case 7:
            if (name == "pubDate") currentPubDate.assign(text);
            break;
        case 8:
            if (name == "category") {
                // Lower-cased for the comparison with "tips"; no character outside ASCII lower-cases
                // to one of its letters, so ASCII lower-casing decides the same.
                std::string category(text);
                for (char& c : category)
                    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
                currentCategories.push_back(std::move(category));
            }
            break;
        case 11:
            if (name == "description") {
                currentDescription = stripHTML(text);
                feedtext::limitLength(currentDescription, TipLimits::descriptionBytes);
            }
            break;
        default:
            break;
    }
}

void RSSParser::finishItem() {
    isInsideItem = false;
    bool isTip =
        std::find(currentCategories.begin(), currentCategories.end(), "tips") != currentCategories.end();
    if (!isTip || currentTitle.empty()) return;
    Date pubDate = feedtext::parseFeedDate(currentPubDate).value_or(Date::distantPast());
    std::string guid = currentGuid.empty() ? currentLink : currentGuid;
    // The fields are not read again before the next item clears them.
    items.push_back(TipItem{std::move(currentTitle), std::move(currentDescription), std::move(currentLink),
                            pubDate, std::move(guid)});
}

}  // namespace qb::tips
