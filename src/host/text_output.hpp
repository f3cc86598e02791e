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

// How to style the text output: --format ansi always styles, text never; otherwise stdout must be a
// terminal that is not dumb (TERM set and not "dumb") while NO_COLOR is unset or empty. Colours take
// the depth the terminal announces.
Styling outputStyling(OutputFormat format);

// The colour depth the environment announces: 24-bit when COLORTERM is "truecolor" or "24bit", the
// 256-colour palette when TERM names a 256-colour terminal, the 16 ANSI colours for any other terminal.
// When neither says anything (TERM unset or "dumb", as for output into a file), 24-bit: whoever asks
// for styles there wants the colours as they are.
Styling announcedColorDepth();

// The width to lay the output out in: COLUMNS when it is a positive number, else the terminal's width
// when stdout is one; none when output goes elsewhere (the boxes then stand one under another).
std::optional<int> outputColumns();

}  // namespace qb::host
