#pragma once

// A grid of terminal cells that the layout draws into, written out as plain text or with SGR styles
// and OSC 8 hyperlinks.

#include <optional>
#include <string>
#include <vector>

#include "host/render/terminal_colors.hpp"

namespace qb::host {

struct CellStyle {
    enum class Tone { primary, secondary, tertiary };
    bool bold = false;
    Tone tone = Tone::primary;
    std::optional<Rgb> foreground;
    std::optional<Rgb> background;
    friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    Rect intersection(const Rect& other) const;
    bool contains(int column, int row) const {
        return column >= x && column < x + width && row >= y && row < y + height;
    }
};

class Canvas {
  public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Writes an already sanitized text from (x, y) rightwards, glyph by glyph, keeping inside `clip`
    // (a wide glyph that would stand half outside is left out). `link` indexes links(), -1 for none.
    void write(int x, int y, const std::string& text, const CellStyle& style, int link, const Rect& clip);
    // Paints the background of the cells in the rectangle (inside `clip`).
    void fillBackground(const Rect& rect, const Rgb& color, const Rect& clip);
    // Makes every cell in the area without a link of its own open `link`.
    void linkUnlinkedCells(int link, const Rect& area);
    // Adds a link target (already made safe) and returns its index.
    int addLink(std::string url);

    // The rows of text: plain, or with escape sequences for styles, colours of the depth and hyperlinks.
    std::vector<std::string> rows(Styling styling) const;
    // The text of one row without styles (for tests and plain output).
    std::string plainRow(int y) const;

  private:
    struct Cell {
        std::string text = " ";
        int width = 1;  // 0 for the right half of a wide glyph
        CellStyle style;
        int link = -1;
    };
    Cell& at(int x, int y) { return cells_[static_cast<std::size_t>(y * width_ + x)]; }
    const Cell& at(int x, int y) const { return cells_[static_cast<std::size_t>(y * width_ + x)]; }
    void clearWide(int x, int y);

    int width_, height_;
    std::vector<Cell> cells_;
    std::vector<std::string> links_;
};

// The SGR sequence that switches to a style from the default one, its colours at a depth.
std::string sgrFor(const CellStyle& style, Styling depth);
// An OSC 8 hyperlink opening (a URL) or closing (an empty URL).
std::string osc8(const std::string& url);

}  // namespace qb::host
