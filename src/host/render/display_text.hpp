#pragma once

// Text as a terminal shows it: made safe (no control characters), measured in cells, cut and wrapped
// without splitting a character.

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

// The text with everything a terminal would act on removed: C0 controls, DEL, C1 controls (ESC
// included) and bidirectional overrides are dropped, a tab becomes a blank, invalid UTF-8 becomes
// U+FFFD. Line breaks are kept as "\n" when `keepLineBreaks`, else they become blanks.
std::string sanitizeForTerminal(std::string_view text, bool keepLineBreaks = false);

// The glyphs of a sanitized text, in order.
std::vector<Glyph> glyphsOf(std::string_view text);

// How many cells the text takes (East Asian wide and emoji characters take two, marks none).
int displayWidth(std::string_view text);

// The text cut to at most `width` cells, ending in "…" when something was cut.
std::string truncateToWidth(std::string_view text, int width);

// The text broken into lines of at most `width` cells, at word boundaries where it can ("\n" starts a
// new line). With `maxLines`, at most that many lines; the last one ends in "…" when text was left out.
std::vector<std::string> wrapToWidth(std::string_view text, int width, std::optional<int> maxLines);

}  // namespace qb::host
