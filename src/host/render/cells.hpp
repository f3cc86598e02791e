#pragma once

// Terminal cells as the layout counts them. A column is about 8 points wide and a line 16 points high,
// so vertical spacing and padding under a line vanish while horizontal spacing keeps at least one
// column.

#include <limits>

namespace qb::host {

struct CellSize {
    int width = 0, height = 0;
    friend bool operator==(const CellSize&, const CellSize&) = default;
};

// Points in columns and lines.
int columnsFor(double points);
int linesFor(double points);

// A size, and the least height from which the same width gives the same size (`unsettled` when that
// is not known). A view stops growing with the height it is offered once its texts have all their
// lines and its stacks give every child its ideal height, unless a spacer or divider stretches it to
// whatever it is given.
struct Measurement {
    static constexpr int unsettled = std::numeric_limits<int>::max();
    CellSize size;
    int settlesAt = unsettled;
};

// `settlesAt` when it lies within the height offered, else unsettled.
inline int settlesWithin(int settlesAt, int proposedHeight) {
    return settlesAt <= proposedHeight ? settlesAt : Measurement::unsettled;
}

}  // namespace qb::host
