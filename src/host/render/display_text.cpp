#include "host/render/display_text.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

#include <unicode/uchar.h>

#include "platform/utf8.hpp"

namespace qb::host {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;
constexpr char32_t zeroWidthJoiner = 0x200D;
constexpr std::string_view ellipsis = "…";

// Calls `visit(codePoint, utf8)` for every code point; invalid UTF-8 reads as U+FFFD.
template <class Visit>
void forEachCharacter(std::string_view text, Visit visit) {
    forEachCodePoint(text, [&](UChar32 c, std::string_view utf8) {
        if (c < 0)
            visit(replacementCharacter, std::string_view("\xEF\xBF\xBD"));
        else
            visit(static_cast<char32_t>(c), utf8);
    });
}

int codePointWidth(char32_t c) {
    // Every ASCII character, controls included, is one cell; only the rest needs the character tables.
    if (c < 0x80) return 1;
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

// Calls `visit(word)` for every run of characters between blanks.
template <class Visit>
void forEachWord(std::string_view paragraph, Visit visit) {
    std::size_t start = 0;
    while (start <= paragraph.size()) {
        auto end = paragraph.find(' ', start);
        if (end == std::string_view::npos) end = paragraph.size();
        if (end > start && !visit(paragraph.substr(start, end - start))) return;
        start = end + 1;
    }
}

// Appends what the glyphs of `text` hold: the text without the marks that have no character to sit on.
void appendGlyphText(std::string& out, std::string_view text) {
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out += text;  // one glyph a byte
        return;
    }
    bool started = false;
    forEachCharacter(text, [&](char32_t c, std::string_view utf8) {
        started = started || codePointWidth(c) > 0;
        if (started) out += utf8;
    });
}

// Greedy line filling; a word wider than a line is broken between glyphs. Stops once `stopAfter`
// lines are complete.
void wrapParagraph(std::string_view paragraph, int width, std::size_t stopAfter,
                   std::vector<std::string>& lines) {
    std::string line;
    int lineWidth = 0;
    bool stopped = false;
    auto stop = [&stopped] {
        stopped = true;
        return false;
    };
    forEachWord(paragraph, [&](std::string_view word) {
        int wordWidth = displayWidth(word);
        if (lineWidth > 0 && lineWidth + 1 + wordWidth <= width) {
            line += ' ';
            line += word;
            lineWidth += 1 + wordWidth;
            return true;
        }
        if (lineWidth > 0) {
            lines.push_back(std::move(line));
            if (lines.size() >= stopAfter) return stop();
            line.clear();
        }
        if (wordWidth <= width) {
            appendGlyphText(line, word);
            lineWidth = wordWidth;
            return true;
        }
        auto glyphs = glyphsOf(word);
        while (wordWidth > width) {
            auto [head, used] = prefixFitting(glyphs, width);
            if (used == 0) return stop();  // not even one glyph fits
            lines.push_back(head);
            if (lines.size() >= stopAfter) return stop();
            glyphs.erase(glyphs.begin(), glyphs.begin() + static_cast<std::ptrdiff_t>(glyphsOf(head).size()));
            wordWidth -= used;
        }
        line.clear();
        for (const auto& glyph : glyphs) line += glyph.text;
        lineWidth = wordWidth;
        return true;
    });
    if (!stopped) lines.push_back(std::move(line));
}

}  // namespace

