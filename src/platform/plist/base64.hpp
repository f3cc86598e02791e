#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bytes.hpp"

namespace qb::plist {

// Base64 as property lists hold it: the standard alphabet, XML whitespace (space, tab, CR, LF) anywhere,
// padding optional. The decoded size when `text` is such base64; nothing otherwise. Text that passes
// holds nothing but ASCII symbols, '=' and XML whitespace, so it is never markup.
std::optional<std::size_t> base64DecodedSize(std::string_view text);

// The run of symbols, padding and XML whitespace that `text` starts with: its length, and its decoded
// size when the run is base64 as above. One pass finds where a text ends and checks it.
struct Base64Run {
    std::size_t length = 0;
    std::optional<std::size_t> decodedSize;
    friend bool operator==(const Base64Run&, const Base64Run&) = default;
};
Base64Run base64Run(std::string_view text);

// Decodes text that base64DecodedSize() accepted into `out`, which has room for that many bytes;
// answers how many it wrote.
std::size_t base64DecodeInto(std::string_view text, char* out);

// Decodes text that base64DecodedSize() accepted into a buffer of its own.
Bytes base64Decode(std::string_view text);

}  // namespace qb::plist
