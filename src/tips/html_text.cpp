// Cleaning the HTML of feed descriptions into plain text. Every step shortens the text or keeps its
// length, so all of them work in place on one buffer, reading ahead of where they write.

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "tips/feed_text.hpp"
#include "tips/rss_parser.hpp"

namespace qb::tips {

namespace {

// Removes every "<", one or more characters other than ">", ">" (line breaks included), joining the
// text on both sides.
void removeTags(std::string& text) {
    std::size_t read = 0;
    std::size_t write = 0;
    auto keep = [&text, &write](std::size_t from, std::size_t to) {
        std::memmove(&text[write], text.data() + from, to - from);
        write += to - from;
    };
    while (true) {
        std::size_t open = text.find('<', read);
        if (open == std::string::npos) break;
        if (open + 1 < text.size() && text[open + 1] == '>') {
            // "<>" is no tag: keep the "<" and look again from the ">".
            keep(read, open + 1);
            read = open + 1;
            continue;
        }
        std::size_t close = text.find('>', open + 1);
        if (close == std::string::npos) break;  // no tag starts here or later
        keep(read, open);
        read = close + 1;
    }
    keep(read, text.size());
    text.resize(write);
}

// The named entities that descriptions use, each replaced where it stands. The replacements contain
// no "&" and no entity contains another, so one pass over the text decodes exactly what one pass per
// entity, in this order, would: "&amp;" yields an "&" that is not decoded again ("&amp;lt;" ends as
// "&lt;").
void decodeNamedEntities(std::string& text) {
    std::size_t read = text.find('&');
    if (read == std::string::npos) return;
    std::size_t write = read;
    while (read < text.size()) {
        if (text[read] == '&') {
            // Picked by the letter after the "&", then compared whole.
            std::string_view rest = std::string_view(text).substr(read);
            std::string_view entity;
            char character = 0;
            switch (rest.size() > 1 ? rest[1] : '\0') {
                case 'l':
                    entity = "&lt;", character = '<';
                    break;
                case 'g':
                    entity = "&gt;", character = '>';
                    break;
                case 'q':
                    entity = "&quot;", character = '"';
                    break;
                case 'a':
                    if (rest.starts_with("&apos;")) {
                        entity = "&apos;", character = '\'';
                    } else {
                        entity = "&amp;", character = '&';
                    }
                    break;
                case 'n':
                    entity = "&nbsp;", character = ' ';
                    break;
                default:
                    break;
            }
            if (!entity.empty() && rest.starts_with(entity)) {
                text[write++] = character;
                read += entity.size();
                continue;
            }
        }
        text[write++] = text[read++];
    }
    text.resize(write);
}

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Replaces each `prefix` digits ";" reference, left to right and without overlap, by its character
// where the digits name one. A character is never longer than its reference.
void decodeReferences(std::string& text, std::string_view prefix, int radix) {
    std::size_t found = text.find(prefix);
    if (found == std::string::npos) return;
    auto isDigit = radix == 16 ? isHexDigit : isDecimalDigit;
    std::size_t read = 0;
    std::size_t write = 0;
    auto copy = [&text, &write](std::size_t from, std::size_t length) {
        std::memmove(&text[write], text.data() + from, length);
        write += length;
    };
    while (found != std::string::npos) {
        std::size_t digitsStart = found + prefix.size();
        std::size_t digitsEnd = digitsStart;
        while (digitsEnd < text.size() && isDigit(text[digitsEnd])) ++digitsEnd;
        if (digitsEnd > digitsStart && digitsEnd < text.size() && text[digitsEnd] == ';') {
            auto decoded = RSSParser::decodeScalar(
                std::string_view(text).substr(digitsStart, digitsEnd - digitsStart), radix);
            copy(read, found - read);
            if (decoded) {
                std::memcpy(&text[write], decoded->data(), decoded->size());
                write += decoded->size();
            } else {
                copy(found, digitsEnd + 1 - found);
            }
            read = digitsEnd + 1;
            found = text.find(prefix, read);
        } else {
            found = text.find(prefix, found + 1);
        }
    }
    copy(read, text.size() - read);
    text.resize(write);
}

void appendUtf8(std::string& out, std::uint32_t scalar) {
    if (scalar < 0x80) {
        out.push_back(static_cast<char>(scalar));
    } else if (scalar < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (scalar >> 6)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    } else if (scalar < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (scalar >> 12)));
        out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (scalar >> 18)));
        out.push_back(static_cast<char>(0x80 | ((scalar >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
    }
}

}  // namespace

std::string RSSParser::stripHTML(std::string_view html) {
    std::string text(html);
    removeTags(text);
    if (text.find('&') != std::string::npos) {
        decodeNamedEntities(text);
        // After the named entities, so that "&amp;#65;" ends as "A".
        decodeReferences(text, "&#", 10);
        // After the decimal references, so that "&#38;#x41;" ends as "A".
        decodeReferences(text, "&#x", 16);
    }
    feedtext::collapseWhitespace(text);
    return text;
}

std::string RSSParser::decodeNumericEntities(std::string_view text) {
    std::string result(text);
    decodeReferences(result, "&#", 10);
    decodeReferences(result, "&#x", 16);
    return result;
}

std::optional<std::string> RSSParser::decodeScalar(std::string_view digits, int radix) {
    if (digits.empty() || (radix != 10 && radix != 16)) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (radix == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (radix == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFULL) return std::nullopt;
    }
    if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return std::nullopt;
    std::string result;
    appendUtf8(result, static_cast<std::uint32_t>(value));
    return result;
}

}  // namespace qb::tips
