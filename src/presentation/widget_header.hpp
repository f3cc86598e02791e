#pragma once

#include <string>

#include "ui/view.hpp"

namespace qb {

// The title line of the medium and larger layouts: a localizable title at the leading edge and a
// caller-formatted subtitle at the trailing edge, on one text baseline.
struct WidgetHeader {
    std::string title{};     // a key of the string table
    std::string subtitle{};  // shown verbatim

    ui::View body(const ui::Environment& environment) const;

    friend bool operator==(const WidgetHeader&, const WidgetHeader&) = default;
};

}  // namespace qb
