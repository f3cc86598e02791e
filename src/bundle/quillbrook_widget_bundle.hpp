#pragma once

#include <vector>

#include "core/widget_services.hpp"
#include "widgetkit/widget.hpp"

namespace qb {

// The widgets of Quillbrook, in the order the host lists them, each reading through the services.
struct QuillbrookWidgetBundle {
    WidgetServices services = WidgetServices::system();

    std::vector<AnyWidget> body() const;
};

}  // namespace qb
