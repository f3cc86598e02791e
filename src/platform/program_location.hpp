#pragma once

// Where the running program's own files are. An installed program finds them relative to its
// executable (share/locale, share/quillbrook-widgets, libexec/quillbrook-widgets), so that an install
// under any prefix, or a package unpacked into any folder, works; a program in the build tree it was
// built in uses the build tree's files.

#include <filesystem>
#include <optional>

namespace qb {

struct ProgramLayout {
    enum class Kind {
        installed,  // the executable is in <prefix>/bin or <prefix>/libexec/quillbrook-widgets
        buildTree,  // the executable is inside the build folder it was built in
        unknown     // neither: the program has no files of its own
    };
    Kind kind = Kind::unknown;
    // installed: the prefix (the folder holding bin/ and share/); buildTree: the build folder.
    std::filesystem::path root;
    friend bool operator==(const ProgramLayout&, const ProgramLayout&) = default;
};

// The layout of the executable at `executable`, an absolute path without symbolic links. An install
// is recognised by its shape (the executable's folder is the prefix's bin or libexec folder and the
// prefix holds share/quillbrook-widgets), before the build folder: an install into a folder inside the
// build tree still reads its installed files.
ProgramLayout layoutOf(const std::filesystem::path& executable, const std::filesystem::path& buildFolder);

// The running program's layout (from /proc/self/exe and the build folder it was compiled in), worked
// out once.
const ProgramLayout& programLayout();

// The folder of the compiled string tables (<language>/LC_MESSAGES/quillbrook-widgets.mo): installed,
// <prefix>/share/locale; in the build tree, <build>/locale.
std::optional<std::filesystem::path> programLocaleFolder();

// The installed program's data folder, <prefix>/share/quillbrook-widgets; none outside an install.
std::optional<std::filesystem::path> programDataFolder();

// The folder of the programs that only the program runs: installed, <prefix>/libexec/quillbrook-widgets;
// otherwise the running executable's own folder (where the build tree puts them).
std::filesystem::path programHelperFolder();

}  // namespace qb
