#pragma once

#include <optional>
#include <string_view>

namespace qb {

// The size class of a widget instance.
enum class WidgetFamily { systemSmall, systemMedium, systemLarge, systemExtraLarge, accessoryRectangular };

// How the host draws the widget: in its own colours, or tinted by the desktop's accent.
enum class WidgetRenderingMode { fullColor, accented, vibrant };

std::string_view name(WidgetFamily family);
std::optional<WidgetFamily> widgetFamilyNamed(std::string_view name);
std::string_view name(WidgetRenderingMode mode);
std::optional<WidgetRenderingMode> renderingModeNamed(std::string_view name);

}  // namespace qb
