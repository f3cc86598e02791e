#include "host/render/view_greed.hpp"

namespace qb::host {

Greed greedOf(const resolved::Node& node) {
    using resolved::Axis;
    Greed greed;
    const auto takeFrom = [&greed](const resolved::Node& child) {
        const Greed childGreed = greedOf(child);
        greed.width = greed.width || childGreed.width;
        greed.height = greed.height || childGreed.height;
    };
    if (const auto* stack = node.as<resolved::Stack>()) {
        for (const resolved::Node& child : stack->children) {
            if (child.as<resolved::Spacer>())
                (stack->axis == Axis::vertical ? greed.height : greed.width) = true;
            takeFrom(child);
        }
    } else if (const auto* link = node.as<resolved::Link>()) {
        takeFrom(*link->label);
    } else if (const auto* divider = node.as<resolved::Divider>()) {
        greed = divider->axis == Axis::vertical ? Greed{false, true} : Greed{true, false};
    } else if (node.as<resolved::Circle>()) {
        greed = Greed{!node.placement.frame.width, !node.placement.frame.height};
    }
    if (node.placement.frame.width) greed.width = false;
    if (node.placement.frame.height) greed.height = false;
    return greed;
}

}  // namespace qb::host
