#include "platform/files.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fmt/format.h>

namespace qb {
namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    // Closes now, reporting whether that worked (a failed close can lose written data).
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

// read() that goes on after a signal; the bytes read, or -1.
ssize_t readSome(int fd, char* into, std::size_t size) {
    ssize_t n;
    do {
        n = ::read(fd, into, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

// How often a file that keeps changing while it is read is read in all.
constexpr int maxReadAttempts = 5;

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the file's status after a read of `bytesRead` bytes shows a change since `before`. Files that
// report no size (those under /proc) are judged by their times alone.
bool changedWhileRead(const struct stat& before, const struct stat& after, std::size_t bytesRead) {
    return before.st_dev != after.st_dev || before.st_ino != after.st_ino ||
           before.st_size != after.st_size || !sameTime(before.st_mtim, after.st_mtim) ||
           !sameTime(before.st_ctim, after.st_ctim) ||
           (after.st_size > 0 && static_cast<std::size_t>(after.st_size) != bytesRead);
}

std::string errorText(int error) {
    return std::strerror(error);
}

// A buffer for readInto that keeps its bytes when it grows but never clears them: the read fills them.
class UnclearedBuffer {
  public:
    char* data() { return bytes_.get(); }
    std::size_t size() const { return size_; }
    void resize(std::size_t size) {
        if (size > capacity_) {
            auto grown = std::make_unique_for_overwrite<char[]>(size);
            if (size_) std::memcpy(grown.get(), bytes_.get(), size_);
            bytes_ = std::move(grown);
            capacity_ = size;
        }
        size_ = size;
    }
    Bytes release() && {
        const std::string_view view(bytes_.get(), size_);
        return Bytes(std::shared_ptr<const char[]>(std::move(bytes_)), view);
    }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// What stands at a path when it is not a regular file.
std::string_view kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "something else";
}

// Why a file with this status is not read; none for a regular file within the cap.
std::optional<std::string> refusal(const struct stat& status) {
    if (!S_ISREG(status.st_mode)) return fmt::format("{}, not a regular file", kindOf(status.st_mode));
    if (static_cast<std::uintmax_t>(status.st_size) > maxFileReadBytes)
        return fmt::format("{} bytes, more than the {} MiB a data file may hold", status.st_size,
                           maxFileReadBytes >> 20);
    return std::nullopt;
}

// Reads a regular file of at most maxFileReadBytes whole; returns why it could not (without the path).
//
// The status is looked at before the open, so that a device is never opened (opening some has effects
// of its own), and again on the open descriptor, which is what counts: the path may have been replaced
// in between. The open does not wait (a named pipe without a writer would block it for ever) and takes
// no controlling terminal.
//
// One fstat for the size, then reads until the end of the file: a file that grew since is read to its
// new end, one that shrank ends where it now ends; never more than one byte past the cap, so a file that
// grows while it is read cannot pass it. A second fstat tells whether the file changed while it was read
// (a program rewriting it in place); such a read may hold parts of two versions, so the file is read
// again, a few times at most, after which the last read is returned as it is (the parsers reject a torn
// file).
template <class Buffer>
std::optional<std::string> readInto(const std::filesystem::path& path, Buffer& bytes) {
    struct stat before;
    if (::stat(path.c_str(), &before) != 0) return errorText(errno);
    if (auto refused = refusal(before)) return refused;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) return errorText(errno);
    if (::fstat(fd.get(), &before) != 0) return errorText(errno);
    if (auto refused = refusal(before)) return refused;

    constexpr std::size_t limit = maxFileReadBytes + 1;
    for (int attempt = 1;; ++attempt) {
        // One byte more than the size, so that the read that finds the end needs no second buffer.
        bytes.resize(std::min(static_cast<std::size_t>(before.st_size) + 1, limit));
        std::size_t filled = 0;
        for (;;) {
            if (filled == limit)
                return fmt::format("grew past the {} MiB a data file may hold while it was read",
                                   maxFileReadBytes >> 20);
            if (filled == bytes.size()) bytes.resize(std::min(bytes.size() * 2 + 4096, limit));
            ssize_t n = readSome(fd.get(), bytes.data() + filled, bytes.size() - filled);
            if (n < 0) return errorText(errno);
            if (n == 0) break;
            filled += static_cast<std::size_t>(n);
        }
        bytes.resize(filled);

        struct stat after;
        if (attempt == maxReadAttempts || ::fstat(fd.get(), &after) != 0 ||
            !changedWhileRead(before, after, filled))
            return std::nullopt;
        if (::lseek(fd.get(), 0, SEEK_SET) != 0) return std::nullopt;
        // A writer usually finishes within a moment; give it that moment before the next read.
        std::this_thread::sleep_for(std::chrono::microseconds(250 * attempt));
        before = after;
    }
}

// The contents read, or the reason why not with the path in front.
template <class T>
FileContents<T> contentsOf(const std::filesystem::path& path, std::optional<std::string> error, T bytes) {
    FileContents<T> contents;
    if (error) {
        contents.error = fmt::format("{}: {}", path.string(), *error);
    } else {
        contents.emplace(std::move(bytes));
    }
    return contents;
}

}  // namespace

FileContents<std::string> readFile(const std::filesystem::path& path) {
    std::string bytes;
    auto error = readInto(path, bytes);
    return contentsOf(path, std::move(error), std::move(bytes));
}

FileContents<Bytes> readFileBytes(const std::filesystem::path& path) {
    UnclearedBuffer bytes;
    auto error = readInto(path, bytes);
    return contentsOf(path, std::move(error), std::move(bytes).release());
}

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    auto folder = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return fmt::format(
            "Could not create a temporary file in {}: {}. Check that the folder exists and is writable.",
            folder.string(), errorText(errno));
    }
    auto fail = [&](std::string_view what) {
        int error = errno;
        ::unlink(temporary.c_str());
        return fmt::format("Could not {} {}: {}.", what, path.string(), errorText(error));
    };
    for (std::size_t written = 0; written < bytes.size();) {
        ssize_t n = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail("write");
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) return fail("flush");
    if (!fd.close()) return fail("write");
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail("replace");
    return std::nullopt;
}

}  // namespace qb
