#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bytes.hpp"

namespace qb {

// The most a whole-file read takes in, far above any file the widgets read (a reading list of 10,000
// entries with icons is some 30 MB): a larger file is unreadable, so that a hostile or runaway file
// cannot fill the memory.
inline constexpr std::size_t maxFileReadBytes = std::size_t{256} << 20;

// The contents of a file, or nothing and why: `error` names the file and says what was wrong with it
// ("/home/a/x.plist: a named pipe, not a regular file"), for the log. Empty when the read worked.
template <class T>
struct FileContents : std::optional<T> {
    std::string error;
};

// The whole file in one buffer, read with one open. Only a regular file of at most maxFileReadBytes is
// read: a pipe, a device, a socket or a folder at the path is unreadable, and the read never waits for
// a writer or a device.
FileContents<std::string> readFile(const std::filesystem::path& path);
// The same read into a buffer that is not cleared first, shared as Bytes (large files that are parsed
// in place, such as property lists).
FileContents<Bytes> readFileBytes(const std::filesystem::path& path);

// Writes a file so that a reader sees the old or the new contents, never a part: a unique temporary
// file in the same folder, flushed, then renamed over the target. Returns an error description on
// failure.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace qb
