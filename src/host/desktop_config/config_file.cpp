#include "host/desktop_config/config_file.hpp"

#include <glib.h>

#include <system_error>

#include <fmt/format.h>

#include "host/desktop_config/desktop_config.hpp"
#include "platform/files.hpp"

namespace qb::host {
namespace {

// Whether the bytes are text GLib's key-file parser can take: UTF-8 without NUL bytes.
bool isText(const std::string& bytes) {
    return bytes.find('\0') == std::string::npos &&
           g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
}

}  // namespace

DesktopConfigFile::DesktopConfigFile(std::filesystem::path path, std::vector<AnyWidget> widgets)
    : path_(std::move(path)), widgets_(std::move(widgets)) {}

std::filesystem::path DesktopConfigFile::defaultPath() {
    return std::filesystem::path(g_get_user_config_dir()) / "quillbrook-widgets" / "desktop.ini";
}

bool DesktopConfigFile::reread() {
    std::error_code error;
    const bool exists = std::filesystem::exists(path_, error);
    std::optional<std::string> cannotSave;
    KeyFileText text;
    if (!exists) {
        text = defaultDesktopConfig(widgets_);
    } else if (auto contents = readFile(path_); !contents) {
        // A file that is there but cannot be read is never written over: it may hold what the person
        // wrote, and the menu would replace it with the default layout.
        cannotSave = fmt::format("{} cannot be read ({}); fix that before the menu can save", path_.string(),
                                 contents.error);
        // The widgets last read stay on the desktop until the file can be read again.
        text = read_ ? text_ : defaultDesktopConfig(widgets_);
    } else {
        if (!isText(*contents))
            cannotSave =
                fmt::format("{} is not UTF-8 text; fix it by hand before the menu can save", path_.string());
        text = KeyFileText(std::move(*contents));
    }
    const bool changed =
        !read_ || exists != exists_ || text.text() != text_.text() || cannotSave != cannotSave_;
    read_ = true;
    exists_ = exists;
    text_ = std::move(text);
    cannotSave_ = std::move(cannotSave);
    return changed;
}

std::optional<std::string> DesktopConfigFile::edit(const std::function<void(KeyFileText&)>& change) {
    reread();  // a hand edit since the last read is kept
    if (cannotSave_) return cannotSave_;
    KeyFileText edited = text_;
    change(edited);
    // A symbolic link (a dotfiles folder) stays: the file it points to is replaced.
    std::error_code error;
    std::filesystem::path target = path_;
    if (std::filesystem::symlink_status(path_, error).type() == std::filesystem::file_type::symlink) {
        target = std::filesystem::weakly_canonical(path_, error);
        if (error) return fmt::format("{} is a link that leads nowhere: {}", path_.string(), error.message());
    }
    error.clear();
    if (!target.parent_path().empty()) std::filesystem::create_directories(target.parent_path(), error);
    if (error)
        return fmt::format("cannot create the folder {}: {}", target.parent_path().string(), error.message());
    if (auto failed = writeFileAtomically(target, edited.text())) return failed;
    text_ = std::move(edited);
    exists_ = true;
    return std::nullopt;
}

}  // namespace qb::host