std::vector<Glyph> glyphsOf(std::string_view text) {
    std::vector<Glyph> glyphs;
    bool joinNext = false;
    forEachCharacter(text, [&](char32_t c, std::string_view utf8) {
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
    // The widths of the glyphs glyphsOf() would make, without making them.
    int width = 0;
    bool started = false;
    bool joinNext = false;
    forEachCharacter(text, [&](char32_t c, std::string_view) {
        const int cells = codePointWidth(c);
        if (!(started && (cells == 0 || joinNext)) && cells > 0) {
            width += cells;
            started = true;
        }
        joinNext = c == zeroWidthJoiner;
    });
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

TextMeasure::TextMeasure(std::string_view text) : text_(text) {
    Word word;
    auto endWord = [&] {
        if (word.glyphCount > 0) words_.push_back(word);
        word = {static_cast<std::uint32_t>(glyphWidths_.size()), 0, 0};
    };
    forEachCharacter(text, [&](char32_t c, std::string_view) {
        if (c == '\n') {
            endWord();
            paragraphEnds_.push_back(words_.size());
        } else if (c == ' ') {
            endWord();
        } else {
            const int width = codePointWidth(c);
            if (width == 0) glyphPerCharacter_ = false;
            glyphWidths_.push_back(static_cast<std::uint8_t>(width));
            ++word.glyphCount;
            word.width += width;
        }
    });
    endWord();
    paragraphEnds_.push_back(words_.size());
}

int TextMeasure::prefixFitting(const Line& line, int width) const {
    int used = 0;
    for (std::size_t w = line.firstWord; w < line.endWord; ++w) {
        if (w > line.firstWord) {
            if (used + 1 > width) return used;
            ++used;  // the blank between words
        }
        const std::uint32_t begin = std::max(line.begin, words_[w].firstGlyph);
        const std::uint32_t end = std::min(line.end, words_[w].firstGlyph + words_[w].glyphCount);
        for (std::uint32_t g = begin; g < end; ++g) {
            if (used + glyphWidths_[g] > width) return used;
            used += glyphWidths_[g];
        }
    }
    return used;
}

TextExtent TextMeasure::extent(int width, std::optional<int> maxLines) const {
    if (!glyphPerCharacter_) {
        TextExtent extent;
        for (const auto& line : wrapToWidth(text_, width, maxLines)) {
            extent.width = std::max(extent.width, displayWidth(line));
            ++extent.lines;
        }
        return extent;
    }
    if (width <= 0 || (maxLines && *maxLines <= 0)) return {};
    // The same steps as wrapParagraph(), on widths alone.
    const std::size_t limit = maxLines ? static_cast<std::size_t>(*maxLines) : SIZE_MAX;
    const std::size_t stopAfter = maxLines ? limit + 1 : SIZE_MAX;
    std::size_t count = 0;
    int widestBeforeLast = 0, widest = 0;
    Line last;  // the last line within the limit
    auto push = [&](const Line& line) {
        ++count;
        if (count < limit) widestBeforeLast = std::max(widestBeforeLast, line.width);
        if (count <= limit) widest = std::max(widest, line.width);
        if (count == limit) last = line;
        return count >= stopAfter;
    };
    std::size_t firstWord = 0;
    for (const std::size_t paragraphEnd : paragraphEnds_) {
        if (count >= stopAfter) break;
        Line line{firstWord, firstWord, 0, 0, 0};
        bool stopped = false;
        for (std::size_t w = firstWord; w < paragraphEnd && !stopped; ++w) {
            const Word& word = words_[w];
            const std::uint32_t wordEnd = word.firstGlyph + word.glyphCount;
            if (line.width > 0 && line.width + 1 + word.width <= width) {
                line.endWord = w + 1;
                line.end = wordEnd;
                line.width += 1 + word.width;
                continue;
            }
            if (line.width > 0 && push(line)) {
                stopped = true;
                break;
            }
            // A word wider than a line is broken between glyphs.
            std::uint32_t begin = word.firstGlyph;
            int rest = word.width;
            while (rest > width) {
                int used = 0;
                std::uint32_t end = begin;
                while (end < wordEnd && used + glyphWidths_[end] <= width) used += glyphWidths_[end++];
                if (used == 0 || push(Line{w, w + 1, begin, end, used})) {
                    stopped = true;
                    break;
                }
                begin = end;
                rest -= used;
            }
            line = Line{w, w + 1, begin, wordEnd, rest};
        }
        if (!stopped) push(line);
        firstWord = paragraphEnd;
    }
    if (maxLines && count > limit) {
        const int cut = last.width + 1 <= width ? last.width + 1 : prefixFitting(last, width - 1) + 1;
        return {std::max(widestBeforeLast, cut), static_cast<int>(limit)};
    }
    return {widest, static_cast<int>(count)};
}

}  // namespace qb::host
