#pragma once

// The shells' completion scripts, made from the program's own tables: the command line's commands,
// options, formats, families and rendering modes, and the bundle's kinds and parameters.

#include <string>
#include <string_view>
#include <vector>

#include "widgetkit/widget.hpp"

namespace qb::host {

// The script of `shell` (bash, zsh or fish): the tables as the shell's variables, then its completion
// code (completion/*), which asks `quillbrook-widgets options KIND PARAM` for a parameter's values when
// completing, so that entity choices (favorites groups) come from the user's own files.
std::string completionScript(std::string_view shell, const std::vector<AnyWidget>& widgets);

// The completion code of each shell, carried in the program (generated from completion/*).
std::string_view bashCompletionCode();
std::string_view zshCompletionCode();
std::string_view fishCompletionCode();

}  // namespace qb::host
