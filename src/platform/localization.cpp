#include "platform/localization.hpp"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include <fmt/format.h>

#include "platform/message_catalog.hpp"
#include "platform/program_location.hpp"

// The string tables are gettext's compiled .mo files (po/ builds them with msgfmt), but we read them
// ourselves instead of through libintl: libintl takes the language from the process's locale, which a
// library must not change, and in the "C" locale it ignores LANGUAGE altogether. On a machine where
// only C.UTF-8 is generated, LANG=de_DE.UTF-8 leaves the process in "C", so libintl would show English
// to a German user. Reading the table needs no generated locale and no global state; each table is
// loaded once and shared.

namespace qb {
namespace {

constexpr std::string_view textDomain = "quillbrook-widgets";

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

// "de_DE.UTF-8" and "de_DE@euro" as "de-DE"; nothing for the C locale.
std::string languageTag(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX") return {};
    std::string tag(locale);
    for (char& c : tag) {
        if (c == '_') c = '-';
    }
    return tag;
}

// The folders to look for tables in, in order: the one QUILLBROOK_LOCALEDIR names, else the program's
// own (installed beside it, or the build tree's).
std::vector<std::filesystem::path> localeFolders() {
    if (auto folder = environment("QUILLBROOK_LOCALEDIR"); !folder.empty())
        return {std::filesystem::path(folder)};
    if (auto folder = programLocaleFolder()) return {*folder};
    return {};
}

// A table per file, loaded on first use; a missing file is remembered as missing.
std::shared_ptr<const MessageCatalog> catalogAt(const std::filesystem::path& path) {
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::shared_ptr<const MessageCatalog>> loaded;
    std::lock_guard lock(mutex);
    auto found = loaded.find(path);
    if (found == loaded.end()) found = loaded.emplace(path, MessageCatalog::load(path)).first;
    return found->second;
}

bool isEnglish(std::string_view tag) {
    return tag == "en" || tag.starts_with("en-");
}

// The table of the first preferred language that has one; none when English (the keys' language)
// comes first or no language has a table.
std::shared_ptr<const MessageCatalog> currentCatalog() {
    auto folders = localeFolders();
    for (const auto& tag : preferredLanguages()) {
        if (isEnglish(tag)) return nullptr;
        // "de-DE" looks for de_DE, then de.
        std::vector<std::string> names = {tag};
        for (char& c : names.front()) {
            if (c == '-') c = '_';
        }
        if (auto dash = tag.find('-'); dash != std::string::npos) names.push_back(tag.substr(0, dash));
        for (const auto& name : names) {
            for (const auto& folder : folders) {
                auto path = folder / name / "LC_MESSAGES" / (std::string(textDomain) + ".mo");
                if (auto catalog = catalogAt(path)) return catalog;
            }
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> preferredLanguages() {
    std::vector<std::string> languages;
    auto add = [&](std::string tag) {
        if (!tag.empty() && std::find(languages.begin(), languages.end(), tag) == languages.end()) {
            languages.push_back(std::move(tag));
        }
    };
    std::string_view list = environment("LANGUAGE");
    while (!list.empty()) {
        auto colon = list.find(':');
        add(languageTag(list.substr(0, colon)));
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (auto locale = environment(name); !locale.empty()) {
            add(languageTag(locale));
            break;
        }
    }
    return languages;
}

std::string localized(std::string_view key) {
    if (auto catalog = currentCatalog()) {
        if (auto translation = catalog->lookup(key)) return std::string(*translation);
    }
    return std::string(key);
}

std::string localized(std::string_view key, std::int64_t count) {
    std::string text = localized(key);
    constexpr std::string_view token = "%lld";
    if (auto at = text.find(token); at != std::string::npos)
        text.replace(at, token.size(), fmt::format("{}", count));
    return text;
}

std::string localizedFormat(std::string_view key, fmt::format_args arguments) {
    try {
        return fmt::vformat(localized(key), arguments);
    } catch (const fmt::format_error&) {
        return fmt::vformat(key, arguments);
    }
}

}  // namespace qb
