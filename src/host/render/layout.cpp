#include "host/render/layout.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory_resource>
#include <span>
#include <unordered_map>
#include <vector>

#include "host/render/display_text.hpp"
#include "host/render/html_escape.hpp"
#include "platform/image.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"
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
    return inertText(text, true);
}

std::string symbolGlyph(const std::string& name) {
    auto glyph = inertText(ui::symbolInfo(name).glyph);
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

// Dividers and spacers with frames or padding are laid out like any other view.
bool isInvisibleModifiers(const View& view) {
    return !view.frameWidth && !view.frameHeight && view.insets == ui::EdgeInsets{};
}

bool isBareDivider(const View& view) {
    return view.kind == ViewKind::divider && isInvisibleModifiers(view);
}

int spacerLength(const View& spacer, Axis axis) {
    if (axis == Axis::vertical) return spacer.minLength ? linesFor(*spacer.minLength) : 0;
    return spacer.minLength ? columnsFor(*spacer.minLength) : 1;
}

bool isStack(const View& view) {
    return view.kind == ViewKind::vstack || view.kind == ViewKind::hstack;
}

// The children a view lays out: a stack's visible ones, a link's label.
template <class Visit>
void forEachLaidOutChild(const View& view, Visit visit) {
    if (isStack(view)) {
        for (const auto& child : view.children)
            if (!isInvisible(child)) visit(child);
    } else if (view.kind == ViewKind::link && !view.children.empty()) {
        visit(view.children.front());
    }
}

std::size_t laidOutNodeCount(const View& view) {
    std::size_t count = 1;
    forEachLaidOutChild(view, [&count](const View& child) { count += laidOutNodeCount(child); });
    return count;
}

// One layout pass over a tree. Every view the pass reaches gets a node that holds what it inherits and
// what its text measures, worked out once, and the sizes its content took for each proposal seen: the
// stacks offer their children a few different sizes each, and without the record every level would
// measure the whole subtree again for each of them.
class Layout {
  public:
    // The view tree must outlive the layout. The root is node 0.
    Layout(const View& root, const ui::Environment& environment, Canvas* canvas)
        : environment_(environment), canvas_(canvas), measured_(&arena_) {
        nodes_.reserve(laidOutNodeCount(root));
        measured_.reserve(nodes_.capacity() * 8);
        addNode(root, Inherited{});
        slots_.resize(slotCount_);
        flexibleOrder_.resize(slotCount_);
    }

    CellSize measure(std::size_t index, CellSize proposal) { return measureSettling(index, proposal).size; }

    void draw(std::size_t index, Rect rect, int parentLink, const Rect& clip) {
        const Node& node = nodes_[index];
        const View& view = *node.view;
        int link = parentLink;
        const Rect area = rect.intersection(clip);
        if (view.kind == ViewKind::link) {
            if (auto target = safeLinkTarget(view.destination)) link = canvas_->addLink(*target);
        }
        if (view.capsuleBackground && *view.capsuleBackground != ui::Color::clear && !tinted())
            canvas_->fillBackground(rect, rgbFor(*view.capsuleBackground), area);
        const Insets& insets = node.insets;
        Rect inner{rect.x + insets.leading, rect.y + insets.top,
                   std::max(0, rect.width - insets.leading - insets.trailing),
                   std::max(0, rect.height - insets.top - insets.bottom)};
        if (view.frameWidth || view.frameHeight) {
            // Content sits centred in its frame.
            const CellSize content = measureContent(index, {inner.width, inner.height}).size;
            inner = {inner.x + std::max(0, (inner.width - content.width) / 2),
                     inner.y + std::max(0, (inner.height - content.height) / 2),
                     std::min(content.width, inner.width), std::min(content.height, inner.height)};
        }
        drawContent(index, inner, link, area.intersection(inner));
        // A click anywhere on a link's row opens it, the gaps between its parts included.
        if (view.kind == ViewKind::link && link != parentLink) canvas_->linkUnlinkedCells(link, area);
    }

  private:
    // A size, and the least height from which the same width gives the same size (`unsettled` when
    // that is not known). A view stops growing with the height it is offered once its texts have all
    // their lines and its stacks give every child its ideal height, unless a spacer or divider
    // stretches it to whatever it is given.
    struct Measurement {
        CellSize size;
        int settlesAt = unsettled;
    };
    static constexpr int unsettled = std::numeric_limits<int>::max();

    static int settlesWithin(int settlesAt, int proposedHeight) {
        return settlesAt <= proposedHeight ? settlesAt : unsettled;
    }

    Measurement measureSettling(std::size_t index, CellSize proposal) {
        const Node& node = nodes_[index];
        const Insets& insets = node.insets;
        const CellSize inner{std::max(0, proposal.width - insets.leading - insets.trailing),
                             std::max(0, proposal.height - insets.top - insets.bottom)};
        const Measurement content =
            measureContent(index, {node.columns.value_or(inner.width), node.lines.value_or(inner.height)});
        const CellSize size{node.columns.value_or(content.size.width) + insets.leading + insets.trailing,
                            node.lines.value_or(content.size.height) + insets.top + insets.bottom};
        // A frame's height is the same whatever the height offered.
        if (node.lines) return {size, 0};
        if (content.settlesAt == unsettled) return {size, unsettled};
        return {size, settlesWithin(content.settlesAt + insets.top + insets.bottom, proposal.height)};
    }

    // A text's size wrapped to `width` in at most `maxLines` lines.
    struct Wrapped {
        int width = 0, maxLines = 0;
        CellSize size;
    };
    // Whole texts are recorded by width up to this one, wider ones with the cut ones.
    static constexpr int wholeWidthLimit = 1024;

    struct Node {
        const View* view = nullptr;
        Inherited inherited;  // without the link, which only drawing hands down
        Insets insets;
        std::optional<int> columns, lines;  // the frame
        // The children laid out (see forEachLaidOutChild), in children_.
        std::size_t firstChild = 0, childCount = 0;
        // Stacks: where the plan's slots start (childCount of them), the axis and the spacing.
        std::size_t firstSlot = 0;
        Axis axis = Axis::vertical;
        int spacing = 0;
        // Texts: the text as drawn and its longest word; symbols: the glyph and its width.
        std::string glyphs;
        std::optional<TextMeasure> measure;
        int glyphsWidth = 0, longestWord = 0;
        // What a text measured: whole, by width; cut by a line limit, by width and limit.
        std::vector<std::optional<CellSize>> whole;
        std::vector<Wrapped> cut;
    };

    // A stack's working space for one child. A stack is never planned again while its own plan is in
    // use (only its parent plans it), so each stack keeps its slots for the whole pass.
    struct Slot {
        int least = 0, ideal = 0, given = 0;
        std::size_t spacer = 0;  // the k-th spacer, by position
        CellSize size;           // the child's cells in the last plan
    };

    std::size_t addNode(const View& view, const Inherited& parent) {
        const std::size_t index = nodes_.size();
        Node& node = nodes_.emplace_back();
        node.view = &view;
        node.inherited = inherit(parent, view);
        node.insets = insetsOf(view);
        node.columns = frameColumns(view);
        node.lines = frameLines(view);
        if (view.kind == ViewKind::text) {
            node.glyphs = textOf(view);
            node.measure.emplace(node.glyphs);
            node.longestWord = longestWordWidth(node.glyphs);
        } else if (view.kind == ViewKind::symbol) {
            node.glyphs = symbolGlyph(view.text);
            node.glyphsWidth = displayWidth(node.glyphs);
        } else if (isStack(view)) {
            node.axis = view.kind == ViewKind::vstack ? Axis::vertical : Axis::horizontal;
            if (node.axis == Axis::vertical) {
                node.spacing = view.stackSpacing ? linesFor(*view.stackSpacing) : 0;
            } else {
                node.spacing =
                    view.stackSpacing
                        ? (*view.stackSpacing > 0 ? std::max(1, columnsFor(*view.stackSpacing)) : 0)
                        : 1;
            }
        }
        std::size_t count = 0;
        forEachLaidOutChild(view, [&count](const View&) { ++count; });
        node.firstChild = children_.size();
        node.childCount = count;
        node.firstSlot = slotCount_;
        if (isStack(view)) slotCount_ += count;
        children_.resize(children_.size() + count);

        // Adding the children may move the nodes: nothing below refers to `node`.
        const Inherited inherited = node.inherited;
        const std::size_t firstChild = node.firstChild;
        std::size_t k = 0;
        forEachLaidOutChild(
            view, [&](const View& child) { children_[firstChild + k++] = addNode(child, inherited); });
        return index;
    }

    const View& viewOf(std::size_t index) const { return *nodes_[index].view; }
    std::size_t childOf(const Node& node, std::size_t k) const { return children_[node.firstChild + k]; }
    std::span<Slot> slotsOf(const Node& node) {
        return std::span(slots_).subspan(node.firstSlot, node.childCount);
    }

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

    // What a stack measured for one proposal, or (`settled`) for one width from the height it settled at.
    struct MeasurementKey {
        std::size_t node = 0;
        int width = 0, height = 0;
        bool settled = false;
        friend bool operator==(const MeasurementKey&, const MeasurementKey&) = default;
    };
    struct MeasurementKeyHash {
        std::size_t operator()(const MeasurementKey& key) const {
            const std::uint64_t cells = (std::uint64_t{static_cast<std::uint32_t>(key.width)} << 32) |
                                        static_cast<std::uint32_t>(key.height);
            return std::hash<std::uint64_t>{}(cells ^ (std::uint64_t{key.node} * 0x9E3779B97F4A7C15ULL) ^
                                              (key.settled ? std::uint64_t{1} << 63 : 0));
        }
    };

    static int maxLinesFor(const Node& node, CellSize proposal) {
        return node.inherited.lineLimit ? std::min(*node.inherited.lineLimit, proposal.height)
                                        : proposal.height;
    }

    Measurement measureContent(std::size_t index, CellSize proposal) {
        Node& node = nodes_[index];
        const View& view = *node.view;
        switch (view.kind) {
            case ViewKind::empty:
            case ViewKind::spacer:
                return {{}, 0};
            case ViewKind::text:
                return textSize(node, proposal);
            case ViewKind::symbol:
                return {{node.glyphsWidth, 1}, 0};
            case ViewKind::image:
                return {{view.isResizable ? std::clamp(proposal.width, 1, 2) : 1, 1}, 0};
            case ViewKind::circle:
                return {{1, 1}, 0};
            case ViewKind::divider:
                return {{proposal.width, 1}, 0};
            case ViewKind::link:
                return node.childCount == 0 ? Measurement{{}, 0}
                                            : measureSettling(childOf(node, 0), proposal);
            case ViewKind::vstack:
            case ViewKind::hstack: {
                const MeasurementKey key{index, proposal.width, proposal.height, false};
                if (auto found = measured_.find(key); found != measured_.end()) return found->second;
                const MeasurementKey settledAt{index, proposal.width, 0, true};
                if (auto found = measured_.find(settledAt);
                    found != measured_.end() && found->second.settlesAt <= proposal.height)
                    return found->second;
                const Measurement measurement = planStack(index, proposal);
                measured_.emplace(key, measurement);
                if (measurement.settlesAt <= proposal.height) {
                    auto [settled, added] = measured_.emplace(settledAt, measurement);
                    if (!added && measurement.settlesAt < settled->second.settlesAt)
                        settled->second = measurement;
                }
                return measurement;
            }
        }
        return {};
    }

    Measurement textSize(Node& node, CellSize proposal) {
        const int width = proposal.width;
        const int maxLines = maxLinesFor(node, proposal);
        const std::optional<int> limit = node.inherited.lineLimit;
        if (width <= 0 || (limit && *limit <= 0)) return {{}, 0};
        if (maxLines <= 0) return {};
        // The whole text answers for every limit it stays within, and for every larger height.
        const auto column = static_cast<std::size_t>(width);
        const bool byColumn = width < wholeWidthLimit;
        if (byColumn && column < node.whole.size() && node.whole[column] &&
            node.whole[column]->height <= maxLines)
            return {*node.whole[column], node.whole[column]->height};
        // Cut by its own line limit, it stays so for every height from that limit up.
        const int settlesAt = limit && proposal.height >= *limit ? *limit : unsettled;
        for (const auto& seen : node.cut)
            if (seen.width == width && seen.maxLines == maxLines) return {seen.size, settlesAt};
        const TextExtent extent = node.measure->extent(width, maxLines);
        const CellSize size{extent.width, extent.lines};
        if (size.height < maxLines && byColumn) {
            // Fewer lines than allowed: nothing was left out, so this is the whole text.
            if (node.whole.size() <= column) node.whole.resize(column + 1);
            node.whole[column] = size;
            return {size, size.height};
        }
        node.cut.push_back({width, maxLines, size});
        return {size, size.height < maxLines ? size.height : settlesAt};
    }

    // Sizes the stack's children for `proposal` into its slots and answers the stack's size.
    Measurement planStack(std::size_t index, CellSize proposal) {
        const Node& node = nodes_[index];
        const std::size_t count = node.childCount;
        if (count == 0) return {{}, 0};
        const Axis axis = node.axis;
        const std::span<Slot> slots = slotsOf(node);
        const std::span<std::size_t> flexible = std::span(flexibleOrder_).subspan(node.firstSlot, count);
        const int cross = crossOf(proposal, axis);
        const int available =
            std::max(0, mainOf(proposal, axis) - node.spacing * static_cast<int>(count - 1));

        // Every child gets its least size, then the others share what is left, least flexible first.
        std::size_t flexibleCount = 0, spacerCount = 0;
        int remaining = available;
        // Where the children settle: in a row, where each of their measurements does; in a column, where
        // each child's ideal height does and where all of them fit at their ideal heights.
        int settlesAt = 0;
        int idealSum = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t childIndex = childOf(node, i);
            const View& child = viewOf(childIndex);
            Slot& slot = slots[i];
            if (child.kind == ViewKind::spacer) {
                slot.least = slot.ideal = spacerLength(child, axis);
                slots[spacerCount++].spacer = i;
            } else if (isBareDivider(child)) {
                slot.least = slot.ideal = 1;
            } else {
                const Measurement least = measureSettling(childIndex, sizeAlong(axis, 0, cross));
                const Measurement ideal = measureSettling(childIndex, sizeAlong(axis, available, cross));
                slot.least = mainOf(least.size, axis);
                slot.ideal = std::max(slot.least, mainOf(ideal.size, axis));
                settlesAt =
                    std::max({settlesAt, ideal.settlesAt, axis == Axis::horizontal ? least.settlesAt : 0});
                // A text that may wrap keeps its longest word whole where it can (up to half the row),
                // so that a row's trailing subtitle stays on its line and the title is cut instead.
                if (axis == Axis::horizontal && child.kind == ViewKind::text &&
                    !nodes_[childIndex].inherited.lineLimit)
                    slot.least = std::max(
                        slot.least, std::min({slot.ideal, nodes_[childIndex].longestWord, available / 2}));
                flexible[flexibleCount++] = i;
            }
            slot.given = slot.least;
            remaining -= slot.least;
            idealSum += slot.ideal;
        }
        // Least flexible first, in their order where equally flexible.
        const auto slack = [&slots](std::size_t i) { return slots[i].ideal - slots[i].least; };
        std::sort(flexible.begin(), flexible.begin() + static_cast<std::ptrdiff_t>(flexibleCount),
                  [&slack](std::size_t a, std::size_t b) {
                      return slack(a) != slack(b) ? slack(a) < slack(b) : a < b;
                  });
        for (std::size_t k = 0; k < flexibleCount && remaining > 0; ++k) {
            Slot& slot = slots[flexible[k]];
            const int share = remaining / static_cast<int>(flexibleCount - k);
            const int extra = std::min(slot.ideal - slot.least, share);
            slot.given += extra;
            remaining -= extra;
        }

        int used = 0;
        int crossSize = 0;
        bool spansCross = false;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t childIndex = childOf(node, i);
            const View& child = viewOf(childIndex);
            Slot& slot = slots[i];
            if (child.kind == ViewKind::spacer) {
                used += slot.least;
                continue;
            }
            if (isBareDivider(child)) {
                slot.size = sizeAlong(axis, 1, cross);
                spansCross = true;
            } else {
                const Measurement measurement =
                    measureSettling(childIndex, sizeAlong(axis, slot.given, cross));
                slot.size = measurement.size;
                if (axis == Axis::horizontal) settlesAt = std::max(settlesAt, measurement.settlesAt);
                crossSize = std::max(crossSize, crossOf(slot.size, axis));
            }
            used += mainOf(slot.size, axis);
        }
        // Spacers share the rest equally, the first ones taking what does not divide.
        const int leftover = std::max(0, available - used);
        const int spacers = static_cast<int>(spacerCount);
        for (int k = 0; k < spacers; ++k) {
            Slot& slot = slots[slots[static_cast<std::size_t>(k)].spacer];
            const int share = leftover / spacers + (k < leftover % spacers ? 1 : 0);
            slot.size = sizeAlong(axis, slot.least + share, 0);
        }
        int mainSize = node.spacing * static_cast<int>(count - 1);
        for (const Slot& slot : slots) mainSize += mainOf(slot.size, axis);
        if (spansCross) crossSize = std::max(crossSize, cross);
        const CellSize size = sizeAlong(axis, mainSize, crossSize);
        // A spacer in a column or a divider in a row stretches with the height offered.
        if ((axis == Axis::vertical && spacerCount > 0) || (axis == Axis::horizontal && spansCross))
            return {size, unsettled};
        if (axis == Axis::vertical && settlesAt != unsettled)
            settlesAt = node.spacing * static_cast<int>(count - 1) + std::max(settlesAt, idealSum);
        return {size, settlesWithin(settlesAt, proposal.height)};
    }

    void drawContent(std::size_t index, const Rect& rect, int link, const Rect& clip) {
        const Node& node = nodes_[index];
        const View& view = *node.view;
        const CellStyle style = styleFor(node.inherited);
        switch (view.kind) {
            case ViewKind::empty:
            case ViewKind::spacer:
                return;
            case ViewKind::text: {
                const auto lines =
                    wrapToWidth(node.glyphs, rect.width, maxLinesFor(node, {rect.width, rect.height}));
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    const int free = rect.width - displayWidth(lines[i]);
                    const ui::TextAlignment alignment = node.inherited.textAlignment;
                    const int offset = alignment == ui::TextAlignment::center     ? free / 2
                                       : alignment == ui::TextAlignment::trailing ? free
                                                                                  : 0;
                    canvas_->write(rect.x + std::max(0, offset), rect.y + static_cast<int>(i), lines[i],
                                   style, link, clip);
                }
                return;
            }
            case ViewKind::symbol:
                canvas_->write(rect.x, rect.y, node.glyphs, style, link, clip);
                return;
            case ViewKind::image: {
                CellStyle imageStyle = style;
                if (view.image) imageStyle.foreground = averageColor(*view.image);
                canvas_->write(rect.x, rect.y, view.text.empty() ? std::string("■") : symbolGlyph(view.text),
                               imageStyle, link, clip);
                return;
            }
            case ViewKind::circle: {
                if (view.fill == ui::Color::clear) return;
                CellStyle dot = style;
                if (!tinted()) {
                    dot.foreground = rgbFor(view.fill);
                } else if (node.inherited.accentable) {
                    dot.foreground = accentRgb;
                }
                canvas_->write(rect.x, rect.y, "●", dot, link, clip);
                return;
            }
            case ViewKind::divider:
                drawDivider(rect, Axis::vertical, style, link, clip);
                return;
            case ViewKind::link:
                if (node.childCount > 0) draw(childOf(node, 0), rect, link, clip);
                return;
            case ViewKind::vstack:
            case ViewKind::hstack:
                drawStack(index, rect, link, clip);
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

    void drawStack(std::size_t index, const Rect& rect, int link, const Rect& clip) {
        planStack(index, {rect.width, rect.height});
        const Node& node = nodes_[index];
        const View& view = *node.view;
        const Axis axis = node.axis;
        const std::span<Slot> slots = slotsOf(node);
        int position = axis == Axis::vertical ? rect.y : rect.x;
        const int crossExtent = axis == Axis::vertical ? rect.width : rect.height;
        for (std::size_t i = 0; i < node.childCount; ++i) {
            const std::size_t childIndex = childOf(node, i);
            const View& child = viewOf(childIndex);
            const CellSize size = slots[i].size;
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
            if (isBareDivider(child)) {
                const Rect line = axis == Axis::vertical ? Rect{rect.x, position, rect.width, 1}
                                                         : Rect{position, rect.y, 1, rect.height};
                drawDivider(line, axis, styleFor(nodes_[childIndex].inherited), link, clip);
            } else if (child.kind != ViewKind::spacer) {
                draw(childIndex, childRect, link, clip.intersection(childRect));
            }
            position += mainOf(size, axis) + node.spacing;
        }
    }

    ui::Environment environment_;
    Canvas* canvas_;
    std::vector<Node> nodes_;
    std::vector<std::size_t> children_;  // each node's laid-out children, one run per node
    std::size_t slotCount_ = 0;
    std::vector<Slot> slots_;                 // the stacks' slots, one run per stack
    std::vector<std::size_t> flexibleOrder_;  // the stacks' flexible children in sharing order, likewise
    // What the stacks measured, by node and proposal; its entries live as long as the pass.
    std::pmr::monotonic_buffer_resource arena_;
    std::pmr::unordered_map<MeasurementKey, Measurement, MeasurementKeyHash> measured_;
};

}  // namespace

CellSize measureView(const ui::View& view, const ui::Environment& environment, CellSize proposal) {
    Layout layout(view, environment, nullptr);
    return layout.measure(0, proposal);
}

void drawView(const ui::View& root, const ui::Environment& environment, Canvas& canvas, const Rect& area) {
    Layout layout(root, environment, &canvas);
    const CellSize size = layout.measure(0, {area.width, area.height});
    const Rect rect{area.x + std::max(0, (area.width - size.width) / 2),
                    area.y + std::max(0, (area.height - size.height) / 2), std::min(size.width, area.width),
                    std::min(size.height, area.height)};
    layout.draw(0, rect, -1, area);
    if (const View* widget = findWidgetURL(root)) {
        if (auto target = safeLinkTarget(widget->widgetDestination))
            canvas.linkUnlinkedCells(canvas.addLink(*target), area);
    }
}

}  // namespace qb::host
