#pragma once

// The parameters chosen in the dashboard's page, kept in desktop.ini beside the desktop's widgets so that
// they outlive the server: a group per tile, described with the keys of a desktop widget's group and read
// by the same reader (the placement keys mean nothing here):
//
//   [dashboard readinglist medium]
//   kind=readinglist
//   family=medium
//   set.filter=unreadOnly
//
// The desktop host reads only [widget ...] groups and leaves these alone; the dashboard reads only these,
// and changes them with the same line-preserving, atomic edits as the desktop's menu.

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/desktop_config/config_file.hpp"
#include "host/desktop_config/key_file_text.hpp"
#include "host/server/dashboard.hpp"

namespace qb::host {

// "dashboard readinglist medium".
std::string dashboardGroupName(const AnyWidget& widget, WidgetFamily family);
// Whether a group of the file holds a tile of the dashboard: "dashboard" and a blank and more.
bool isDashboardGroup(std::string_view group);

struct DashboardSettings {
    Dashboard::StartingInstances instances;  // the tiles with saved choices
    // A line each: a group that is ignored or a key that is unknown (what is wrong, with its line
    // number), or a kept choice that the widget's query no longer suggests (its tile shows the empty
    // state).
    std::vector<std::string> messages;
};

// The saved choices, checked as the desktop's widgets are: a group naming an unknown widget, family,
// parameter or value is ignored (its tile starts with the defaults) and reported; an entity id stays as
// it is, as on the command line.
DashboardSettings readDashboardSettings(const KeyFileText& file, const std::vector<AnyWidget>& widgets);

// The file shared by the requests that change tiles: one edit at a time, each written at once.
class DashboardSettingsFile {
  public:
    DashboardSettingsFile(std::filesystem::path path, std::vector<AnyWidget> widgets);

    const std::filesystem::path& path() const { return file_.path(); }
    // The saved choices, with their messages naming the file.
    DashboardSettings read();
    // Keeps a tile's choice; why it could not be written, or nothing. Without a file, the desktop's
    // default layout is written with it, so that the desktop shows what it showed before.
    std::optional<std::string> keep(const AnyWidget& widget, WidgetFamily family, std::string_view parameter,
                                    std::string_view value);

  private:
    std::mutex mutex_;
    std::vector<AnyWidget> widgets_;
    DesktopConfigFile file_;
};

}  // namespace qb::host
