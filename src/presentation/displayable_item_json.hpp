#pragma once

#include <nlohmann/json.hpp>

#include "platform/json.hpp"
#include "presentation/displayable_item.hpp"
#include "ui/view.hpp"

namespace qb {

// Adds the six properties a list row reads to an item's JSON object: absent values as null, icon bytes
// as base64, the link as its text and the dot colour by name.
template <DisplayableItem T>
void addDisplayableFields(nlohmann::json& object, const T& item) {
    object["displayTitle"] = item.displayTitle();
    object["displayIcon"] = item.displayIcon();
    object["displayIconData"] = toJson(item.displayIconData());
    object["displayURL"] = toJson(item.displayURL());
    const auto subtitle = item.displaySubtitle();
    object["displaySubtitle"] = subtitle ? nlohmann::json(*subtitle) : nlohmann::json(nullptr);
    const auto color = item.dotColor();
    object["dotColor"] = color ? nlohmann::json(std::string(ui::colorName(*color))) : nlohmann::json(nullptr);
}

}  // namespace qb
