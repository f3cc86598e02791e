#pragma once

#include <optional>
#include <string>

#include "presentation/displayable_item.hpp"

namespace qb::test {

// A list item with every displayable property settable, for the layout tests.
struct TestItem {
    std::string id{};
    std::string title{};
    std::string icon = "doc";
    std::optional<Bytes> iconData{};
    std::optional<Url> url{};
    std::optional<std::string> subtitle{};
    std::optional<ui::Color> color{};

    std::string displayTitle() const { return title; }
    std::string displayIcon() const { return icon; }
    std::optional<Bytes> displayIconData() const { return iconData; }
    std::optional<Url> displayURL() const { return url; }
    std::optional<std::string> displaySubtitle() const { return subtitle; }
    std::optional<ui::Color> dotColor() const { return color; }

    friend bool operator==(const TestItem&, const TestItem&) = default;
};
static_assert(DisplayableItem<TestItem>);

// An item "i<n>" titled "Item <n>" that links to x-quillbrook-item://i<n>.
inline TestItem linkedItem(int n) {
    const std::string id = "i" + std::to_string(n);
    return TestItem{
        .id = id, .title = "Item " + std::to_string(n), .url = Url::parse("x-quillbrook-item://" + id)};
}

}  // namespace qb::test
