#pragma once

// A text's size in cells, measured at the many proposals of one layout pass and remembered: the stacks
// offer their children a few different sizes each, and the same text is asked again at each level.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "host/render/cells.hpp"
#include "host/render/display_text.hpp"

namespace qb::host {

class TextCells {
  public:
    // `glyphs` is the text as drawn (sanitized for the terminal).
    explicit TextCells(std::string glyphs);

    const std::string& glyphs() const { return glyphs_; }
    // The widest word, in cells.
    int longestWord() const { return longestWord_; }

    // The lines the text may take when offered `proposal`: its line limit, if any, within the height.
    static int maxLines(std::optional<int> lineLimit, CellSize proposal) {
        return lineLimit ? std::min(*lineLimit, proposal.height) : proposal.height;
    }

    // The text's size wrapped to the width offered in at most maxLines() lines, and where it settles.
    Measurement size(CellSize proposal, std::optional<int> lineLimit);

  private:
    // Whole texts are recorded by width up to this one, wider ones with the cut ones.
    static constexpr int wholeWidthLimit = 1024;
    // A text's size wrapped to `width` in at most `maxLines` lines.
    struct Wrapped {
        int width = 0, maxLines = 0;
        CellSize size;
    };

    std::string glyphs_;
    TextMeasure measure_;
    int longestWord_ = 0;
    // What the text measured: whole, by width; cut by a line limit, by width and limit.
    std::vector<std::optional<CellSize>> whole_;
    std::vector<Wrapped> cut_;
};

}  // namespace qb::host
