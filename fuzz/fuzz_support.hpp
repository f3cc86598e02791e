#pragma once

// What the fuzz targets share: a scratch file per process that each input is written to, quiet logs,
// and a check that turns a broken invariant into a finding.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/log.hpp"
#include "ui/view.hpp"
#include "environment/family.hpp"

namespace qb::fuzz {

// Stops the run with a message when an invariant does not hold; libFuzzer saves the input.
inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// A folder of this process under the system's temporary folder, removed when the process ends.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qb-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Replaces the file `name` in the folder with `bytes`; returns its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const {
        auto file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        check(out.good(), "the scratch file could not be written");
        return file;
    }

  private:
    std::filesystem::path path_;
};

inline const ScratchFolder& scratch() {
    static const ScratchFolder folder;
    return folder;
}

// The stores log every broken file; the messages are caught and dropped after each input.
class QuietLog {
  public:
    ~QuietLog() { capture().clear(); }

  private:
    static LogCapture& capture() {
        static LogCapture instance;
        return instance;
    }
};

inline constexpr WidgetFamily allFamilies[] = {WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                               WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge,
                                               WidgetFamily::accessoryRectangular};

// An entry as the host uses it: its JSON text and its view in every family, dumped.
template <class Entry, class EntryView>
std::size_t exercise(const Entry& entry) {
    // The host writes JSON with invalid UTF-8 replaced; so does this.
    std::size_t sum =
        nlohmann::json(entry).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).size();
    for (auto family : allFamilies) sum += ui::dump(EntryView{entry}.body(ui::Environment{family})).size();
    return sum;
}

}  // namespace qb::fuzz
