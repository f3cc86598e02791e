#pragma once

// desktop.ini on disk: where it lies, its text as last read, and the edits the desktop's menu makes,
// each written atomically. Without a file the default layout stands in; it is written only once the
// person changes something. An edit changes only the lines it is about: every other byte of the file
// stays, lines this program does not understand included.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "host/desktop_config/key_file_text.hpp"
#include "widgetkit/widget.hpp"

namespace qb::host {

class DesktopConfigFile {
  public:
    DesktopConfigFile(std::filesystem::path path, std::vector<AnyWidget> widgets);

    // $XDG_CONFIG_HOME/quillbrook-widgets/desktop.ini (else ~/.config/...).
    static std::filesystem::path defaultPath();

    // Reads the file again; true when what it says changed since the last read.
    bool reread();

    const std::filesystem::path& path() const { return path_; }
    bool exists() const { return exists_; }
    // The file's text, or the default layout without a file.
    const KeyFileText& text() const { return text_; }
    // Why edits cannot be written (the file cannot be read, or is not text); nothing when they can.
    const std::optional<std::string>& cannotSave() const { return cannotSave_; }

    // Reads the file, applies the edit to its text and writes the result; or says why it did not.
    std::optional<std::string> edit(const std::function<void(KeyFileText&)>& change);

  private:
    std::filesystem::path path_;
    std::vector<AnyWidget> widgets_;
    KeyFileText text_;
    bool exists_ = false;
    bool read_ = false;
    std::optional<std::string> cannotSave_;
};

}  // namespace qb::host
