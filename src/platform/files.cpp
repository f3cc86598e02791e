#include "platform/files.hpp"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
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

// One fstat for the size, then reads until the end of the file: a file that grew since is read to
// its new end, one that shrank ends where it now ends. A second fstat tells whether the file changed
// while it was read (a program rewriting it in place); such a read may hold parts of two versions, so
// the file is read again, a few times at most, after which the last read is returned as it is (the
// parsers reject a torn file).
template <class Buffer>
bool readInto(const std::filesystem::path& path, Buffer& bytes) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return false;
    struct stat before;
    if (::fstat(fd.get(), &before) != 0 || S_ISDIR(before.st_mode)) return false;

    for (int attempt = 1;; ++attempt) {
        // One byte more than the size, so that the read that finds the end needs no second buffer.
        bytes.resize(static_cast<std::size_t>(before.st_size > 0 ? before.st_size : 0) + 1);
        std::size_t filled = 0;
        for (;;) {
            if (filled == bytes.size()) bytes.resize(bytes.size() * 2 + 4096);
            ssize_t n = readSome(fd.get(), bytes.data() + filled, bytes.size() - filled);
            if (n < 0) return false;
            if (n == 0) break;
            filled += static_cast<std::size_t>(n);
        }
        bytes.resize(filled);

        struct stat after;
        if (attempt == maxReadAttempts || !S_ISREG(before.st_mode) || ::fstat(fd.get(), &after) != 0 ||
            !changedWhileRead(before, after, filled))
            return true;
        if (::lseek(fd.get(), 0, SEEK_SET) != 0) return true;
        // A writer usually finishes within a moment; give it that moment before the next read.
        std::this_thread::sleep_for(std::chrono::microseconds(250 * attempt));
        before = after;
    }
}

}  // namespace

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::string bytes;
    if (!readInto(path, bytes)) return std::nullopt;
    return bytes;
}

std::optional<Bytes> readFileBytes(const std::filesystem::path& path) {
    UnclearedBuffer bytes;
    if (!readInto(path, bytes)) return std::nullopt;
    return std::move(bytes).release();
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
