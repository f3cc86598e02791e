#pragma once

#include <optional>
#include <string>

#include "platform/bytes.hpp"
#include "ui/view.hpp"

namespace qb {

// The icon that leads a list row: the item's own image in full colour when its bytes decode, else the
// symbol for its kind. Either way it occupies a square of `size` points.
struct ItemIconView {
    std::optional<Bytes> data{};
    std::string sfSymbol{};
    double size = 0;

    ui::View body(const ui::Environment& environment) const;

    friend bool operator==(const ItemIconView&, const ItemIconView&) = default;
};

}  // namespace qb
