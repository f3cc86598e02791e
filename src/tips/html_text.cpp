// Cleaning the HTML of feed descriptions into plain text.

#include <array>
#include <cstdint>
#include <utility>

#include "tips/feed_text.hpp"
#include "tips/rss_parser.hpp"

namespace qb {

namespace {

// Removes every "<", one or more characters other than ">", ">" (line breaks included), joining the
// text on both sides.
std::string withoutTags(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t index = 0;
    while (index < text.size()) {
        std::size_t open = text.find('<', index);
        if (open == std::string_view::npos) break;
        if (open + 1 < text.size() && text[open + 1] == '>') {
            // "<>" is no tag: keep the "<" and look again from the ">".
            result.append(text.substr(index, open + 1 - index));
            index = open + 1;
            continue;
        }
        std::size_t close = text.find('>', open + 1);
        if (close == std::string_view::npos) break;  // no ">" follows: no tag starts here or later
        result.append(text.substr(index, open - index));
        index = close + 1;
    }
    result.append(text.substr(index));
    return result;
}

// Every occurrence of `from`, left to right and without overlap, replaced by `to`.
std::string replacingAll(std::string text, std::string_view from, std::string_view to) {
    std::size_t found = text.find(from);
    if (found == std::string::npos) return text;
    std::string result;
    result.reserve(text.size());
    std::size_t index = 0;
    for (; found != std::string::npos; found = text.find(from, index)) {
        result.append(text, index, found - index);
        result.append(to);
        index = found + from.size();
    }
    result.append(text, index);
    return result;
}

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Replaces each `prefix` digits ";" reference by its character, where the digits name one.
std::string decodingReferences(std::string_view text, std::string_view prefix, int radix) {
    std::size_t found = text.find(prefix);
    if (found == std::string_view::npos) return std::string(text);
    auto isDigit = radix == 16 ? isHexDigit : isDecimalDigit;
    std::string result;
    result.reserve(text.size());
    std::size_t index = 0;
    while (found != std::string_view::npos) {
        std::size_t digitsStart = found + prefix.size();
        std::size_t digitsEnd = digitsStart;
        while (digitsEnd < text.size() && isDigit(text[digitsEnd])) ++digitsEnd;
        if (digitsEnd > digitsStart && digitsEnd < text.size() && text[digitsEnd] == ';') {
            auto decoded = RSSParser::decodeScalar(text.substr(digitsStart, digitsEnd - digitsStart), radix);
            result.append(text.substr(index, found - index));
            if (decoded) {
                result.append(*decoded);
            } else {
                result.append(text.substr(found, digitsEnd + 1 - found));
            }
            index = digitsEnd + 1;
            found = text.find(prefix, index);
        } else {
            found = text.find(prefix, found + 1);
        }
    }
    result.append(text.substr(index));
    return result;
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
    std::string text = withoutTags(html);
    if (text.find('&') != std::string::npos) {
        static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> named = {{
            {"&lt;", "<"},
            {"&gt;", ">"},
            {"&quot;", "\""},
            {"&apos;", "'"},
            {"&nbsp;", " "},
            {"&amp;", "&"},  // last, so that "&amp;lt;" ends as "&lt;"
        }};
        for (const auto& [entity, character] : named) text = replacingAll(std::move(text), entity, character);
        text = decodeNumericEntities(text);
    }
    return feedtext::collapsedWhitespace(text);
}

std::string RSSParser::decodeNumericEntities(std::string_view text) {
    // Decimal first: a decoded "&" can start a hexadecimal reference ("&#38;#x41;" ends as "A").
    std::string decimal = decodingReferences(text, "&#", 10);
    return decodingReferences(decimal, "&#x", 16);
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

}  // namespace qb
