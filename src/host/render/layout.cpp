#include "host/render/layout.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "host/render/display_text.hpp"
#include "host/render/html_escape.hpp"
#include "platform/image.hpp"
#include "platform/localization.hpp"
#include "ui/symbols.hpp"

namespace qb::host {

int columnsFor(double points) {
    return points > 0 ? static_cast<int>(std::lround(points / 8.0)) : 0;
}
int linesFor(double points) {
    return points > 0 ? static_cast<int>(std::floor(points / 16.0)) : 0;
}

Rgb rgbFor(ui::Color color) {
    switch (color) {
        case ui::Color::red:
            return {255, 69, 58};
        case ui::Color::orange:
            return {255, 159, 10};
        case ui::Color::yellow:
            return {255, 214, 10};
        case ui::Color::green:
            return {48, 209, 88};
        case ui::Color::blue:
            return {10, 132, 255};
        case ui::Color::purple:
            return {191, 90, 242};
        case ui::Color::gray:
            return {152, 152, 157};
        case ui::Color::white:
            return {255, 255, 255};
        case ui::Color::clear:
            break;
    }
    return {0, 0, 0};
}

namespace {

using ui::View;
using ui::ViewKind;

enum class Axis { vertical, horizontal };

// What a view hands down to its descendants.
struct Inherited {
    std::optional<ui::Font> font;
    std::optional<ui::FontWeight> weight;
    std::optional<ui::Foreground> foreground;
    std::optional<int> lineLimit;
    ui::TextAlignment textAlignment = ui::TextAlignment::leading;
    bool accentable = false;
    int link = -1;
};

Inherited inherit(Inherited inherited, const View& view) {
    if (view.fontRole) inherited.font = view.fontRole;
    if (view.weight) inherited.weight = view.weight;
    if (view.foreground) inherited.foreground = view.foreground;
    if (view.maxLines) inherited.lineLimit = view.maxLines;
    if (view.textAlignment) inherited.textAlignment = *view.textAlignment;
    inherited.accentable = inherited.accentable || view.accentable;
    return inherited;
}

struct Insets {
    int top = 0, leading = 0, bottom = 0, trailing = 0;
};

Insets insetsOf(const View& view) {
    return {linesFor(view.insets.top), columnsFor(view.insets.leading), linesFor(view.insets.bottom),
            columnsFor(view.insets.trailing)};
}

std::optional<int> frameColumns(const View& view) {
    if (!view.frameWidth) return std::nullopt;
    return *view.frameWidth > 0 ? std::max(1, columnsFor(*view.frameWidth)) : 0;
}
std::optional<int> frameLines(const View& view) {
    if (!view.frameHeight) return std::nullopt;
    return *view.frameHeight > 0 ? std::max(1, static_cast<int>(std::lround(*view.frameHeight / 16.0))) : 0;
}

int mainOf(CellSize size, Axis axis) {
    return axis == Axis::vertical ? size.height : size.width;
}
int crossOf(CellSize size, Axis axis) {
    return axis == Axis::vertical ? size.width : size.height;
}
CellSize sizeAlong(Axis axis, int main, int cross) {
    return axis == Axis::vertical ? CellSize{cross, main} : CellSize{main, cross};
}

bool isInvisible(const View& view) {
    return view.kind == ViewKind::empty && !view.frameWidth && !view.frameHeight &&
           view.insets == ui::EdgeInsets{};
}

std::string textOf(const View& view) {
    std::string text = !view.localizable     ? view.text
                       : view.formatArgument ? localized(view.text, *view.formatArgument)
                                             : localized(view.text);
    return sanitizeForTerminal(text, true);
}

std::string symbolGlyph(const std::string& name) {
    auto glyph = sanitizeForTerminal(std::string(ui::symbolInfo(name).glyph));
    return glyph.empty() ? std::string("•") : glyph;
}

// The average colour of an image's opaque pixels, sampled at most a few thousand times.
Rgb averageColor(const Image& image) {
    const auto& rgba = image.rgba();
    const std::size_t pixels = rgba.size() / 4;
    const std::size_t step = std::max<std::size_t>(1, pixels / 4096);
    double red = 0, green = 0, blue = 0, weight = 0;
    for (std::size_t i = 0; i < pixels; i += step) {
        const double alpha = static_cast<unsigned char>(rgba[i * 4 + 3]) / 255.0;
        red += alpha * static_cast<unsigned char>(rgba[i * 4]);
        green += alpha * static_cast<unsigned char>(rgba[i * 4 + 1]);
        blue += alpha * static_cast<unsigned char>(rgba[i * 4 + 2]);
        weight += alpha;
    }
    if (weight == 0) return rgbFor(ui::Color::gray);
    return {static_cast<std::uint8_t>(red / weight), static_cast<std::uint8_t>(green / weight),
            static_cast<std::uint8_t>(blue / weight)};
}

// A URL as it may stand in an OSC 8 sequence: Quillbrook's and the desktop's schemes only, nothing but
// printable ASCII (anything else percent-encoded).
std::optional<std::string> safeLinkTarget(const std::optional<Url>& url) {
    if (!url || !isOpenableUrl(url->string())) return std::nullopt;
    std::string safe;
    for (unsigned char c : url->string()) {
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

int longestWordWidth(const std::string& text) {
    int longest = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find_first_of(" \n", start);
        if (end == std::string::npos) end = text.size();
        longest = std::max(longest, displayWidth(std::string_view(text).substr(start, end - start)));
        start = end + 1;
    }
    return longest;
}

const View* findWidgetURL(const View& view) {
    if (view.widgetDestination) return &view;
    for (const auto& child : view.children)
        if (const View* found = findWidgetURL(child)) return found;
    return nullptr;
}

class Layout {
  public:
    Layout(const ui::Environment& environment, Canvas* canvas) : environment_(environment), canvas_(canvas) {}

    CellSize measure(const View& view, CellSize proposal, const Inherited& parent) {
        const auto key = std::tuple(&view, proposal.width, proposal.height);
        if (auto found = cache_.find(key); found != cache_.end()) return found->second;
        const Inherited inherited = inherit(parent, view);
        const Insets insets = insetsOf(view);
        const CellSize inner{std::max(0, proposal.width - insets.leading - insets.trailing),
                             std::max(0, proposal.height - insets.top - insets.bottom)};
        const auto columns = frameColumns(view);
        const auto lines = frameLines(view);
        const CellSize content =
            measureContent(view, {columns.value_or(inner.width), lines.value_or(inner.height)}, inherited);
        const CellSize size{columns.value_or(content.width) + insets.leading + insets.trailing,
                            lines.value_or(content.height) + insets.top + insets.bottom};
        cache_.emplace(key, size);
        return size;
    }

    void draw(const View& view, Rect rect, const Inherited& parent, const Rect& clip) {
        Inherited inherited = inherit(parent, view);
        const Rect area = rect.intersection(clip);
        if (view.kind == ViewKind::link) {
            if (auto target = safeLinkTarget(view.destination)) inherited.link = canvas_->addLink(*target);
        }
        if (view.capsuleBackground && *view.capsuleBackground != ui::Color::clear && !tinted())
            canvas_->fillBackground(rect, rgbFor(*view.capsuleBackground), area);
        const Insets insets = insetsOf(view);
        Rect inner{rect.x + insets.leading, rect.y + insets.top,
                   std::max(0, rect.width - insets.leading - insets.trailing),
                   std::max(0, rect.height - insets.top - insets.bottom)};
        if (view.frameWidth || view.frameHeight) {
            // Content sits centred in its frame.
            const CellSize content = measureContent(view, {inner.width, inner.height}, inherited);
            inner = {inner.x + std::max(0, (inner.width - content.width) / 2),
                     inner.y + std::max(0, (inner.height - content.height) / 2),
                     std::min(content.width, inner.width), std::min(content.height, inner.height)};
        }
        drawContent(view, inner, inherited, area.intersection(inner));
        // A click anywhere on a link's row opens it, the gaps between its parts included.
        if (view.kind == ViewKind::link && inherited.link != parent.link)
            canvas_->linkUnlinkedCells(inherited.link, area);
    }

  private:
    bool tinted() const { return environment_.renderingMode != WidgetRenderingMode::fullColor; }

    CellStyle styleFor(const Inherited& inherited) const {
        CellStyle style;
        using ui::Font;
        style.bold =
            inherited.weight == ui::FontWeight::semibold ||
            (inherited.font && (*inherited.font == Font::headline || *inherited.font == Font::title3 ||
                                *inherited.font == Font::largeTitle));
        if (tinted() && inherited.accentable) {
            style.foreground = accentRgb;
        } else if (inherited.foreground) {
            if (const auto* level = std::get_if<ui::Level>(&*inherited.foreground)) {
                style.tone = *level == ui::Level::secondary  ? CellStyle::Tone::secondary
                             : *level == ui::Level::tertiary ? CellStyle::Tone::tertiary
                                                             : CellStyle::Tone::primary;
            } else if (!tinted()) {
                style.foreground = rgbFor(std::get<ui::Color>(*inherited.foreground));
            }
        }
        return style;
    }

    std::vector<std::string> linesOf(const View& view, CellSize proposal, const Inherited& inherited) const {
        const int maxLines =
            inherited.lineLimit ? std::min(*inherited.lineLimit, proposal.height) : proposal.height;
        return wrapToWidth(textOf(view), proposal.width, maxLines);
    }

    CellSize measureContent(const View& view, CellSize proposal, const Inherited& inherited) {
        switch (view.kind) {
            case ViewKind::empty:
            case ViewKind::spacer:
                return {};
            case ViewKind::text: {
                const auto lines = linesOf(view, proposal, inherited);
                int width = 0;
                for (const auto& line : lines) width = std::max(width, displayWidth(line));
                return {width, static_cast<int>(lines.size())};
            }
            case ViewKind::symbol:
                return {displayWidth(symbolGlyph(view.text)), 1};
            case ViewKind::image:
                return {view.isResizable ? std::clamp(proposal.width, 1, 2) : 1, 1};
            case ViewKind::circle:
                return {1, 1};
            case ViewKind::divider:
                return {proposal.width, 1};
            case ViewKind::link:
                return view.children.empty() ? CellSize{}
                                             : measure(view.children.front(), proposal, inherited);
            case ViewKind::vstack:
            case ViewKind::hstack:
                return planStack(view, proposal, inherited).size;
        }
        return {};
    }

    struct StackPlan {
        Axis axis = Axis::vertical;
        int spacing = 0;
        std::vector<const View*> children;
        std::vector<CellSize> sizes;  // each child's cells; dividers and spacers span the stack's cross axis
        CellSize size;
    };

    StackPlan planStack(const View& view, CellSize proposal, const Inherited& inherited) {
        StackPlan plan;
        plan.axis = view.kind == ViewKind::vstack ? Axis::vertical : Axis::horizontal;
        const Axis axis = plan.axis;
        for (const auto& child : view.children)
            if (!isInvisible(child)) plan.children.push_back(&child);
        const auto count = plan.children.size();
        if (count == 0) return plan;
        if (axis == Axis::vertical) {
            plan.spacing = view.stackSpacing ? linesFor(*view.stackSpacing) : 0;
        } else {
            plan.spacing = view.stackSpacing
                               ? (*view.stackSpacing > 0 ? std::max(1, columnsFor(*view.stackSpacing)) : 0)
                               : 1;
        }
        const int cross = crossOf(proposal, axis);
        const int available =
            std::max(0, mainOf(proposal, axis) - plan.spacing * static_cast<int>(count - 1));

        // Every child gets its least size, then the others share what is left, least flexible first.
        std::vector<int> least(count), ideal(count), given(count);
        std::vector<std::size_t> flexible, spacers;
        for (std::size_t i = 0; i < count; ++i) {
            const View& child = *plan.children[i];
            if (child.kind == ViewKind::spacer) {
                least[i] = ideal[i] = spacerLength(child, axis);
                spacers.push_back(i);
            } else if (child.kind == ViewKind::divider && isInvisibleModifiers(child)) {
                least[i] = ideal[i] = 1;
            } else {
                least[i] = mainOf(measure(child, sizeAlong(axis, 0, cross), inherited), axis);
                ideal[i] = std::max(
                    least[i], mainOf(measure(child, sizeAlong(axis, available, cross), inherited), axis));
                // A text that may wrap keeps its longest word whole where it can (up to half the row),
                // so that a row's trailing subtitle stays on its line and the title is cut instead.
                if (axis == Axis::horizontal && child.kind == ViewKind::text &&
                    !inherit(inherited, child).lineLimit)
                    least[i] = std::max(least[i],
                                        std::min({ideal[i], longestWordWidth(textOf(child)), available / 2}));
                flexible.push_back(i);
            }
            given[i] = least[i];
        }
        int remaining = available - std::accumulate(least.begin(), least.end(), 0);
        std::stable_sort(flexible.begin(), flexible.end(), [&](std::size_t a, std::size_t b) {
            return ideal[a] - least[a] < ideal[b] - least[b];
        });
        for (std::size_t k = 0; k < flexible.size() && remaining > 0; ++k) {
            const std::size_t i = flexible[k];
            const int share = remaining / static_cast<int>(flexible.size() - k);
            const int extra = std::min(ideal[i] - least[i], share);
            given[i] += extra;
            remaining -= extra;
        }

        plan.sizes.resize(count);
        int used = 0;
        int crossSize = 0;
        bool spansCross = false;
        for (std::size_t i = 0; i < count; ++i) {
            const View& child = *plan.children[i];
            if (child.kind == ViewKind::spacer) {
                used += least[i];
                continue;
            }
            if (child.kind == ViewKind::divider && isInvisibleModifiers(child)) {
                plan.sizes[i] = sizeAlong(axis, 1, cross);
                spansCross = true;
            } else {
                plan.sizes[i] = measure(child, sizeAlong(axis, given[i], cross), inherited);
                crossSize = std::max(crossSize, crossOf(plan.sizes[i], axis));
            }
            used += mainOf(plan.sizes[i], axis);
        }
        // Spacers share the rest equally, the first ones taking what does not divide.
        const int leftover = std::max(0, available - used);
        for (std::size_t k = 0; k < spacers.size(); ++k) {
            const std::size_t i = spacers[k];
            const int share = leftover / static_cast<int>(spacers.size()) +
                              (static_cast<int>(k) < leftover % static_cast<int>(spacers.size()) ? 1 : 0);
            plan.sizes[i] = sizeAlong(axis, least[i] + share, 0);
        }
        int mainSize = plan.spacing * static_cast<int>(count - 1);
        for (const auto& size : plan.sizes) mainSize += mainOf(size, axis);
        if (spansCross) crossSize = std::max(crossSize, cross);
        plan.size = sizeAlong(axis, mainSize, crossSize);
        return plan;
    }

    // Dividers and spacers with frames or padding are laid out like any other view.
    static bool isInvisibleModifiers(const View& view) {
        return !view.frameWidth && !view.frameHeight && view.insets == ui::EdgeInsets{};
    }

    static int spacerLength(const View& spacer, Axis axis) {
        if (axis == Axis::vertical) return spacer.minLength ? linesFor(*spacer.minLength) : 0;
        return spacer.minLength ? columnsFor(*spacer.minLength) : 1;
    }

    void drawContent(const View& view, const Rect& rect, const Inherited& inherited, const Rect& clip) {
        const CellStyle style = styleFor(inherited);
        switch (view.kind) {
            case ViewKind::empty:
            case ViewKind::spacer:
                return;
            case ViewKind::text: {
                const auto lines = linesOf(view, {rect.width, rect.height}, inherited);
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    const int free = rect.width - displayWidth(lines[i]);
                    const int offset = inherited.textAlignment == ui::TextAlignment::center     ? free / 2
                                       : inherited.textAlignment == ui::TextAlignment::trailing ? free
                                                                                                : 0;
                    canvas_->write(rect.x + std::max(0, offset), rect.y + static_cast<int>(i), lines[i],
                                   style, inherited.link, clip);
                }
                return;
            }
            case ViewKind::symbol:
                canvas_->write(rect.x, rect.y, symbolGlyph(view.text), style, inherited.link, clip);
                return;
            case ViewKind::image: {
                CellStyle imageStyle = style;
                if (view.image) imageStyle.foreground = averageColor(*view.image);
                canvas_->write(rect.x, rect.y, view.text.empty() ? std::string("■") : symbolGlyph(view.text),
                               imageStyle, inherited.link, clip);
                return;
            }
            case ViewKind::circle: {
                if (view.fill == ui::Color::clear) return;
                CellStyle dot = style;
                if (!tinted()) {
                    dot.foreground = rgbFor(view.fill);
                } else if (inherited.accentable) {
                    dot.foreground = accentRgb;
                }
                canvas_->write(rect.x, rect.y, "●", dot, inherited.link, clip);
                return;
            }
            case ViewKind::divider:
                drawDivider(rect, Axis::vertical, style, inherited.link, clip);
                return;
            case ViewKind::link:
                if (!view.children.empty()) draw(view.children.front(), rect, inherited, clip);
                return;
            case ViewKind::vstack:
            case ViewKind::hstack:
                drawStack(view, rect, inherited, clip);
                return;
        }
    }

    // A divider in a vertical stack is a horizontal line, in a horizontal stack a vertical one.
    void drawDivider(const Rect& rect, Axis stackAxis, CellStyle style, int link, const Rect& clip) {
        style.tone = CellStyle::Tone::tertiary;
        if (stackAxis == Axis::vertical) {
            std::string line;
            for (int i = 0; i < rect.width; ++i) line += "─";
            canvas_->write(rect.x, rect.y, line, style, link, clip);
        } else {
            for (int row = 0; row < rect.height; ++row)
                canvas_->write(rect.x, rect.y + row, "│", style, link, clip);
        }
    }

    void drawStack(const View& view, const Rect& rect, const Inherited& inherited, const Rect& clip) {
        const StackPlan plan = planStack(view, {rect.width, rect.height}, inherited);
        const Axis axis = plan.axis;
        int position = axis == Axis::vertical ? rect.y : rect.x;
        const int crossExtent = axis == Axis::vertical ? rect.width : rect.height;
        for (std::size_t i = 0; i < plan.children.size(); ++i) {
            const View& child = *plan.children[i];
            const CellSize size = plan.sizes[i];
            const int free = std::max(0, crossExtent - crossOf(size, axis));
            int offset = 0;
            if (axis == Axis::vertical) {
                offset = view.horizontalAlignment == ui::HorizontalAlignment::center     ? free / 2
                         : view.horizontalAlignment == ui::HorizontalAlignment::trailing ? free
                                                                                         : 0;
            } else {
                offset = view.verticalAlignment == ui::VerticalAlignment::center   ? free / 2
                         : view.verticalAlignment == ui::VerticalAlignment::bottom ? free
                                                                                   : 0;
            }
            const Rect childRect = axis == Axis::vertical
                                       ? Rect{rect.x + offset, position, size.width, size.height}
                                       : Rect{position, rect.y + offset, size.width, size.height};
            if (child.kind == ViewKind::divider && isInvisibleModifiers(child)) {
                const Rect line = axis == Axis::vertical ? Rect{rect.x, position, rect.width, 1}
                                                         : Rect{position, rect.y, 1, rect.height};
                drawDivider(line, axis, styleFor(inherit(inherited, child)), inherited.link, clip);
            } else if (child.kind != ViewKind::spacer) {
                draw(child, childRect, inherited, clip.intersection(childRect));
            }
            position += mainOf(size, axis) + plan.spacing;
        }
    }

    ui::Environment environment_;
    Canvas* canvas_;
    std::map<std::tuple<const View*, int, int>, CellSize> cache_;
};

}  // namespace

CellSize measureView(const ui::View& view, const ui::Environment& environment, CellSize proposal) {
    Layout layout(environment, nullptr);
    return layout.measure(view, proposal, Inherited{});
}

void drawView(const ui::View& root, const ui::Environment& environment, Canvas& canvas, const Rect& area) {
    Layout layout(environment, &canvas);
    const CellSize size = layout.measure(root, {area.width, area.height}, Inherited{});
    const Rect rect{area.x + std::max(0, (area.width - size.width) / 2),
                    area.y + std::max(0, (area.height - size.height) / 2), std::min(size.width, area.width),
                    std::min(size.height, area.height)};
    layout.draw(root, rect, Inherited{}, area);
    if (const View* widget = findWidgetURL(root)) {
        if (auto target = safeLinkTarget(widget->widgetDestination))
            canvas.linkUnlinkedCells(canvas.addLink(*target), area);
    }
}

}  // namespace qb::host
