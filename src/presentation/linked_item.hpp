#pragma once

#include <functional>
#include <optional>

#include "platform/url.hpp"
#include "ui/view.hpp"

namespace qb {

// Makes its content a click target that opens `url`; without a URL the content is shown alone, inert.
struct LinkedItem {
    std::optional<Url> url{};
    std::function<ui::View()> content{};

    ui::View body(const ui::Environment&) const {
        ui::View label = content ? content() : ui::emptyView();
        return ui::link(url, std::move(label));
    }
};

}  // namespace qb
