#pragma once

#include <vector>

#include "widgetkit/widget.hpp"

namespace qb {

// The widgets of Quillbrook, in the order the host lists them.
struct QuillbrookWidgetBundle {
    std::vector<AnyWidget> body() const;
};

}  // namespace qb
