#include "platform/plist/binary_objects.hpp"

#include <cstring>

namespace qb::plist {

Type BinaryObjects::type(std::uint64_t index) const {
    const Object o = object(index);
    switch (o.kind()) {
        case 0x0:
            return o.marker == 0x00 ? Type::null : Type::boolean;
        case 0x1: {
            bool isUnsigned = false;
            integerBits(o, isUnsigned);
            return isUnsigned ? Type::unsignedInteger : Type::integer;
        }
        case 0x2:
            return Type::real;
        case 0x3:
            return Type::date;
        case 0x4:
            return Type::data;
        case 0x5:
        case 0x6:
            return Type::string;
        case 0x8:
            return Type::uid;
        case 0xA:
        case 0xC:
            return Type::array;
        default:
            return Type::dictionary;
    }
}

std::string_view BinaryObjects::text(std::uint64_t index) const {
    const Object o = object(index);
    if (o.kind() == 0x5) return {reinterpret_cast<const char*>(o.body), static_cast<std::size_t>(o.length)};
    return convertedText.at(index);
}

std::uint64_t BinaryObjects::integerBits(const Object& o, bool& isUnsigned) const {
    isUnsigned = false;
    if (o.length <= 8) return readBigEndian(o.body, static_cast<unsigned>(o.length));
    // 16 bytes, two's complement, known to fit 64 bits: unsigned when the high half is zero and the low
    // half does not fit a signed integer.
    const std::uint64_t high = readBigEndian(o.body, 8);
    const std::uint64_t low = readBigEndian(o.body + 8, 8);
    isUnsigned = high == 0 && low > static_cast<std::uint64_t>(INT64_MAX);
    return low;
}

double BinaryObjects::real(const Object& o) const {
    if (o.length == 4) {
        auto bits = static_cast<std::uint32_t>(readBigEndian(o.body, 4));
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const std::uint64_t bits = readBigEndian(o.body, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::uint64_t BinaryObjects::uid(const Object& o) const {
    return o.length > 8 ? readBigEndian(o.body + o.length - 8, 8)
                        : readBigEndian(o.body, static_cast<unsigned>(o.length));
}

}  // namespace qb::plist
