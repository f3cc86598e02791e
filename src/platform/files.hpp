#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bytes.hpp"

namespace qb {

// The whole file in one buffer, read with one open; nothing when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& path);
// The same read into a buffer that is not cleared first, shared as Bytes (large files that are parsed
// in place, such as property lists).
std::optional<Bytes> readFileBytes(const std::filesystem::path& path);

// Writes a file so that a reader sees the old or the new contents, never a part: a unique temporary
// file in the same folder, flushed, then renamed over the target. Returns an error description on
// failure.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace qb
