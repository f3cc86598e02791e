#include "host/render/cells.hpp"

#include <cmath>

namespace qb::host {

int columnsFor(double points) {
    return points > 0 ? static_cast<int>(std::lround(points / 8.0)) : 0;
}

int linesFor(double points) {
    return points > 0 ? static_cast<int>(std::floor(points / 16.0)) : 0;
}

}  // namespace qb::host
