#pragma once

// The program's text output: widget lists, parameter choices, and provider answers with their widgets
// drawn in boxes.

#include <optional>
#include <string>
#include <vector>

#include "host/cli.hpp"
#include "host/render/terminal.hpp"
#include "host/requests.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

std::string widgetsText(const std::vector<AnyWidget>& widgets);
std::string optionsText(const std::vector<ParameterOption>& options);

// What the provider answered, in a few lines: the request, the dates and the entry's fields.
std::string answerSummary(const Answer& answer);

// The answer's first entry as a tile to draw, titled with the widget's name and family.
std::optional<TerminalTile> tileFor(const Answer& answer, WidgetRenderingMode mode);

// Whether to write styles and links: --format ansi always, text never, otherwise when stdout is a
// terminal and NO_COLOR is not set.
bool wantsStyles(OutputFormat format);

// The terminal's width when stdout is one.
std::optional<int> terminalColumns();

}  // namespace qb::host
