#pragma once

// The desktop host without its toolkit: desktop.ini read into widgets, each an instance of the live
// engine drawn on a surface of the desktop, placed per output, and kept current. It follows the file
// (a hand edit is applied within a moment, and only the widgets whose lines changed are touched), the
// monitors (plugged in or out), the entries (a widget is drawn again only when its entry or its
// configuration changed) and the menu (a change is written to the file and applied at once).
//
// Threads: everything runs on the thread of the main context it is given.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/desktop_config/config_file.hpp"
#include "host/desktop_config/desktop_config.hpp"
#include "host/desktop_session/desktop_surface.hpp"
#include "host/engine/engine.hpp"
#include "host/engine/folder_watch.hpp"
#include "platform/log.hpp"

namespace qb::host {

// Opens a link; returns why it could not.
using OpenLinkFunction = std::function<std::optional<std::string>(const Url&)>;

struct DesktopSessionOptions {
    std::filesystem::path config;
    OpenLinkFunction open;
    engine::EngineOptions engine;
    // Edits of the file settle this long before they are read (an editor writes in several steps).
    std::chrono::milliseconds configQuiet{250};
};

class DesktopSession final : public SurfaceOwner {
  public:
    DesktopSession(GMainContext* context, std::vector<AnyWidget> widgets, Desktop& desktop,
                   DesktopSessionOptions options);
    ~DesktopSession() override;
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Monitors were plugged in or out, or changed their size.
    void outputsChanged();
    // Reads desktop.ini again and applies what changed (the folder watch does this by itself).
    void reloadConfig();

    void openLink(const std::string& group, const Url& url) override;
    WidgetMenu menu(const std::string& group) override;
    std::vector<MenuChoice> searchChoices(const std::string& group, const std::string& parameter,
                                          const std::string& search) override;
    std::optional<std::string> change(const std::string& group, const WidgetChange& change) override;
    std::string configPath() const override { return file_.path().string(); }

    // The widgets shown, in the file's order, and how often each was drawn.
    std::vector<DesktopWidget> widgets() const;
    std::size_t drawCount(const std::string& group) const;
    std::size_t reloadsRunning() const { return engine_.reloadsRunning(); }

  private:
    struct Shown;

    void apply(const DesktopConfig& config);
    void add(const DesktopWidget& widget);
    void update(Shown& shown, const DesktopWidget& widget);
    void draw(const std::string& group, const ErasedEntry& entry);
    void layout();
    std::size_t outputFor(const DesktopWidget& widget, const std::vector<DesktopOutput>& outputs);
    void report(const DesktopConfig& config);

    std::vector<AnyWidget> widgets_;
    Desktop& desktop_;
    DesktopSessionOptions options_;
    Logger log_;
    DesktopConfigFile file_;
    engine::Engine engine_;
    std::map<std::string, std::unique_ptr<Shown>> shown_;
    std::vector<std::string> order_;
    // The messages logged about the current file and the current monitors, each logged once.
    std::set<std::string> reportedFile_;
    std::set<std::string> reportedOutputs_;
    engine::Alarm settle_;
    engine::FolderWatch watch_;
};

}  // namespace qb::host
