#pragma once

// How much room a view takes in its stack, shared by the renderers that lay views out with their
// toolkit's boxes (HTML flex boxes, GTK boxes).

#include "host/render/resolved_view.hpp"

namespace qb::host {

// Whether a view takes all the room its parent offers, across or along: a stack that holds a spacer
// along its axis, a divider along its line, a circle without a fixed size, and whatever holds one of
// them (unless a fixed frame says otherwise).
struct Greed {
    bool width = false;
    bool height = false;
};

Greed greedOf(const resolved::Node& node);

}  // namespace qb::host
