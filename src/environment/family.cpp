#include "environment/family.hpp"

#include <array>
#include <string>

namespace qb {
namespace {

struct FamilyNames {
    WidgetFamily family;
    std::string_view name, shortName, label;
};

// The one table of the families' names: the name JSON and the files use, the name a person types, and the
// family in prose.
constexpr std::array families{
    FamilyNames{WidgetFamily::systemSmall, "systemSmall", "small", "small"},
    FamilyNames{WidgetFamily::systemMedium, "systemMedium", "medium", "medium"},
    FamilyNames{WidgetFamily::systemLarge, "systemLarge", "large", "large"},
    FamilyNames{WidgetFamily::systemExtraLarge, "systemExtraLarge", "extra-large", "extra large"},
    FamilyNames{WidgetFamily::accessoryRectangular, "accessoryRectangular", "accessory-rectangular",
                "accessory"},
};
constexpr std::array modes{
    std::pair{WidgetRenderingMode::fullColor, std::string_view("fullColor")},
    std::pair{WidgetRenderingMode::accented, std::string_view("accented")},
    std::pair{WidgetRenderingMode::vibrant, std::string_view("vibrant")},
};

const FamilyNames& namesOf(WidgetFamily family) {
    for (const auto& names : families)
        if (names.family == family) return names;
    return families[1];
}

}  // namespace

std::string comparableName(std::string_view text) {
    std::string comparable;
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '_') continue;
        comparable += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return comparable;
}

std::string_view name(WidgetFamily family) {
    return namesOf(family).name;
}
std::string_view shortName(WidgetFamily family) {
    return namesOf(family).shortName;
}
std::string_view familyLabel(WidgetFamily family) {
    return namesOf(family).label;
}

std::vector<WidgetFamily> systemFamilies() {
    return {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge,
            WidgetFamily::systemExtraLarge};
}

std::string familyChoices(std::string_view lastSeparator) {
    std::string text;
    const auto all = systemFamilies();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0) text += i + 1 == all.size() ? lastSeparator : ", ";
        text += shortName(all[i]);
    }
    return text;
}

std::optional<WidgetFamily> widgetFamilyNamed(std::string_view name) {
    std::string given = comparableName(name);
    if (given == "xl") return WidgetFamily::systemExtraLarge;
    if (given.starts_with("system")) given.erase(0, 6);
    for (const auto& names : families) {
        std::string full = comparableName(names.name);
        if (full.starts_with("system")) full.erase(0, 6);
        if (given == full || given == comparableName(names.shortName)) return names.family;
    }
    return std::nullopt;
}

std::string_view name(WidgetRenderingMode mode) {
    for (const auto& [m, n] : modes)
        if (m == mode) return n;
    return {};
}
std::optional<WidgetRenderingMode> renderingModeNamed(std::string_view name) {
    const std::string given = comparableName(name);
    for (const auto& [m, n] : modes)
        if (comparableName(n) == given) return m;
    return std::nullopt;
}

}  // namespace qb
