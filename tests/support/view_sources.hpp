#pragma once

// Entries of every widget to draw in tests of the renderers, without the network: the placeholders,
// the sample home's files and feed under examples/, the empty states, and a view that tints a whole
// group and links where the link policy refuses.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ui/view.hpp"

namespace qb::test {

// An entry of one widget, drawn in any environment.
struct ViewSource {
    std::string name, kind, displayName;
    std::function<ui::View(const ui::Environment&)> view;
};

std::vector<ViewSource> sampleViewSources(const std::filesystem::path& examples);

}  // namespace qb::test
