#include "host/render/cell_style.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/image.hpp"

namespace qb::host {

Rgb rgbFor(ui::Color color) {
    // In the order of ui::Color; clear is never drawn.
    static constexpr std::array<Rgb, 9> colors{{{255, 69, 58},
                                                {255, 159, 10},
                                                {255, 214, 10},
                                                {48, 209, 88},
                                                {10, 132, 255},
                                                {191, 90, 242},
                                                {152, 152, 157},
                                                {255, 255, 255},
                                                {0, 0, 0}}};
    return colors.at(static_cast<std::size_t>(color));
}

CellStyle cellStyle(const resolved::Style& style, bool tinted) {
    using ui::Font;
    CellStyle cell;
    cell.bold = style.fontWeight == ui::FontWeight::semibold || style.font == Font::headline ||
                style.font == Font::title3 || style.font == Font::largeTitle;
    if (style.accented) {
        cell.foreground = accentRgb;
    } else if (const auto* level = std::get_if<ui::Level>(&style.foreground)) {
        cell.tone = *level == ui::Level::secondary  ? CellStyle::Tone::secondary
                    : *level == ui::Level::tertiary ? CellStyle::Tone::tertiary
                                                    : CellStyle::Tone::primary;
    } else if (!tinted) {
        cell.foreground = rgbFor(std::get<ui::Color>(style.foreground));
    }
    return cell;
}

Rgb averageColor(const Image& image) {
    const auto& rgba = image.rgba();
    const std::size_t pixels = rgba.size() / 4;
    const std::size_t step = std::max<std::size_t>(1, pixels / 4096);
    double red = 0, green = 0, blue = 0, weight = 0;
    for (std::size_t i = 0; i < pixels; i += step) {
        const double alpha = static_cast<unsigned char>(rgba[i * 4 + 3]) / 255.0;
        red += alpha * static_cast<unsigned char>(rgba[i * 4]);
        green += alpha * static_cast<unsigned char>(rgba[i * 4 + 1]);
        blue += alpha * static_cast<unsigned char>(rgba[i * 4 + 2]);
        weight += alpha;
    }
    if (weight == 0) return rgbFor(ui::Color::gray);
    return {static_cast<std::uint8_t>(red / weight), static_cast<std::uint8_t>(green / weight),
            static_cast<std::uint8_t>(blue / weight)};
}

}  // namespace qb::host
