#pragma once

// Walking UTF-8 text code point by code point, with ICU's decoder: the one decoder of the project.

#include <cstdint>
#include <string_view>

#include <unicode/utf8.h>

namespace qb {

// Calls `visit(codePoint, bytes)` for every code point of the text with the bytes that encode it; a
// sequence that is not UTF-8 comes as the code point -1 with its bytes.
template <class Visit>
void forEachCodePoint(std::string_view text, Visit visit) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t index = 0;
    while (index < length) {
        const std::int32_t start = index;
        UChar32 c = 0;
        U8_NEXT(bytes, index, length, c);
        visit(c, text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(index - start)));
    }
}

}  // namespace qb
