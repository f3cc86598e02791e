#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/bytes.hpp"
#include "platform/url.hpp"
#include "ui/view.hpp"

namespace qb::workspaces {

// One saved workspace of Quillbrook: its name, how many databases and windows it restores, and the link
// that asks Quillbrook to open it. Equal only when all four fields are (the link follows from the name).
struct WorkspaceItem {
    std::string id;  // the name
    std::string name;
    std::int64_t databaseCount = 0;
    std::int64_t windowCount = 0;

    WorkspaceItem() = default;
    WorkspaceItem(std::string name, std::int64_t databaseCount, std::int64_t windowCount);

    // x-quillbrook://open-workspace?name=<name>&widget=workspaces, made from the name when asked, so
    // that the workspaces a list drops cost no link.
    std::optional<Url> url() const;

    // The four workspaces the placeholder shows; made once.
    static const std::vector<WorkspaceItem>& sampleItems();

    std::string displayTitle() const { return name; }
    std::string displayIcon() const { return "rectangle.stack"; }
    std::optional<Bytes> displayIconData() const { return std::nullopt; }
    std::optional<Url> displayURL() const { return url(); }
    // "3 databases, 2 windows": both counts, zeros included, the words never singular.
    std::optional<std::string> displaySubtitle() const;
    std::optional<ui::Color> dotColor() const { return std::nullopt; }

    friend bool operator==(const WorkspaceItem&, const WorkspaceItem&) = default;
};

// Every stored field and the six displayable properties.
void to_json(nlohmann::json& json, const WorkspaceItem& item);

}  // namespace qb::workspaces

template <>
struct std::hash<qb::workspaces::WorkspaceItem> {
    std::size_t operator()(const qb::workspaces::WorkspaceItem& item) const noexcept {
        std::size_t seed = 0;
        const auto mix = [&seed](std::size_t value) {
            seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
        };
        mix(std::hash<std::string>{}(item.id));
        mix(std::hash<std::string>{}(item.name));
        mix(std::hash<std::int64_t>{}(item.databaseCount));
        mix(std::hash<std::int64_t>{}(item.windowCount));
        return seed;
    }
};
