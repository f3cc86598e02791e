#include "host/render/cell_layout.hpp"

#include <algorithm>
#include <cmath>

#include "host/render/display_text.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

using Axis = resolved::Axis;

int mainOf(CellSize size, Axis axis) {
    return axis == Axis::vertical ? size.height : size.width;
}
int crossOf(CellSize size, Axis axis) {
    return axis == Axis::vertical ? size.width : size.height;
}
CellSize sizeAlong(Axis axis, int main, int cross) {
    return axis == Axis::vertical ? CellSize{cross, main} : CellSize{main, cross};
}

bool hasNoPlacement(const resolved::Node& view) {
    return view.placement.frame == ui::Frame{} && view.placement.padding == ui::EdgeInsets{};
}

// An empty view without frame or padding takes no place, not even the spacing around it.
bool isInvisible(const resolved::Node& view) {
    return view.as<resolved::Empty>() && hasNoPlacement(view);
}

CellLayout::Insets insetsOf(const ui::EdgeInsets& padding) {
    return {linesFor(padding.top), columnsFor(padding.leading), linesFor(padding.bottom),
            columnsFor(padding.trailing)};
}

std::optional<int> frameColumns(const ui::Frame& frame) {
    if (!frame.width) return std::nullopt;
    return *frame.width > 0 ? std::max(1, columnsFor(*frame.width)) : 0;
}
std::optional<int> frameLines(const ui::Frame& frame) {
    if (!frame.height) return std::nullopt;
    return *frame.height > 0 ? std::max(1, static_cast<int>(std::lround(*frame.height / 16.0))) : 0;
}

int spacingOf(const resolved::Stack& stack) {
    if (stack.axis == Axis::vertical) return linesFor(stack.spacing);
    return stack.spacing > 0 ? std::max(1, columnsFor(stack.spacing)) : 0;
}

int spacerLength(const resolved::Spacer& spacer, Axis axis) {
    return axis == Axis::vertical ? linesFor(spacer.minLength) : columnsFor(spacer.minLength);
}

std::string symbolGlyph(const ui::SymbolInfo& info) {
    auto glyph = inertText(info.glyph);
    return glyph.empty() ? std::string("•") : glyph;
}

// The children a view lays out: a stack's visible ones, a link's label.
template <class Visit>
void forEachLaidOutChild(const resolved::Node& view, Visit visit) {
    if (const auto* stack = view.as<resolved::Stack>()) {
        for (const auto& child : stack->children)
            if (!isInvisible(child)) visit(child);
    } else if (const auto* link = view.as<resolved::Link>()) {
        visit(*link->label);
    }
}

std::size_t laidOutNodeCount(const resolved::Node& view) {
    std::size_t count = 1;
    forEachLaidOutChild(view, [&count](const resolved::Node& child) { count += laidOutNodeCount(child); });
    return count;
}

}  // namespace

bool CellLayout::isBareDivider(const resolved::Node& view) {
    return view.as<resolved::Divider>() && hasNoPlacement(view);
}

std::size_t CellLayout::MeasurementKeyHash::operator()(const MeasurementKey& key) const {
    const std::uint64_t cells =
        (std::uint64_t{static_cast<std::uint32_t>(key.width)} << 32) | static_cast<std::uint32_t>(key.height);
    return std::hash<std::uint64_t>{}(cells ^ (std::uint64_t{key.node} * 0x9E3779B97F4A7C15ULL) ^
                                      (key.settled ? std::uint64_t{1} << 63 : 0));
}

CellLayout::CellLayout(const resolved::Node& root) : measured_(&arena_) {
    nodes_.reserve(laidOutNodeCount(root));
    measured_.reserve(nodes_.capacity() * 8);
    addNode(root);
    slots_.resize(slotCount_);
    sizes_.resize(slotCount_);
    sharing_.resize(slotCount_);
}

