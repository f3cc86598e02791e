#include "host/render/cell_drawer.hpp"

#include <algorithm>

#include "host/render/cell_layout.hpp"
#include "host/render/cell_style.hpp"
#include "host/render/display_text.hpp"
#include "host/render/resolve.hpp"
#include "platform/image.hpp"

namespace qb::host {
namespace {

using Axis = resolved::Axis;

// A URL as it may stand in an OSC 8 sequence: nothing but printable ASCII (anything else
// percent-encoded).
std::string terminalLinkTarget(const Url& url) {
    std::string safe;
    for (unsigned char c : url.string()) {
        if (c > 0x20 && c < 0x7F) {
            safe += static_cast<char>(c);
        } else {
            static constexpr char hex[] = "0123456789ABCDEF";
            safe += '%';
            safe += hex[c >> 4];
            safe += hex[c & 0xF];
        }
    }
    return safe;
}

// Where a child sits across its stack, given the room it leaves free.
int crossOffset(resolved::CrossAlignment alignment, int free) {
    switch (alignment) {
        case resolved::CrossAlignment::center:
            return free / 2;
        case resolved::CrossAlignment::end:
            return free;
        case resolved::CrossAlignment::start:
        case resolved::CrossAlignment::firstTextBaseline:
            break;
    }
    return 0;
}

// Draws the nodes of a laid-out tree into the canvas.
class CellDrawer {
  public:
    CellDrawer(CellLayout& layout, Canvas& canvas, bool tinted)
        : layout_(layout), canvas_(canvas), tinted_(tinted) {}

    void draw(std::size_t index, Rect rect, int parentLink, const Rect& clip) {
        const CellLayout::Node& node = layout_.node(index);
        const resolved::Node& view = *node.view;
        int link = parentLink;
        const Rect area = rect.intersection(clip);
        const auto* linked = view.as<resolved::Link>();
        if (linked && linked->destination) link = canvas_.addLink(terminalLinkTarget(*linked->destination));
        const auto& background = view.placement.background;
        if (background && *background != ui::Color::clear && !tinted_)
            canvas_.fillBackground(rect, rgbFor(*background), area);
        const CellLayout::Insets& insets = node.insets;
        Rect inner{rect.x + insets.leading, rect.y + insets.top,
                   std::max(0, rect.width - insets.leading - insets.trailing),
                   std::max(0, rect.height - insets.top - insets.bottom)};
        if (node.columns || node.lines) {
            // Content sits centred in its frame.
            const CellSize content = layout_.measureContent(index, {inner.width, inner.height}).size;
            inner = {inner.x + std::max(0, (inner.width - content.width) / 2),
                     inner.y + std::max(0, (inner.height - content.height) / 2),
                     std::min(content.width, inner.width), std::min(content.height, inner.height)};
        }
        drawContent(index, inner, link, area.intersection(inner));
        // A click anywhere on a link's row opens it, the gaps between its parts included.
        if (linked && link != parentLink) canvas_.linkUnlinkedCells(link, area);
    }

  private:
    void drawContent(std::size_t index, const Rect& rect, int link, const Rect& clip) {
        const CellLayout::Node& node = layout_.node(index);
        const resolved::Node& view = *node.view;
        const CellStyle style = cellStyle(view.style, tinted_);
        if (node.text) {
            drawText(*node.text, view.style, rect, style, link, clip);
        } else if (view.as<resolved::Symbol>()) {
            canvas_.write(rect.x, rect.y, node.glyph, style, link, clip);
        } else if (const auto* bitmap = view.as<resolved::Bitmap>()) {
            CellStyle imageStyle = style;
            if (bitmap->image) imageStyle.foreground = averageColor(*bitmap->image);
            canvas_.write(rect.x, rect.y, "■", imageStyle, link, clip);
        } else if (const auto* circle = view.as<resolved::Circle>()) {
            drawDot(circle->fill, view.style, style, rect, link, clip);
        } else if (view.as<resolved::Divider>()) {
            // A divider with a frame or padding is laid out as a view of its own, one line high.
            drawDivider(rect, Axis::horizontal, style, link, clip);
        } else if (view.as<resolved::Link>()) {
            draw(layout_.childOf(node, 0), rect, link, clip);
        } else if (view.as<resolved::Stack>()) {
            drawStack(index, rect, link, clip);
        }
    }

