#include "host/render/display_text.hpp"

#include <cstdint>
#include <utility>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace qb::host {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;
constexpr char32_t zeroWidthJoiner = 0x200D;
constexpr std::string_view ellipsis = "…";

bool isControl(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F);
}

// Characters that reorder the text around them; a file could use them to make a row read differently.
bool isBidiControl(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool isLineBreak(char32_t c) {
    return c == '\n' || c == 0x2028 || c == 0x2029;
}

// Calls `visit(codePoint, utf8)` for every code point; invalid UTF-8 reads as U+FFFD.
template <class Visit>
void forEachCodePoint(std::string_view text, Visit visit) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t index = 0;
    while (index < length) {
        const std::int32_t start = index;
        UChar32 c = 0;
        U8_NEXT(bytes, index, length, c);
        if (c < 0) {
            visit(replacementCharacter, std::string_view("\xEF\xBF\xBD"));
        } else {
            visit(static_cast<char32_t>(c),
                  text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(index - start)));
        }
    }
}

int codePointWidth(char32_t c) {
    const auto codePoint = static_cast<UChar32>(c);
    const auto type = u_charType(codePoint);
    if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR) return 0;
    if (c >= 0x1160 && c <= 0x11FF) return 0;  // Hangul vowels and finals join the syllable before them
    const auto eastAsianWidth = u_getIntPropertyValue(codePoint, UCHAR_EAST_ASIAN_WIDTH);
    if (eastAsianWidth == U_EA_WIDE || eastAsianWidth == U_EA_FULLWIDTH) return 2;
    if (u_hasBinaryProperty(codePoint, UCHAR_EMOJI_PRESENTATION)) return 2;
    return 1;
}

// The glyphs that fit into `width` cells, and how many cells they take.
std::pair<std::string, int> prefixFitting(const std::vector<Glyph>& glyphs, int width) {
    std::string text;
    int used = 0;
    for (const auto& glyph : glyphs) {
        if (used + glyph.width > width) break;
        text += glyph.text;
        used += glyph.width;
    }
    return {text, used};
}

std::string withEllipsis(std::string_view line, int width) {
    if (width <= 0) return {};
    auto [text, used] = prefixFitting(glyphsOf(line), width - 1);
    return text + std::string(ellipsis);
}

std::vector<std::string> splitWords(std::string_view paragraph) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= paragraph.size()) {
        auto end = paragraph.find(' ', start);
        if (end == std::string_view::npos) end = paragraph.size();
        if (end > start) words.emplace_back(paragraph.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// Greedy line filling; a word wider than a line is broken between glyphs. Stops once `stopAfter`
// lines are complete.
void wrapParagraph(std::string_view paragraph, int width, std::size_t stopAfter,
                   std::vector<std::string>& lines) {
    std::string line;
    int lineWidth = 0;
    for (auto& word : splitWords(paragraph)) {
        int wordWidth = displayWidth(word);
        if (lineWidth > 0 && lineWidth + 1 + wordWidth <= width) {
            line += ' ';
            line += word;
            lineWidth += 1 + wordWidth;
            continue;
        }
        if (lineWidth > 0) {
            lines.push_back(std::move(line));
            if (lines.size() >= stopAfter) return;
            line.clear();
        }
        auto glyphs = glyphsOf(word);
        while (wordWidth > width) {
            auto [head, used] = prefixFitting(glyphs, width);
            if (used == 0) return;  // not even one glyph fits
            lines.push_back(head);
            if (lines.size() >= stopAfter) return;
            glyphs.erase(glyphs.begin(), glyphs.begin() + static_cast<std::ptrdiff_t>(glyphsOf(head).size()));
            wordWidth -= used;
        }
        for (const auto& glyph : glyphs) line += glyph.text;
        lineWidth = wordWidth;
    }
    lines.push_back(std::move(line));
}

}  // namespace

std::string sanitizeForTerminal(std::string_view text, bool keepLineBreaks) {
    std::string safe;
    safe.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c, std::string_view utf8) {
        if (isLineBreak(c)) {
            safe += keepLineBreaks ? '\n' : ' ';
        } else if (c == '\t') {
            safe += ' ';
        } else if (!isControl(c) && !isBidiControl(c)) {
            safe += utf8;
        }
    });
    return safe;
}

std::vector<Glyph> glyphsOf(std::string_view text) {
    std::vector<Glyph> glyphs;
    bool joinNext = false;
    forEachCodePoint(text, [&](char32_t c, std::string_view utf8) {
        const int width = codePointWidth(c);
        if (!glyphs.empty() && (width == 0 || joinNext)) {
            glyphs.back().text += utf8;
        } else if (width > 0) {
            glyphs.push_back({std::string(utf8), width});
        }
        joinNext = c == zeroWidthJoiner;
    });
    return glyphs;
}

int displayWidth(std::string_view text) {
    int width = 0;
    for (const auto& glyph : glyphsOf(text)) width += glyph.width;
    return width;
}

std::string truncateToWidth(std::string_view text, int width) {
    if (displayWidth(text) <= width) return std::string(text);
    return withEllipsis(text, width);
}

std::vector<std::string> wrapToWidth(std::string_view text, int width, std::optional<int> maxLines) {
    std::vector<std::string> lines;
    if (width <= 0 || (maxLines && *maxLines <= 0)) return lines;
    // One line more than allowed tells whether anything was left out.
    const std::size_t stopAfter = maxLines ? static_cast<std::size_t>(*maxLines) + 1 : SIZE_MAX;
    std::size_t start = 0;
    while (lines.size() < stopAfter) {
        auto end = text.find('\n', start);
        wrapParagraph(text.substr(start, end == std::string_view::npos ? end : end - start), width, stopAfter,
                      lines);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (maxLines && lines.size() > static_cast<std::size_t>(*maxLines)) {
        lines.resize(static_cast<std::size_t>(*maxLines));
        auto& last = lines.back();
        last = displayWidth(last) + 1 <= width ? last + std::string(ellipsis) : withEllipsis(last, width);
    }
    return lines;
}

}  // namespace qb::host
