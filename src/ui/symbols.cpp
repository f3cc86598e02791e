#include "ui/symbols.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

namespace qb::ui {
namespace {

// Adwaita's symbolic icons come first, then the plain freedesktop names that other themes carry. The
// glyphs are narrow (one cell) and have no emoji presentation of their own.
const std::vector<SymbolInfo>& table() {
    static const std::vector<SymbolInfo> symbols{
        {"star", {"starred-symbolic", "emblem-favorite-symbolic", "starred"}, "★"},
        {"folder", {"folder-symbolic", "folder"}, "▭"},
        {"folder.badge.gearshape",
         {"folder-saved-search-symbolic", "folder-saved-search", "emblem-system-symbolic"},
         "⚙"},
        {"doc", {"x-office-document-symbolic", "text-x-generic-symbolic", "x-office-document"}, "▯"},
        {"doc.text", {"text-x-generic-symbolic", "text-x-generic"}, "≣"},
        {"doc.richtext", {"x-office-document-symbolic", "x-office-document"}, "¶"},
        {"doc.plaintext", {"text-x-generic-symbolic", "text-x-generic"}, "≡"},
        {"terminal", {"utilities-terminal-symbolic", "utilities-terminal"}, "$"},
        {"globe", {"web-browser-symbolic", "applications-internet", "web-browser"}, "⊕"},
        {"archivebox", {"package-x-generic-symbolic", "package-x-generic"}, "▤"},
        {"chevron.left.forwardslash.chevron.right", {"text-x-script-symbolic", "text-x-script"}, "{"},
        {"list.bullet.rectangle", {"view-list-bullet-symbolic", "view-list-symbolic"}, "☰"},
        {"photo", {"image-x-generic-symbolic", "image-x-generic"}, "▨"},
        {"play.rectangle",
         {"video-x-generic-symbolic", "media-playback-start-symbolic", "video-x-generic"},
         "▷"},
        {"bookmark", {"user-bookmarks-symbolic", "bookmark-new-symbolic", "user-bookmarks"}, "⚑"},
        {"dot.radiowaves.left.and.right",
         {"application-rss+xml-symbolic", "network-wireless-symbolic", "application-rss+xml"},
         "◉"},
        {"tablecells", {"x-office-spreadsheet-symbolic", "x-office-spreadsheet"}, "▦"},
        {"tag", {"tag-symbolic", "tag"}, "#"},
        {"video", {"camera-video-symbolic", "video-x-generic-symbolic", "video-x-generic"}, "►"},
        {"waveform", {"audio-x-generic-symbolic", "audio-x-generic"}, "∿"},
        {"envelope", {"mail-unread-symbolic", "mail-message-new-symbolic", "mail-unread"}, "✉"},
        {"newspaper", {"newspaper-symbolic", "x-office-document-symbolic"}, "▥"},
        {"cylinder.split.1x2",
         {"drive-multidisk-symbolic", "drive-harddisk-symbolic", "drive-harddisk"},
         "◫"},
        {"gearshape.2", {"emblem-system-symbolic", "preferences-system-symbolic", "emblem-system"}, "⚙"},
        {"rectangle.stack", {"focus-windows-symbolic", "emblem-documents-symbolic"}, "❏"},
        {"macwindow", {"window-new-symbolic", "window-restore-symbolic"}, "□"},
        {"text.book.closed", {"accessories-dictionary-symbolic", "accessories-dictionary"}, "▮"},
        {"checkmark.circle", {"emblem-ok-symbolic", "emblem-default-symbolic", "emblem-default"}, "✓"},
        {"lightbulb", {"lightbulb-symbolic", "dialog-information-symbolic"}, "☼"},
        {"lightbulb.slash", {"lightbulb-off-symbolic", "night-light-disabled-symbolic"}, "⊘"},
    };
    return symbols;
}

// The numeric edge of a size folder ("48x48" -> 48, "48x48@2" -> 48); 0 for other folders.
int folderSize(const std::string& folder) {
    int size = 0;
    std::from_chars(folder.data(), folder.data() + folder.size(), size);
    return size;
}

// A theme's size folders: scalable drawings first, then fixed sizes from the largest.
std::vector<std::filesystem::path> sizeFolders(const std::filesystem::path& theme) {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    for (std::filesystem::directory_iterator it(theme, error), end; !error && it != end; it.increment(error))
        if (it->is_directory(error)) folders.push_back(it->path());
    std::sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
        const auto rank = [](const std::filesystem::path& p) {
            const std::string name = p.filename().string();
            return name.starts_with("scalable") ? 1'000'000 : folderSize(name);
        };
        const int ra = rank(a), rb = rank(b);
        return ra != rb ? ra > rb : a < b;
    });
    return folders;
}

std::optional<std::filesystem::path> findInTheme(const std::filesystem::path& theme,
                                                 std::string_view iconName) {
    static constexpr std::array extensions{".svg", ".png", ".symbolic.png"};
    std::error_code error;
    for (const auto& folder : sizeFolders(theme)) {
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            for (const char* extension : extensions) {
                auto candidate = it->path() / (std::string(iconName) + extension);
                if (std::filesystem::is_regular_file(candidate, error)) return candidate;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

const std::vector<SymbolInfo>& symbolTable() {
    return table();
}

const SymbolInfo& symbolInfo(std::string_view name) {
    static const SymbolInfo fallback{"", {"text-x-generic-symbolic", "text-x-generic"}, "•"};
    for (const SymbolInfo& symbol : table())
        if (symbol.name == name) return symbol;
    return fallback;
}

std::vector<std::filesystem::path> defaultIconThemes() {
    return {"/usr/share/icons/Adwaita", "/usr/share/icons/hicolor"};
}

std::optional<std::filesystem::path> iconFile(const SymbolInfo& symbol,
                                              const std::vector<std::filesystem::path>& themes) {
    // Looking up walks folders, so answers are kept for the life of the process.
    static std::mutex mutex;
    static std::map<std::string, std::optional<std::filesystem::path>> found;
    std::string key(symbol.name);
    for (const auto& theme : themes) key += "\n" + theme.string();
    {
        const std::lock_guard lock(mutex);
        if (const auto it = found.find(key); it != found.end()) return it->second;
    }
    std::optional<std::filesystem::path> result;
    for (const std::string_view iconName : symbol.iconNames) {
        for (const auto& theme : themes)
            if ((result = findInTheme(theme, iconName))) break;
        if (result) break;
    }
    const std::lock_guard lock(mutex);
    found.emplace(std::move(key), result);
    return result;
}

}  // namespace qb::ui