    void drawText(const TextCells& text, const resolved::Style& style, const Rect& rect,
                  const CellStyle& cell, int link, const Rect& clip) {
        const int maxLines = TextCells::maxLines(style.lineLimit, {rect.width, rect.height});
        const auto lines = wrapToWidth(text.glyphs(), rect.width, maxLines);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int free = rect.width - displayWidth(lines[i]);
            const int offset = style.textAlignment == ui::TextAlignment::center     ? free / 2
                               : style.textAlignment == ui::TextAlignment::trailing ? free
                                                                                    : 0;
            canvas_.write(rect.x + std::max(0, offset), rect.y + static_cast<int>(i), lines[i], cell, link,
                          clip);
        }
    }

    // A dot in its own colour; in a tinted mode, in the accent when it belongs to the accent group.
    void drawDot(ui::Color fill, const resolved::Style& style, CellStyle cell, const Rect& rect, int link,
                 const Rect& clip) {
        if (fill == ui::Color::clear) return;
        if (!tinted_) {
            cell.foreground = rgbFor(fill);
        } else if (style.accented) {
            cell.foreground = accentRgb;
        }
        canvas_.write(rect.x, rect.y, "●", cell, link, clip);
    }

    // A line along `axis`: across a column it runs horizontally, across a row vertically.
    void drawDivider(const Rect& rect, Axis axis, CellStyle style, int link, const Rect& clip) {
        style.tone = CellStyle::Tone::tertiary;
        if (axis == Axis::horizontal) {
            std::string line;
            for (int i = 0; i < rect.width; ++i) line += "─";
            canvas_.write(rect.x, rect.y, line, style, link, clip);
        } else {
            for (int row = 0; row < rect.height; ++row)
                canvas_.write(rect.x, rect.y + row, "│", style, link, clip);
        }
    }

    void drawStack(std::size_t index, const Rect& rect, int link, const Rect& clip) {
        const std::span<const CellSize> sizes = layout_.plan(index, {rect.width, rect.height});
        const CellLayout::Node& node = layout_.node(index);
        const auto& stack = std::get<resolved::Stack>(node.view->content);
        const bool column = node.axis == Axis::vertical;
        int position = column ? rect.y : rect.x;
        for (std::size_t i = 0; i < node.childCount; ++i) {
            const std::size_t childIndex = layout_.childOf(node, i);
            const resolved::Node& child = *layout_.node(childIndex).view;
            const CellSize size = sizes[i];
            const int free = std::max(0, column ? rect.width - size.width : rect.height - size.height);
            const int offset = crossOffset(stack.alignment, free);
            const Rect childRect = column ? Rect{rect.x + offset, position, size.width, size.height}
                                          : Rect{position, rect.y + offset, size.width, size.height};
            if (CellLayout::isBareDivider(child)) {
                const Rect line =
                    column ? Rect{rect.x, position, rect.width, 1} : Rect{position, rect.y, 1, rect.height};
                drawDivider(line, column ? Axis::horizontal : Axis::vertical, cellStyle(child.style, tinted_),
                            link, clip);
            } else if (!child.as<resolved::Spacer>()) {
                draw(childIndex, childRect, link, clip.intersection(childRect));
            }
            position += (column ? size.height : size.width) + node.spacing;
        }
    }

    CellLayout& layout_;
    Canvas& canvas_;
    bool tinted_;
};

}  // namespace

void drawView(const resolved::Tree& tree, Canvas& canvas, const Rect& area) {
    CellLayout layout(tree.root);
    const CellSize size = layout.measure(0, {area.width, area.height}).size;
    const Rect rect{area.x + std::max(0, (area.width - size.width) / 2),
                    area.y + std::max(0, (area.height - size.height) / 2), std::min(size.width, area.width),
                    std::min(size.height, area.height)};
    CellDrawer(layout, canvas, tree.tinted()).draw(0, rect, -1, area);
    if (tree.widgetURL) canvas.linkUnlinkedCells(canvas.addLink(terminalLinkTarget(*tree.widgetURL)), area);
}

void drawView(const ui::View& root, const ui::Environment& environment, Canvas& canvas, const Rect& area) {
    drawView(resolve(root, environment), canvas, area);
}

}  // namespace qb::host
