#pragma once

// Replaces a file with its versions in turn, the way other programs do: by renaming a new file over it,
// or by rewriting it in place (truncate, then write in two parts).

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "platform/files.hpp"

namespace qb::test {

struct FileVersion {
    std::string label;
    std::string bytes;
};

class FileReplacer {
  public:
    FileReplacer(std::filesystem::path path, std::vector<FileVersion> versions)
        : path_(std::move(path)), versions_(std::move(versions)) {}

    const std::filesystem::path& path() const { return path_; }
    const std::vector<FileVersion>& versions() const { return versions_; }

    // Writes the next version: the versions in turn, by rename and in place alternately, so that every
    // version is written both ways.
    void replace() {
        const auto& version = versions_[step_ % versions_.size()];
        const bool inPlace = (step_ + step_ / versions_.size()) % 2 == 1;
        if (inPlace) {
            rewriteInPlace(version.bytes);
            ++inPlaceCount_;
        } else {
            renameOver(version.bytes);
            ++renameCount_;
        }
        ++step_;
    }

    // Puts one version in place at once (by rename).
    void put(const std::string& bytes) const {
        if (auto error = writeFileAtomically(path_, bytes)) throw std::runtime_error(*error);
    }

    std::size_t renameCount() const { return renameCount_; }
    std::size_t inPlaceCount() const { return inPlaceCount_; }

  private:
    // A new file written beside the old one and renamed over it; not flushed to the disk, as nothing here
    // needs to outlive a crash.
    void renameOver(const std::string& bytes) const {
        auto temporary = path_.parent_path() / ("." + path_.filename().string() + ".replacement");
        writeWhole(temporary, bytes);
        std::filesystem::rename(temporary, path_);
    }

    static void writeWhole(const std::filesystem::path& path, const std::string& bytes) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) throw std::runtime_error("cannot open " + path.string());
        bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(fd);
        if (!written) throw std::runtime_error("cannot write " + path.string());
    }

    void rewriteInPlace(const std::string& bytes) const {
        int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) throw std::runtime_error("cannot open " + path_.string());
        const std::size_t half = bytes.size() / 2;
        bool written = ::write(fd, bytes.data(), half) == static_cast<ssize_t>(half) &&
                       ::write(fd, bytes.data() + half, bytes.size() - half) ==
                           static_cast<ssize_t>(bytes.size() - half);
        ::close(fd);
        if (!written) throw std::runtime_error("cannot write " + path_.string());
    }

    std::filesystem::path path_;
    std::vector<FileVersion> versions_;
    std::size_t step_ = 0;
    std::size_t renameCount_ = 0;
    std::size_t inPlaceCount_ = 0;
};

}  // namespace qb::test
