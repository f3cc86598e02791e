#include "tips/feed_text.hpp"

#include <memory>

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace qb::feedtext {

namespace {

bool isAsciiWhitespace(unsigned char byte) {
    return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}

// The length in bytes of the whitespace character at `index`, or 0 when none starts there.
std::size_t whitespaceLength(std::string_view text, std::size_t index) {
    auto byte = static_cast<unsigned char>(text[index]);
    if (byte < 0x80) return isAsciiWhitespace(byte) ? 1 : 0;
    auto length = static_cast<std::int32_t>(text.size());
    auto offset = static_cast<std::int32_t>(index);
    UChar32 character = 0;
    U8_NEXT(text.data(), offset, length, character);
    if (character < 0) return 0;  // not UTF-8: kept as it is
    return isWhitespace(static_cast<char32_t>(character)) ? static_cast<std::size_t>(offset) - index : 0;
}

// The length of the whitespace character that ends just before `end`, or 0.
std::size_t whitespaceLengthBefore(std::string_view text, std::size_t end) {
    std::size_t start = end - 1;
    // Back over continuation bytes to the start of the character (at most four bytes in all).
    while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    std::size_t length = whitespaceLength(text, start);
    return start + length == end ? length : 0;
}

}  // namespace

bool isWhitespace(char32_t character) {
    if (character < 0x80) return isAsciiWhitespace(static_cast<unsigned char>(character));
    if (character == 0x85) return true;
    switch (u_charType(static_cast<UChar32>(character))) {
        case U_SPACE_SEPARATOR:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
            return true;
        default:
            return false;
    }
}

std::string_view trimmed(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t length = whitespaceLength(text, begin);
        if (length == 0) break;
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t length = whitespaceLengthBefore(text, end);
        if (length == 0) break;
        end -= length;
    }
    return text.substr(begin, end - begin);
}

std::string collapsedWhitespace(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    bool pendingBlank = false;
    std::size_t index = 0;
    while (index < text.size()) {
        if (std::size_t length = whitespaceLength(text, index)) {
            pendingBlank = !result.empty();
            index += length;
            continue;
        }
        if (pendingBlank) {
            result.push_back(' ');
            pendingBlank = false;
        }
        result.push_back(text[index++]);
    }
    return result;
}

std::optional<Date> parseFeedDate(std::string_view text) {
    if (text.empty()) return std::nullopt;
    // Date formats are costly to make and not safe to share while parsing: one per thread.
    thread_local std::unique_ptr<icu::SimpleDateFormat> format = [] {
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_unique<icu::SimpleDateFormat>(
            icu::UnicodeString(u"EEE, dd MMM yyyy HH:mm:ss Z"), icu::Locale("en_US_POSIX"), status);
        if (U_FAILURE(status)) return std::unique_ptr<icu::SimpleDateFormat>();
        made->setLenient(false);
        return made;
    }();
    if (!format) return std::nullopt;
    auto unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    icu::ParsePosition position(0);
    UDate millis = format->parse(unicode, position);
    if (position.getErrorIndex() >= 0 || position.getIndex() != unicode.length()) return std::nullopt;
    return Date::fromUnixSeconds(millis / 1000.0);
}

}  // namespace qb::feedtext
