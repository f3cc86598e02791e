#include "support/test_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

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

std::string runPython(std::string_view program) {
    TempDir dir;
    auto script = dir.write("program.py", program);
    std::string command = "python3 '" + script.string() + "'";
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
    if (status != 0) ADD_FAILURE() << "python3 failed (status " << status << ") running:\n" << program;
    return output;
}

std::string plistlibDump(std::string_view pythonExpression, PlistFormat format) {
    std::string program =
        "import base64, datetime, plistlib, sys\n"
        "value = " + std::string(pythonExpression) + "\n"
        "sys.stdout.buffer.write(plistlib.dumps(value, fmt=plistlib." +
        (format == PlistFormat::binary ? "FMT_BINARY" : "FMT_XML") + ", sort_keys=False))\n";
    return runPython(program);
}

}  // namespace qb::test