std::size_t CellLayout::addNode(const resolved::Node& view) {
    const std::size_t index = nodes_.size();
    Node& node = nodes_.emplace_back();
    node.view = &view;
    node.insets = insetsOf(view.placement.padding);
    node.columns = frameColumns(view.placement.frame);
    node.lines = frameLines(view.placement.frame);
    if (const auto* text = view.as<resolved::Text>()) {
        node.text.emplace(inertText(text->string, true));
    } else if (const auto* symbol = view.as<resolved::Symbol>()) {
        node.glyph = symbolGlyph(*symbol->info);
        node.glyphWidth = displayWidth(node.glyph);
    } else if (const auto* stack = view.as<resolved::Stack>()) {
        node.axis = stack->axis;
        node.spacing = spacingOf(*stack);
    }
    std::size_t count = 0;
    forEachLaidOutChild(view, [&count](const resolved::Node&) { ++count; });
    node.firstChild = children_.size();
    node.childCount = count;
    node.firstSlot = slotCount_;
    if (view.as<resolved::Stack>()) slotCount_ += count;
    children_.resize(children_.size() + count);

    // Adding the children may move the nodes: nothing below refers to `node`.
    const std::size_t firstChild = node.firstChild;
    std::size_t k = 0;
    forEachLaidOutChild(view,
                        [&](const resolved::Node& child) { children_[firstChild + k++] = addNode(child); });
    return index;
}

Measurement CellLayout::measure(std::size_t index, CellSize proposal) {
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
    if (content.settlesAt == Measurement::unsettled) return {size, Measurement::unsettled};
    return {size, settlesWithin(content.settlesAt + insets.top + insets.bottom, proposal.height)};
}

// One node's content measured by its kind.
struct CellLayout::ContentMeasure {
    CellLayout& layout;
    std::size_t index;
    CellSize proposal;

    Measurement operator()(const resolved::Empty&) const { return {{}, 0}; }
    Measurement operator()(const resolved::Spacer&) const { return {{}, 0}; }
    Measurement operator()(const resolved::Text&) const {
        Node& node = layout.nodes_[index];
        return node.text->size(proposal, node.view->style.lineLimit);
    }
    Measurement operator()(const resolved::Symbol&) const {
        return {{layout.nodes_[index].glyphWidth, 1}, 0};
    }
    Measurement operator()(const resolved::Bitmap& bitmap) const {
        return {{bitmap.resizable ? std::clamp(proposal.width, 1, 2) : 1, 1}, 0};
    }
    Measurement operator()(const resolved::Circle&) const { return {{1, 1}, 0}; }
    Measurement operator()(const resolved::Divider&) const { return {{proposal.width, 1}, 0}; }
    Measurement operator()(const resolved::Link&) const {
        return layout.measure(layout.childOf(layout.nodes_[index], 0), proposal);
    }
    Measurement operator()(const resolved::Stack&) const { return layout.stackSize(index, proposal); }
};

Measurement CellLayout::measureContent(std::size_t index, CellSize proposal) {
    return std::visit(ContentMeasure{*this, index, proposal}, nodes_[index].view->content);
}

Measurement CellLayout::stackSize(std::size_t index, CellSize proposal) {
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
        if (!added && measurement.settlesAt < settled->second.settlesAt) settled->second = measurement;
    }
    return measurement;
}

std::span<const CellSize> CellLayout::plan(std::size_t index, CellSize proposal) {
    planStack(index, proposal);
    return sizesOf(nodes_[index]);
}

