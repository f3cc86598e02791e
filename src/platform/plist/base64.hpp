#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qb::plist {

// Base64 as property lists hold it: the standard alphabet, XML whitespace (space, tab, CR, LF) anywhere,
// padding optional. The decoded size when `text` is such base64; nothing otherwise. Text that passes
// holds nothing but ASCII symbols, '=' and XML whitespace, so it is never markup.
std::optional<std::size_t> base64DecodedSize(std::string_view text);

// Decodes text that base64DecodedSize() accepted into `out`, which has room for that many bytes.
void base64DecodeInto(std::string_view text, char* out);

std::string base64Decode(std::string_view text);

}  // namespace qb::plist
