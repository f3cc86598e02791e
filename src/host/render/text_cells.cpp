#include "host/render/text_cells.hpp"

#include <algorithm>
#include <string_view>

namespace qb::host {
namespace {

int longestWordWidth(const std::string& text) {
    int longest = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find_first_of(" \n", start);
        if (end == std::string::npos) end = text.size();
        longest = std::max(longest, displayWidth(std::string_view(text).substr(start, end - start)));
        start = end + 1;
    }
    return longest;
}

}  // namespace

TextCells::TextCells(std::string glyphs)
    : glyphs_(std::move(glyphs)), measure_(glyphs_), longestWord_(longestWordWidth(glyphs_)) {}

Measurement TextCells::size(CellSize proposal, std::optional<int> lineLimit) {
    const int width = proposal.width;
    const int lines = maxLines(lineLimit, proposal);
    if (width <= 0 || (lineLimit && *lineLimit <= 0)) return {{}, 0};
    if (lines <= 0) return {};
    // The whole text answers for every limit it stays within, and for every larger height.
    const auto column = static_cast<std::size_t>(width);
    const bool byColumn = width < wholeWidthLimit;
    if (byColumn && column < whole_.size() && whole_[column] && whole_[column]->height <= lines)
        return {*whole_[column], whole_[column]->height};
    // Cut by its own line limit, it stays so for every height from that limit up.
    const int settlesAt = lineLimit && proposal.height >= *lineLimit ? *lineLimit : Measurement::unsettled;
    for (const auto& seen : cut_)
        if (seen.width == width && seen.maxLines == lines) return {seen.size, settlesAt};
    const TextExtent extent = measure_.extent(width, lines);
    const CellSize size{extent.width, extent.lines};
    if (size.height < lines && byColumn) {
        // Fewer lines than allowed: nothing was left out, so this is the whole text.
        if (whole_.size() <= column) whole_.resize(column + 1);
        whole_[column] = size;
        return {size, size.height};
    }
    cut_.push_back({width, lines, size});
    return {size, size.height < lines ? size.height : settlesAt};
}

}  // namespace qb::host
