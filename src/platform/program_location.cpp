#include "platform/program_location.hpp"

#include <algorithm>
#include <iterator>
#include <system_error>
#include <vector>

// The install folders relative to the prefix, and the build folder, come from CMake (GNUInstallDirs).

namespace qb {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> components(const fs::path& path) {
    std::vector<fs::path> parts;
    for (const auto& part : path.lexically_normal())
        if (!part.empty()) parts.push_back(part);
    return parts;
}

// `folder` without `tail` at its end ("/opt/qbw/bin" without "bin" is "/opt/qbw"); none when it does
// not end so.
std::optional<fs::path> withoutTail(const fs::path& folder, const fs::path& tail) {
    const auto parts = components(folder);
    const auto ending = components(tail);
    if (ending.empty() || ending.size() >= parts.size() ||
        !std::equal(ending.rbegin(), ending.rend(), parts.rbegin()))
        return std::nullopt;
    fs::path prefix;
    for (auto part = parts.begin(); part != parts.end() - static_cast<std::ptrdiff_t>(ending.size()); ++part)
        prefix /= *part;
    return prefix;
}

bool isInside(const fs::path& path, const fs::path& folder) {
    const auto inner = components(path);
    const auto outer = components(folder);
    return !outer.empty() && outer.size() <= inner.size() &&
           std::equal(outer.begin(), outer.end(), inner.begin());
}

fs::path runningExecutable() {
    std::error_code error;
    auto executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable;
}

}  // namespace

ProgramLayout layoutOf(const fs::path& executable, const fs::path& buildFolder) {
    const auto folder = executable.parent_path();
    for (const fs::path tail : {QB_INSTALL_BINDIR, QB_INSTALL_HELPERDIR}) {
        std::error_code error;
        if (auto prefix = withoutTail(folder, tail);
            prefix && fs::is_directory(*prefix / QB_INSTALL_PKGDATADIR, error))
            return {ProgramLayout::Kind::installed, *prefix};
    }
    if (isInside(folder, buildFolder)) return {ProgramLayout::Kind::buildTree, buildFolder};
    return {};
}

const ProgramLayout& programLayout() {
    static const ProgramLayout layout = [] {
        const auto executable = runningExecutable();
        if (executable.empty()) return ProgramLayout{};
        auto found = layoutOf(executable, QB_BUILD_DIR);
        // The build folder as CMake named it may lead through a symbolic link, which the executable's
        // path does not; an installed program never looks at it.
        if (found.kind == ProgramLayout::Kind::unknown) {
            std::error_code error;
            if (auto real = fs::weakly_canonical(QB_BUILD_DIR, error); !error)
                found = layoutOf(executable, real);
        }
        return found;
    }();
    return layout;
}

std::optional<fs::path> programLocaleFolder() {
    const auto& layout = programLayout();
    switch (layout.kind) {
        case ProgramLayout::Kind::installed:
            return layout.root / QB_INSTALL_LOCALEDIR;
        case ProgramLayout::Kind::buildTree:
            return layout.root / "locale";
        case ProgramLayout::Kind::unknown:
            break;
    }
    return std::nullopt;
}

std::optional<fs::path> programDataFolder() {
    const auto& layout = programLayout();
    if (layout.kind != ProgramLayout::Kind::installed) return std::nullopt;
    return layout.root / QB_INSTALL_PKGDATADIR;
}

fs::path programHelperFolder() {
    const auto& layout = programLayout();
    if (layout.kind == ProgramLayout::Kind::installed) return layout.root / QB_INSTALL_HELPERDIR;
    return runningExecutable().parent_path();
}

}  // namespace qb
