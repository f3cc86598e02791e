#pragma once

#include <optional>
#include <string>

#include "ui/view.hpp"

namespace qb {

// What a widget shows when it has nothing to list: a large symbol, a headline and, optionally, a
// centred explanation, one above the other and centred.
struct EmptyStateLayout {
    std::string symbol{};
    std::string title{};                   // a key of the string table
    std::optional<std::string> message{};  // a key of the string table
    ui::Foreground symbolColor = ui::Level::secondary;

    ui::View body(const ui::Environment& environment) const;

    friend bool operator==(const EmptyStateLayout&, const EmptyStateLayout&) = default;
};

}  // namespace qb
