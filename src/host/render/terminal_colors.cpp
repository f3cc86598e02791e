#include "host/render/terminal_colors.hpp"

#include <algorithm>
#include <cstdlib>

#include <fmt/format.h>

namespace qb::host {
namespace {

int squaredDistance(const Rgb& a, const Rgb& b) {
    int sum = 0;
    for (std::size_t i = 0; i < 3; ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum;
}

// xterm's default shades of the 16 ANSI colours: black, red, green, yellow, blue, magenta, cyan, white,
// then their bright variants.
constexpr std::array<Rgb, 16> ansiColors{{{0, 0, 0},
                                          {205, 0, 0},
                                          {0, 205, 0},
                                          {205, 205, 0},
                                          {0, 0, 238},
                                          {205, 0, 205},
                                          {0, 205, 205},
                                          {229, 229, 229},
                                          {127, 127, 127},
                                          {255, 0, 0},
                                          {0, 255, 0},
                                          {255, 255, 0},
                                          {92, 92, 255},
                                          {255, 0, 255},
                                          {0, 255, 255},
                                          {255, 255, 255}}};

// The six levels of each channel in the palette's 6×6×6 colour cube (16 to 231).
constexpr std::array<int, 6> cubeLevels{0, 95, 135, 175, 215, 255};

int nearestCubeLevel(int value) {
    int best = 0;
    for (int i = 1; i < 6; ++i)
        if (std::abs(cubeLevels[i] - value) < std::abs(cubeLevels[best] - value)) best = i;
    return best;
}

int nearest256(const Rgb& rgb) {
    const int r = nearestCubeLevel(rgb[0]), g = nearestCubeLevel(rgb[1]), b = nearestCubeLevel(rgb[2]);
    const Rgb cube{static_cast<std::uint8_t>(cubeLevels[r]), static_cast<std::uint8_t>(cubeLevels[g]),
                   static_cast<std::uint8_t>(cubeLevels[b])};
    // The grey ramp (232 to 255) runs from 8 to 238 in steps of 10.
    const int average = (rgb[0] + rgb[1] + rgb[2]) / 3;
    const int step = std::clamp((average - 8 + 5) / 10, 0, 23);
    const auto level = static_cast<std::uint8_t>(8 + 10 * step);
    const Rgb grey{level, level, level};
    return squaredDistance(rgb, grey) < squaredDistance(rgb, cube) ? 232 + step : 16 + 36 * r + 6 * g + b;
}

int nearest16(const Rgb& rgb) {
    int best = 0;
    for (int i = 1; i < 16; ++i)
        if (squaredDistance(rgb, ansiColors[i]) < squaredDistance(rgb, ansiColors[best])) best = i;
    return best;
}

}  // namespace

int nearestPaletteIndex(const Rgb& rgb, Styling depth) {
    switch (depth) {
        case Styling::colors16:
            return nearest16(rgb);
        case Styling::colors256:
            return nearest256(rgb);
        case Styling::plain:
        case Styling::trueColor:
            break;
    }
    return -1;
}

std::string colorParameters(const Rgb& rgb, Styling depth, bool background) {
    const int index = nearestPaletteIndex(rgb, depth);
    switch (depth) {
        case Styling::colors16:
            return std::to_string((background ? 40 : 30) + (index < 8 ? index : 60 + index - 8));
        case Styling::colors256:
            return fmt::format("{};5;{}", background ? 48 : 38, index);
        case Styling::trueColor:
            return fmt::format("{};2;{};{};{}", background ? 48 : 38, rgb[0], rgb[1], rgb[2]);
        case Styling::plain:
            break;
    }
    return {};
}

}  // namespace qb::host
