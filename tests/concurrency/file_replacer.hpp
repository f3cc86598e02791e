#pragma once

// Replacing a file with its versions in turn, as the document manager and a careless writer would.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/files.hpp"

namespace qb::test {

inline void writeInTwoParts(const std::filesystem::path& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0) << path;
    const auto half = bytes.size() / 2;
    EXPECT_EQ(::write(fd, bytes.data(), half) + ::write(fd, bytes.data() + half, bytes.size() - half),
              static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// A file and its versions, written in turn by renaming a new file over it and by rewriting it in place,
// so that every version is written both ways.
struct FileReplacer {
    std::filesystem::path path;
    std::vector<std::pair<std::string, std::string>> versions;  // label, bytes
    std::size_t steps = 0;

    void replace() {
        const auto& bytes = versions[steps % versions.size()].second;
        if ((steps + steps / versions.size()) % 2 == 1) {
            writeInTwoParts(path, bytes);
        } else {
            auto temporary = path.parent_path() / ("." + path.filename().string() + ".replacement");
            writeInTwoParts(temporary, bytes);
            std::filesystem::rename(temporary, path);
        }
        ++steps;
    }
    void put(const std::string& bytes) const { ASSERT_FALSE(writeFileAtomically(path, bytes)); }
};

}  // namespace qb::test
