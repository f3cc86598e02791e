#include "environment/family.hpp"

#include <array>
#include <utility>

namespace qb {
namespace {

constexpr std::array families{
    std::pair{WidgetFamily::systemSmall, std::string_view("systemSmall")},
    std::pair{WidgetFamily::systemMedium, std::string_view("systemMedium")},
    std::pair{WidgetFamily::systemLarge, std::string_view("systemLarge")},
    std::pair{WidgetFamily::systemExtraLarge, std::string_view("systemExtraLarge")},
    std::pair{WidgetFamily::accessoryRectangular, std::string_view("accessoryRectangular")},
};
constexpr std::array modes{
    std::pair{WidgetRenderingMode::fullColor, std::string_view("fullColor")},
    std::pair{WidgetRenderingMode::accented, std::string_view("accented")},
    std::pair{WidgetRenderingMode::vibrant, std::string_view("vibrant")},
};

template <class Table, class Value>
std::string_view nameIn(const Table& table, Value value) {
    for (const auto& [v, n] : table)
        if (v == value) return n;
    return {};
}

template <class Value, class Table>
std::optional<Value> valueIn(const Table& table, std::string_view name) {
    for (const auto& [v, n] : table)
        if (n == name) return v;
    return std::nullopt;
}

}  // namespace

std::string_view name(WidgetFamily family) {
    return nameIn(families, family);
}
std::optional<WidgetFamily> widgetFamilyNamed(std::string_view name) {
    return valueIn<WidgetFamily>(families, name);
}
std::string_view name(WidgetRenderingMode mode) {
    return nameIn(modes, mode);
}
std::optional<WidgetRenderingMode> renderingModeNamed(std::string_view name) {
    return valueIn<WidgetRenderingMode>(modes, name);
}

}  // namespace qb
