#pragma once

// One layout pass over a resolved tree on a grid of terminal cells, as the view framework would lay it
// out in points. Stacks place their children in order; the least flexible children are sized first,
// flexible spacers share what height or width is left, and content that does not fit is cut at the
// edge of the space it was given.
//
// Every view the pass reaches gets a node that holds what it measures, worked out once, and the sizes
// its content took for each proposal seen: the stacks offer their children a few different sizes
// each, and without the record every level would measure the whole subtree again for each of them.

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/render/cells.hpp"
#include "host/render/resolved_view.hpp"
#include "host/render/stack_planner.hpp"
#include "host/render/text_cells.hpp"

namespace qb::host {

class CellLayout {
  public:
    using Axis = resolved::Axis;

    struct Insets {
        int top = 0, leading = 0, bottom = 0, trailing = 0;
    };

    struct Node {
        const resolved::Node* view = nullptr;
        Insets insets;
        std::optional<int> columns, lines;  // the frame
        // The children laid out (a stack's visible ones, a link's label), in children_.
        std::size_t firstChild = 0, childCount = 0;
        // Stacks: where their slots start (childCount of them), the axis and the spacing.
        std::size_t firstSlot = 0;
        Axis axis = Axis::vertical;
        int spacing = 0;
        std::optional<TextCells> text;  // texts
        std::string glyph;              // symbols: the glyph drawn
        int glyphWidth = 0;
    };

    // The tree must outlive the layout. The root is node 0.
    explicit CellLayout(const resolved::Node& root);

    const Node& node(std::size_t index) const { return nodes_[index]; }
    std::size_t childOf(const Node& node, std::size_t k) const { return children_[node.firstChild + k]; }

    // The cells a view takes when offered `proposal`, padding and frame included, and where it settles.
    Measurement measure(std::size_t index, CellSize proposal);
    // The same for its content alone (inside padding and frame).
    Measurement measureContent(std::size_t index, CellSize proposal);
    // Plans the stack for `proposal`: the cells each of its laid-out children takes, in order.
    std::span<const CellSize> plan(std::size_t index, CellSize proposal);

    // A divider without frame or padding: a line across the stack, one cell thick.
    static bool isBareDivider(const resolved::Node& view);

  private:
    // What a stack measured for one proposal, or (`settled`) for one width from the height it settled at.
    struct MeasurementKey {
        std::size_t node = 0;
        int width = 0, height = 0;
        bool settled = false;
        friend bool operator==(const MeasurementKey&, const MeasurementKey&) = default;
    };
    struct MeasurementKeyHash {
        std::size_t operator()(const MeasurementKey& key) const;
    };
    struct ContentMeasure;

    std::size_t addNode(const resolved::Node& view);
    Measurement stackSize(std::size_t index, CellSize proposal);
    Measurement planStack(std::size_t index, CellSize proposal);
    // Step 1 of a plan: each child's least and ideal length; answers where the children settle and
    // the sum of their ideal lengths.
    std::pair<int, int> measureSlots(const Node& node, int available, int cross);
    struct Taken {
        int crossSize = 0;
        bool spansCross = false;
        int settlesAt = 0;
    };
    // Step 2: each child measured at the length offered.
    Taken takeLengths(const Node& node, int cross);

    std::span<AxisSlot> slotsOf(const Node& node) {
        return std::span(slots_).subspan(node.firstSlot, node.childCount);
    }
    std::span<CellSize> sizesOf(const Node& node) {
        return std::span(sizes_).subspan(node.firstSlot, node.childCount);
    }

    std::vector<Node> nodes_;
    std::vector<std::size_t> children_;  // each node's laid-out children, one run per node
    std::size_t slotCount_ = 0;
    // The stacks' working space, one run per stack: a stack is never planned again while its own plan
    // is in use (only its parent plans it), so each keeps its slots for the whole pass.
    std::vector<AxisSlot> slots_;
    std::vector<CellSize> sizes_;       // the cells each child took in the last plan
    std::vector<std::size_t> sharing_;  // the planner's room for its sharing order
    // What the stacks measured, by node and proposal; its entries live as long as the pass.
    std::pmr::monotonic_buffer_resource arena_;
    std::pmr::unordered_map<MeasurementKey, Measurement, MeasurementKeyHash> measured_;
};

}  // namespace qb::host
