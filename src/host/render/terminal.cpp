#include "host/render/terminal.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "host/render/display_text.hpp"
#include "host/render/styled_line.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

// "a", "a and b", "a, b and c".
std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i == 0 ? "" : i + 1 == texts.size() ? localized(" and ") : ", ") + texts[i];
    return out;
}

}  // namespace

CellSize boxSize(WidgetFamily family) {
    switch (family) {
        case WidgetFamily::systemSmall:
            return {22, 11};
        case WidgetFamily::systemLarge:
            return {48, 26};
        case WidgetFamily::systemExtraLarge:
            return {98, 26};
        case WidgetFamily::systemMedium:
        case WidgetFamily::accessoryRectangular:
            break;
    }
    return {48, 11};
}

CellSize contentSize(WidgetFamily family) {
    const CellSize box = boxSize(family);
    return {box.width - 4, box.height - 2};
}

std::vector<std::string> renderTile(const TerminalTile& tile, Styling styling) {
    const bool styled = styling != Styling::plain;
    const CellSize box = boxSize(tile.family);
    const CellSize content = contentSize(tile.family);
    Canvas canvas(content.width, content.height);
    drawView(tile.view, tile.environment, canvas, {0, 0, content.width, content.height});

    std::vector<std::string> lines;
    const std::string title = truncateToWidth(inertText(tile.title), box.width);
    const std::string titlePadding(static_cast<std::size_t>(box.width - displayWidth(title)), ' ');
    lines.push_back(styled ? "\x1b[1m" + title + "\x1b[0m" + titlePadding : title + titlePadding);
    const std::string dim = styled ? "\x1b[2m" : "";
    const std::string reset = styled ? "\x1b[0m" : "";
    lines.push_back(dim + "╭" + repeated("─", box.width - 2) + "╮" + reset);
    for (const auto& row : canvas.rows(styling))
        lines.push_back(dim + "│" + reset + " " + row + " " + dim + "│" + reset);
    lines.push_back(dim + "╰" + repeated("─", box.width - 2) + "╯" + reset);
    return lines;
}

std::string arrangeTiles(const std::vector<TerminalTile>& tiles, Styling styling,
                         std::optional<int> columns) {
    constexpr int gap = 2;
    std::string out;
    std::size_t first = 0;
    while (first < tiles.size()) {
        // As many tiles as fit side by side (always at least one).
        std::size_t end = first + 1;
        int used = boxSize(tiles[first].family).width;
        while (columns && end < tiles.size() && used + gap + boxSize(tiles[end].family).width <= *columns) {
            used += gap + boxSize(tiles[end].family).width;
            ++end;
        }
        std::vector<std::vector<std::string>> row;
        std::size_t height = 0;
        for (std::size_t i = first; i < end; ++i) {
            row.push_back(renderTile(tiles[i], styling));
            height = std::max(height, row.back().size());
        }
        // Only a box alone in its row can be wider than the columns.
        if (columns && boxSize(tiles[first].family).width > *columns)
            for (auto& line : row.front()) line = cutToColumns(line, *columns);
        if (first > 0) out += '\n';
        for (std::size_t line = 0; line < height; ++line) {
            std::string text;
            for (std::size_t i = 0; i < row.size(); ++i) {
                const int width = boxSize(tiles[first + i].family).width;
                if (i > 0) text += std::string(gap, ' ');
                text +=
                    line < row[i].size() ? row[i][line] : std::string(static_cast<std::size_t>(width), ' ');
            }
            while (!text.empty() && text.back() == ' ') text.pop_back();
            out += text + '\n';
        }
        first = end;
    }
    return out;
}

std::optional<std::string> cutNotice(const std::vector<TerminalTile>& tiles, std::optional<int> columns) {
    if (!columns) return std::nullopt;
    std::vector<std::string> families;
    std::size_t cut = 0;
    int widest = 0;
    for (const auto& tile : tiles) {
        const int width = boxSize(tile.family).width;
        if (width <= *columns) continue;
        ++cut;
        widest = std::max(widest, width);
        const std::string family = localized(familyLabel(tile.family));
        if (std::find(families.begin(), families.end(), family) == families.end()) families.push_back(family);
    }
    if (cut == 0) return std::nullopt;
    return cut == 1 ? localizedMessage("the {} box is cut to {} columns ({}); it needs {}", joined(families),
                                       *columns, cutMarker, widest)
                    : localizedMessage("the {} boxes are cut to {} columns ({}); they need {}",
                                       joined(families), *columns, cutMarker, widest);
}

}  // namespace qb::host
