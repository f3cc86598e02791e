#include "host/render/canvas.hpp"

#include <algorithm>

#include "host/render/display_text.hpp"

namespace qb::host {

Rect Rect::intersection(const Rect& other) const {
    const int left = std::max(x, other.x);
    const int top = std::max(y, other.y);
    const int right = std::min(x + width, other.x + other.width);
    const int bottom = std::min(y + height, other.y + other.height);
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

Canvas::Canvas(int width, int height)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      cells_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {}

void Canvas::clearWide(int x, int y) {
    // Overwriting either half of a wide glyph leaves the other half blank.
    if (at(x, y).width == 0 && x > 0) at(x - 1, y) = Cell{" ", 1, at(x - 1, y).style, at(x - 1, y).link};
    if (at(x, y).width == 2 && x + 1 < width_) at(x + 1, y) = Cell{" ", 1, at(x, y).style, at(x, y).link};
}

void Canvas::write(int x, int y, const std::string& text, const CellStyle& style, int link,
                   const Rect& clip) {
    const Rect area = clip.intersection({0, 0, width_, height_});
    if (y < area.y || y >= area.y + area.height) return;
    int column = x;
    for (const auto& glyph : glyphsOf(text)) {
        const bool inside = column >= area.x && column + glyph.width <= area.x + area.width;
        if (inside) {
            for (int i = 0; i < glyph.width; ++i) clearWide(column + i, y);
            at(column, y) = Cell{glyph.text, glyph.width, style, link};
            if (glyph.width == 2) at(column + 1, y) = Cell{"", 0, style, link};
        }
        column += glyph.width;
        if (column >= area.x + area.width) break;
    }
}

void Canvas::fillBackground(const Rect& rect, const Rgb& color, const Rect& clip) {
    const Rect area = rect.intersection(clip).intersection({0, 0, width_, height_});
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x) at(x, y).style.background = color;
}

void Canvas::linkUnlinkedCells(int link, const Rect& area) {
    const Rect inside = area.intersection({0, 0, width_, height_});
    for (int y = inside.y; y < inside.y + inside.height; ++y)
        for (int x = inside.x; x < inside.x + inside.width; ++x)
            if (at(x, y).link < 0) at(x, y).link = link;
}

int Canvas::addLink(std::string url) {
    links_.push_back(std::move(url));
    return static_cast<int>(links_.size()) - 1;
}

std::string Canvas::plainRow(int y) const {
    std::string row;
    for (int x = 0; x < width_; ++x) row += at(x, y).text;
    return row;
}

std::vector<std::string> Canvas::rows(Styling styling) const {
    std::vector<std::string> rows;
    for (int y = 0; y < height_; ++y) {
        if (styling == Styling::plain) {
            rows.push_back(plainRow(y));
            continue;
        }
        std::string row;
        CellStyle current;
        int currentLink = -1;
        for (int x = 0; x < width_; ++x) {
            const Cell& cell = at(x, y);
            if (cell.width == 0) continue;
            if (cell.link != currentLink) {
                if (currentLink >= 0) row += osc8("");
                if (cell.link >= 0) row += osc8(links_[static_cast<std::size_t>(cell.link)]);
                currentLink = cell.link;
            }
            if (cell.style != current) {
                if (current != CellStyle{}) row += "\x1b[0m";
                row += sgrFor(cell.style, styling);
                current = cell.style;
            }
            row += cell.text;
        }
        if (current != CellStyle{}) row += "\x1b[0m";
        if (currentLink >= 0) row += osc8("");
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string sgrFor(const CellStyle& style, Styling depth) {
    std::string codes;
    auto add = [&](const std::string& code) { codes += (codes.empty() ? "" : ";") + code; };
    if (style.bold) add("1");
    if (style.tone == CellStyle::Tone::secondary) add("2");
    if (style.tone == CellStyle::Tone::tertiary) add("2;3");
    if (style.foreground) add(colorParameters(*style.foreground, depth, false));
    if (style.background) add(colorParameters(*style.background, depth, true));
    return codes.empty() ? std::string() : "\x1b[" + codes + "m";
}

std::string osc8(const std::string& url) {
    return "\x1b]8;;" + url + "\x1b\\";
}

}  // namespace qb::host
