#include "plist_test_helpers.hpp"

#include <cmath>
#include <cstring>

#include <fmt/format.h>

namespace qb::test {

std::string bigEndian(std::uint64_t value, unsigned width) {
    std::string out(width, '\0');
    for (unsigned i = 0; i < width; ++i) out[width - 1 - i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
}

std::string BinaryPlist::bytes() const {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::uint64_t table = out.size();
    for (auto offset : offsets) out += bigEndian(offset, offsetSize);
    out += std::string(6, '\0');
    out += static_cast<char>(offsetSize);
    out += static_cast<char>(refSize);
    out += bigEndian(count.value_or(objects.size()), 8);
    out += bigEndian(top, 8);
    out += bigEndian(tableOffset.value_or(table), 8);
    return out;
}

std::string marker(unsigned high, std::uint64_t count) {
    if (count < 15) return std::string(1, static_cast<char>(high << 4 | count));
    std::string out(1, static_cast<char>(high << 4 | 0x0F));
    if (count < 0x100) return out + '\x10' + bigEndian(count, 1);
    if (count < 0x10000) return out + '\x11' + bigEndian(count, 2);
    return out + '\x12' + bigEndian(count, 4);
}

std::string arrayObject(const std::vector<std::uint64_t>& refs, unsigned refSize) {
    std::string out = marker(0xA, refs.size());
    for (auto ref : refs) out += bigEndian(ref, refSize);
    return out;
}

std::string dictObject(const std::vector<std::uint64_t>& keys, const std::vector<std::uint64_t>& values,
                       unsigned refSize) {
    std::string out = marker(0xD, keys.size());
    for (auto ref : keys) out += bigEndian(ref, refSize);
    for (auto ref : values) out += bigEndian(ref, refSize);
    return out;
}

std::string asciiObject(const std::string& text) {
    return marker(0x5, text.size()) + text;
}

std::string utf16Object(const std::vector<std::uint16_t>& units) {
    std::string out = marker(0x6, units.size());
    for (auto unit : units) out += bigEndian(unit, 2);
    return out;
}

namespace {

std::string hex(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) out += fmt::format("{:02x}", c);
    return out;
}

std::string doubleBits(double value) {
    if (std::isnan(value)) return "nan";
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return fmt::format("{:016x}", bits);
}

}  // namespace

std::string canonical(const plist::Value& value) {
    using plist::Type;
    switch (value.type()) {
        case Type::null:
            return "null";
        case Type::boolean:
            return *value.asBoolean() ? "true" : "false";
        case Type::integer:
            return fmt::format("int:{}", *value.asInteger());
        case Type::unsignedInteger:
            return fmt::format("int:{}", *value.asUnsignedInteger());
        case Type::real:
            return "real:" + doubleBits(*value.asReal());
        case Type::date:
            return "date:" + doubleBits(value.asDate()->sinceReferenceDate);
        case Type::data:
            return "data:" + hex(value.asData()->view());
        case Type::string:
            return "str:" + hex(*value.asString());
        case Type::uid:
            return fmt::format("uid:{}", *value.asUid());
        case Type::array: {
            std::string out = "[";
            const auto items = value.asArray();
            for (const auto& item : *items) out += (out.size() > 1 ? "," : "") + canonical(item);
            return out + "]";
        }
        case Type::dictionary: {
            auto dictionary = value.asDictionary();
            if (!dictionary) return "{non-string keys}";
            std::string out = "{";
            for (const auto& [key, item] : *dictionary)
                out += (out.size() > 1 ? "," : "") + ("str:" + hex(key)) + ":" + canonical(item);
            return out + "}";
        }
    }
    return "?";
}

const char* const canonicalPython = R"(
import datetime, math, plistlib, struct
EPOCH = datetime.datetime(2001, 1, 1)
def bits(f):
    return 'nan' if math.isnan(f) else struct.pack('>d', f).hex()
def canon(v, xml):
    if v is None: return 'null'
    if isinstance(v, bool): return 'true' if v else 'false'
    if isinstance(v, plistlib.UID): return 'uid:%d' % v.data
    if isinstance(v, int): return 'int:%d' % v
    if isinstance(v, float): return 'real:' + bits(v)
    if isinstance(v, datetime.datetime):
        return 'date:' + bits(((v.replace(microsecond=0) if xml else v) - EPOCH).total_seconds())
    if isinstance(v, (bytes, bytearray)): return 'data:' + bytes(v).hex()
    if isinstance(v, str): return 'str:' + v.encode('utf-8').hex()
    if isinstance(v, (list, tuple)): return '[' + ','.join(canon(x, xml) for x in v) + ']'
    if isinstance(v, dict):
        return '{' + ','.join(canon(k, xml) + ':' + canon(x, xml) for k, x in v.items()) + '}'
    raise TypeError(type(v))
)";

}  // namespace qb::test
