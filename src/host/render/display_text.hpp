#pragma once

// Text as a terminal shows it: measured in cells, cut and wrapped without splitting a character. The
// texts given are made inert first (platform/terminal_text.hpp).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb::host {

// One character as drawn: a base character with the marks that combine with it, and its cells (1 or 2).
struct Glyph {
    std::string text;
    int width = 1;
    friend bool operator==(const Glyph&, const Glyph&) = default;
};

// The glyphs of an inert text, in order.
std::vector<Glyph> glyphsOf(std::string_view text);

// How many cells the text takes (East Asian wide and emoji characters take two, marks none).
int displayWidth(std::string_view text);

// The text cut to at most `width` cells, ending in "…" when something was cut.
std::string truncateToWidth(std::string_view text, int width);

// The text broken into lines of at most `width` cells, at word boundaries where it can ("\n" starts a
// new line). With `maxLines`, at most that many lines; the last one ends in "…" when text was left out.
std::vector<std::string> wrapToWidth(std::string_view text, int width, std::optional<int> maxLines);

// The cells a wrapped text takes: its widest line and its number of lines.
struct TextExtent {
    int width = 0, lines = 0;
    friend bool operator==(const TextExtent&, const TextExtent&) = default;
};

// A text measured at many widths, as a layout pass does: its words and glyph widths are worked out
// once, and each extent follows wrapToWidth() line by line without building the lines.
class TextMeasure {
  public:
    explicit TextMeasure(std::string_view text);

    // The extent of wrapToWidth(text, width, maxLines).
    TextExtent extent(int width, std::optional<int> maxLines) const;

  private:
    struct Word {
        std::uint32_t firstGlyph = 0, glyphCount = 0;
        int width = 0;
    };
    // A line: the glyphs [begin, end) of the words [firstWord, endWord), a blank between words.
    struct Line {
        std::size_t firstWord = 0, endWord = 0;
        std::uint32_t begin = 0, end = 0;
        int width = 0;
    };
    int prefixFitting(const Line& line, int width) const;

    std::string text_;
    // Texts with marks, joiners or other zero-width characters are measured by wrapping them.
    bool glyphPerCharacter_ = true;
    std::vector<std::uint8_t> glyphWidths_;
    std::vector<Word> words_;
    std::vector<std::size_t> paragraphEnds_;  // one past each paragraph's last word
};

}  // namespace qb::host
