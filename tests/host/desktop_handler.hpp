#pragma once

// A desktop of the tests' own making: its applications and their URL schemes are only what the test
// registers (the XDG folders point into a temporary folder), and its one application notes each link it
// was given and every socket it inherited beyond the standard three descriptors.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/files.hpp"
#include "support/test_support.hpp"

namespace qb::test {

class DesktopHandler {
  public:
    // An application for links of `scheme`; none at all when `scheme` is empty.
    explicit DesktopHandler(const std::string& scheme) {
        const auto applications = folder.path() / "data" / "applications";
        std::filesystem::create_directories(applications);
        std::filesystem::create_directories(folder.path() / "config");
        const auto script = folder.path() / "handler.sh";
        // The sockets first: a test reads them once the link is noted.
        std::ofstream(script) << "#!/bin/sh\nls -l /proc/$$/fd | awk '$(NF-2) > 2 && $NF ~ /^socket:/' >> '"
                              << (folder.path() / "sockets").string() << "'\nprintf '%s\\n' \"$1\" >> '"
                              << (folder.path() / "opened").string() << "'\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        if (scheme.empty()) return;
        const auto type = "x-scheme-handler/" + scheme;
        std::ofstream(applications / "quillbrook-test-handler.desktop")
            << "[Desktop Entry]\nType=Application\nName=Test handler\nNoDisplay=true\nExec="
            << script.string() << " %u\nMimeType=" << type << ";\n";
        // What update-desktop-database writes when an application is installed; GIO reads it.
        std::ofstream(applications / "mimeinfo.cache") << "[MIME Cache]\n"
                                                       << type << "=quillbrook-test-handler.desktop;\n";
    }

    // The environment that makes a program see this desktop and no other.
    std::vector<std::pair<std::string, std::string>> environment() const {
        const auto none = (folder.path() / "none").string();
        return {{"XDG_DATA_HOME", (folder.path() / "data").string()},
                {"XDG_DATA_DIRS", none},
                {"XDG_CONFIG_HOME", (folder.path() / "config").string()},
                {"XDG_CONFIG_DIRS", none},
                {"QUILLBROOK_WIDGETS_OPENER", ""}};
    }

    // The links the application was given, once there are `count` (or after two seconds).
    std::string opened(std::size_t count = 1) const {
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text = readFile(folder.path() / "opened").value_or("");
            if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= count) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return text;
    }
    // The sockets the application inherited (ls -l lines), read once it opened something.
    std::string inheritedSockets() const { return readFile(folder.path() / "sockets").value_or(""); }

    TempDir folder;
};

}  // namespace qb::test
