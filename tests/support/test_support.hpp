#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/date.hpp"

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

// A clock that moves one second on at every reading, so that tests see which reading went where.
Clock tickingClock(double start);

// A value as indented JSON: items compared this way differ in every stored field that differs (their own
// equality looks at the id alone), and a failure shows the lines that differ.
template <class T>
std::string jsonLines(const T& value) {
    return nlohmann::json(value).dump(1);
}

enum class PlistFormat { binary, xml };

// A property list described as JSON, keys in the order written; dates, data, reals JSON cannot hold and
// UIDs are tagged objects (see support/make_plist.py), which plistDate() and plistData() make.
using PlistJson = nlohmann::ordered_json;
PlistJson plistDate(std::string_view iso8601);
// A description written as JSON text: R"([{"Name": "Work", "Date": {"$date":
// "2020-01-02T03:04:05Z"}}])"_plist.
inline PlistJson operator""_plist(const char* text, std::size_t length) {
    return PlistJson::parse(text, text + length);
}
PlistJson plistData(std::string_view bytes);

// The bytes Python's plistlib writes for `description`: an independent writer to check our reader
// against. Fails the current test if the script fails.
std::string makePlist(const PlistJson& description, PlistFormat format);

// Runs a Python 3 program and returns what it wrote to stdout; fails the current test on an error.
std::string runPython(std::string_view program);

}  // namespace qb::test
