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
inline std::uint64_t readBigEndian(const unsigned char* p, unsigned width) {
    switch (width) {
        case 1:
            return p[0];
        case 2:
            return std::uint64_t{p[0]} << 8 | p[1];
        case 4:
            return std::uint64_t{p[0]} << 24 | std::uint64_t{p[1]} << 16 | std::uint64_t{p[2]} << 8 | p[3];
        default: {
            std::uint64_t value = 0;
            for (unsigned i = 0; i < width; ++i) value = value << 8 | p[i];
            return value;
        }
    }
}

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

inline BinaryObjects::Object BinaryObjects::object(std::uint64_t index) const {
    const unsigned char* p = data + offset(index);
    Object result{p[0], p + 1, 0};
    const unsigned low = result.marker & 0x0F;
    switch (result.kind()) {
        case 0x1:
        case 0x2:
            result.length = std::uint64_t{1} << low;
            break;
        case 0x3:
            result.length = 8;
            break;
        case 0x8:
            result.length = low + 1;
            break;
        case 0x4:
        case 0x5:
        case 0x6:
        case 0xA:
        case 0xC:
        case 0xD:
            if (low != 0x0F) {
                result.length = low;
            } else {
                const unsigned width = 1u << (p[1] & 0x0F);
                result.length = readBigEndian(p + 2, width);
                result.body = p + 2 + width;
            }
            break;
        default:
            break;
    }
    return result;
}

}  // namespace qb::plist