Measurement CellLayout::planStack(std::size_t index, CellSize proposal) {
    const Node& node = nodes_[index];
    const std::size_t count = node.childCount;
    if (count == 0) return {{}, 0};
    const Axis axis = node.axis;
    const int cross = crossOf(proposal, axis);
    const int gaps = node.spacing * static_cast<int>(count - 1);
    const int available = std::max(0, mainOf(proposal, axis) - gaps);

    auto [settlesAt, idealSum] = measureSlots(node, available, cross);
    offerLengths(slotsOf(node), available, std::span(sharing_).subspan(node.firstSlot, count));
    const Taken taken = takeLengths(node, cross);
    if (axis == Axis::horizontal) settlesAt = std::max(settlesAt, taken.settlesAt);
    const int mainSize = gaps + stretchSpacers(slotsOf(node), available);
    const std::span<const AxisSlot> slots = slotsOf(node);
    const std::span<CellSize> sizes = sizesOf(node);
    bool hasSpacer = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (!slots[i].spacer) continue;
        sizes[i] = sizeAlong(axis, slots[i].length, 0);
        hasSpacer = true;
    }
    const int crossSize = taken.spansCross ? std::max(taken.crossSize, cross) : taken.crossSize;
    const CellSize size = sizeAlong(axis, mainSize, crossSize);
    // A spacer in a column or a divider in a row stretches with the height offered.
    if ((axis == Axis::vertical && hasSpacer) || (axis == Axis::horizontal && taken.spansCross))
        return {size, Measurement::unsettled};
    if (axis == Axis::vertical && settlesAt != Measurement::unsettled)
        settlesAt = gaps + std::max(settlesAt, idealSum);
    return {size, settlesWithin(settlesAt, proposal.height)};
}

std::pair<int, int> CellLayout::measureSlots(const Node& node, int available, int cross) {
    const Axis axis = node.axis;
    const std::span<AxisSlot> slots = slotsOf(node);
    // Where the children settle: in a row, where each of their measurements does; in a column, where
    // each child's ideal height does and where all of them fit at their ideal heights.
    int settlesAt = 0, idealSum = 0;
    for (std::size_t i = 0; i < node.childCount; ++i) {
        const std::size_t childIndex = childOf(node, i);
        const resolved::Node& child = *nodes_[childIndex].view;
        AxisSlot& slot = slots[i];
        slot.spacer = false;
        if (const auto* spacer = child.as<resolved::Spacer>()) {
            slot.least = slot.ideal = spacerLength(*spacer, axis);
            slot.spacer = true;
        } else if (isBareDivider(child)) {
            slot.least = slot.ideal = 1;
        } else {
            const Measurement least = measure(childIndex, sizeAlong(axis, 0, cross));
            const Measurement ideal = measure(childIndex, sizeAlong(axis, available, cross));
            slot.least = mainOf(least.size, axis);
            slot.ideal = std::max(slot.least, mainOf(ideal.size, axis));
            settlesAt =
                std::max({settlesAt, ideal.settlesAt, axis == Axis::horizontal ? least.settlesAt : 0});
            // A text that may wrap keeps its longest word whole where it can (up to half the row), so
            // that a row's trailing subtitle stays on its line and the title is cut instead.
            const Node& measured = nodes_[childIndex];
            if (axis == Axis::horizontal && measured.text && !child.style.lineLimit)
                slot.least =
                    std::max(slot.least, std::min({slot.ideal, measured.text->longestWord(), available / 2}));
        }
        idealSum += slot.ideal;
    }
    return {settlesAt, idealSum};
}

CellLayout::Taken CellLayout::takeLengths(const Node& node, int cross) {
    const Axis axis = node.axis;
    const std::span<AxisSlot> slots = slotsOf(node);
    const std::span<CellSize> sizes = sizesOf(node);
    Taken taken;
    for (std::size_t i = 0; i < node.childCount; ++i) {
        const std::size_t childIndex = childOf(node, i);
        AxisSlot& slot = slots[i];
        if (slot.spacer) continue;
        if (isBareDivider(*nodes_[childIndex].view)) {
            sizes[i] = sizeAlong(axis, 1, cross);
            taken.spansCross = true;
        } else {
            const Measurement measurement = measure(childIndex, sizeAlong(axis, slot.length, cross));
            sizes[i] = measurement.size;
            taken.settlesAt = std::max(taken.settlesAt, measurement.settlesAt);
            taken.crossSize = std::max(taken.crossSize, crossOf(sizes[i], axis));
        }
        slot.length = mainOf(sizes[i], axis);
    }
    return taken;
}

}  // namespace qb::host
