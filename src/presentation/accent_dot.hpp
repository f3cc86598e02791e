#pragma once

#include <optional>

#include "ui/view.hpp"

namespace qb {

// The dot before a row's icon: the item's colour, tinted with the accent outside full colour, and an
// invisible dot of the same size when the item has no colour, so that titles stay aligned.
struct AccentDot {
    std::optional<ui::Color> color{};
    double size = 0;

    ui::View body(const ui::Environment& environment) const;

    friend bool operator==(const AccentDot&, const AccentDot&) = default;
};

}  // namespace qb
