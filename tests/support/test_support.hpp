#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qb::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `bytes` to `relative` under the folder, creating folders on the way; returns the full path.
    std::filesystem::path write(const std::filesystem::path& relative, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

enum class PlistFormat { binary, xml };

// The bytes Python's plistlib writes for a Python expression, e.g.
//   plistlibDump("[{'Name': 'Work', 'Date': datetime.datetime(2020, 1, 2)}]", PlistFormat::binary)
// `datetime` and `base64` are imported. Fails the current test if Python fails.
std::string plistlibDump(std::string_view pythonExpression, PlistFormat format);

// Runs a Python 3 program and returns what it wrote to stdout; fails the current test on an error.
std::string runPython(std::string_view program);

}  // namespace qb::test
