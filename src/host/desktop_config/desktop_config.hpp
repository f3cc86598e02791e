#pragma once

// The widgets a person put on the desktop, as a typed value read once from desktop.ini (GLib's key-file
// format): one group per widget, "[widget NAME]", with the keys
//   kind            the widget's kind or short name (readinglist, favorites, workspaces, tips)
//   family          small, medium, large or extra-large (or systemSmall, xl, ...)
//   set.PARAMETER   a parameter's value, as `--set PARAMETER=VALUE` gives it (set.filter=unread)
//   rendering-mode  fullColor, accented or vibrant
//   output          the monitor to show it on, by name; the primary monitor when absent or unplugged
//   anchor          top-left, top, top-right, left, center, right, bottom-left, bottom or bottom-right
//   margin-top, margin-right, margin-bottom, margin-left   pixels from the output's edges
// Widgets at the same anchor stack in a column; a widget whose margin along the column is given stands
// where that margin puts it. Groups that are not widgets, and keys nobody here knows, are left alone.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "environment/family.hpp"
#include "host/desktop_config/key_file_text.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

enum class Anchor { topLeft, top, topRight, left, center, right, bottomLeft, bottom, bottomRight };
std::string_view name(Anchor anchor);
std::optional<Anchor> anchorNamed(std::string_view text);

struct Margins {
    std::optional<int> top, right, bottom, left;
    friend bool operator==(const Margins&, const Margins&) = default;
};

struct DesktopWidget {
    std::string group;  // the key-file group that holds it: its identity while the host runs
    std::string kind;   // "ReadingListWidget"
    WidgetFamily family = WidgetFamily::systemMedium;
    std::map<std::string, std::string> parameters;  // every parameter, the defaults filled in
    WidgetRenderingMode renderingMode = WidgetRenderingMode::fullColor;
    std::optional<std::string> output;
    Anchor anchor = Anchor::topRight;
    Margins margins;
    friend bool operator==(const DesktopWidget&, const DesktopWidget&) = default;
};

// What is wrong with a line (numbered from 1), in one sentence that says what to do.
struct ConfigProblem {
    std::size_t line = 0;
    std::string message;
    friend bool operator==(const ConfigProblem&, const ConfigProblem&) = default;
};

struct DesktopConfig {
    std::vector<DesktopWidget> widgets;  // in the file's order; those with a problem left out
    std::vector<ConfigProblem> problems;
    // Choices that the widgets keep although their queries do not suggest them (a favorites group that
    // no longer exists): such a widget shows its empty state.
    std::vector<std::string> notices;
};

// Whether a group of the file describes a widget: "widget", or "widget" and a blank and a name.
bool isWidgetGroup(std::string_view group);

// The widgets of the file, checked against the widgets this build has.
DesktopConfig readDesktopConfig(const KeyFileText& file, const std::vector<AnyWidget>& widgets);

// One group that describes a widget with the keys above, read as a [widget NAME] group is (other groups,
// such as the dashboard's, describe their widgets the same way): the widget, or nothing, with what is
// wrong added to `config`'s problems and notices.
std::optional<DesktopWidget> readWidgetGroup(const KeyFileText& file, const KeyFileGroup& group,
                                             const std::vector<AnyWidget>& widgets, DesktopConfig& config);

// The layout without a file: one medium widget of each kind, stacked at the top right.
KeyFileText defaultDesktopConfig(const std::vector<AnyWidget>& widgets);

// The family of a widget the file gives none: medium, or the widget's first if it has no medium.
WidgetFamily defaultFamily(const AnyWidget& widget);

// A family's name as the file writes it ("extra-large"); older files wrote "extraLarge", still read.
std::string_view shortFamilyName(WidgetFamily family);

}  // namespace qb::host
