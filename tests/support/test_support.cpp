#include "support/test_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include <fmt/format.h>

#include <gtest/gtest.h>

#include "platform/json.hpp"

namespace qb::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qb-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::write(const std::filesystem::path& relative, std::string_view bytes) const {
    auto full = path_ / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return full;
}

Clock tickingClock(double start) {
    auto now = std::make_shared<double>(start);
    return [now] { return Date{(*now)++}; };
}

namespace {

// Runs `command` in the shell and returns its standard output; fails the current test on an error.
std::string commandOutput(const std::string& command, std::string_view shown) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        ADD_FAILURE() << "cannot start python3";
        return {};
    }
    std::string output;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, n);
    int status = pclose(pipe.release());
    if (status != 0) ADD_FAILURE() << "python3 failed (status " << status << ") running:\n" << shown;
    return output;
}

}  // namespace

std::string runPython(std::string_view program) {
    TempDir dir;
    auto script = dir.write("program.py", program);
    return commandOutput("python3 '" + script.string() + "'", program);
}

PlistJson plistDate(std::string_view iso8601) {
    return {{"$date", iso8601}};
}

PlistJson plistData(std::string_view bytes) {
    return {{"$data", base64Encode(bytes)}};
}

std::string makePlist(const PlistJson& description, PlistFormat format) {
    TempDir dir;
    const std::string json = description.dump();
    const auto input = dir.write("description.json", json);
    return commandOutput(fmt::format("python3 '{}' {} < '{}'", QB_MAKE_PLIST_SCRIPT,
                                     format == PlistFormat::binary ? "binary" : "xml", input.string()),
                         json.size() > 2000 ? json.substr(0, 2000) + "…" : json);
}

}  // namespace qb::test
