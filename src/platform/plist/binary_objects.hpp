#pragma once

// The objects of a binary property list ("bplist00"), read from the file's buffer when a value is asked
// for. The reader checks every object the root can reach before it hands the root out, so nothing here
// checks bounds again.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "platform/plist/plist.hpp"

namespace qb::plist {

struct TreeDictionary;

// `width` bytes at `p`, most significant first (width 1 to 8).
std::uint64_t readBigEndian(const unsigned char* p, unsigned width);

struct BinaryObjects {
    const unsigned char* data = nullptr;
    std::uint64_t tableOffset = 0;
    unsigned offsetSize = 0;
    unsigned referenceSize = 0;
    std::uint64_t count = 0;
    std::uint64_t top = 0;

    // An object's marker and where its content starts; for data, strings and containers also its length
    // (bytes, UTF-16 units or entries), for numbers their width in bytes.
    struct Object {
        unsigned marker = 0;
        const unsigned char* body = nullptr;
        std::uint64_t length = 0;
        unsigned kind() const { return marker >> 4; }
    };

    std::uint64_t offset(std::uint64_t object) const {
        return readBigEndian(data + tableOffset + object * offsetSize, offsetSize);
    }
    std::uint64_t reference(const unsigned char* references, std::size_t index) const {
        return readBigEndian(references + index * referenceSize, referenceSize);
    }
    Object object(std::uint64_t object) const;
    Type type(std::uint64_t object) const;

    // Strings: ASCII text lies in the buffer; UTF-16 text was converted when the file was parsed.
    std::string_view text(std::uint64_t object) const;
    // Integers of up to 16 bytes that fit 64 bits: the bits, and whether they read as unsigned.
    std::uint64_t integerBits(const Object& object, bool& isUnsigned) const;
    double real(const Object& object) const;  // reals and dates
    std::uint64_t uid(const Object& object) const;

    std::unordered_map<std::uint64_t, std::string_view> convertedText;
    // Dictionaries whose keys are not all strings (null), or repeat (the entries that are kept).
    std::unordered_map<std::uint64_t, const TreeDictionary*> irregularDictionaries;
};

}  // namespace qb::plist
