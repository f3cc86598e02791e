#include "plist_test_helpers.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fmt/format.h>

#include "platform/plist/base64.hpp"

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
        case Type::unsignedInteger:  // only values past the signed range have this type
            return fmt::format("uint:{}", *value.asUnsignedInteger());
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

namespace {

// Seconds since 2001-01-01 for "YYYY-MM-DDTHH:MM:SS[.ffffff]Z", computed as plistlib does: whole
// microseconds, divided once.
double secondsSinceReference(const std::string& text, bool wholeSeconds) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char fraction[8] = "";
    std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d.%6[0-9]", &year, &month, &day, &hour, &minute, &second,
                fraction);
    using namespace std::chrono;
    const auto days = sys_days{std::chrono::year{year} / month / day} - sys_days{2001y / 1 / 1};
    const std::int64_t whole = days.count() * 86400LL + hour * 3600 + minute * 60 + second;
    const std::int64_t micros =
        wholeSeconds ? 0 : std::atoll((std::string(fraction) + "000000").substr(0, 6).c_str());
    return static_cast<double>(whole * 1'000'000 + micros) / 1e6;
}

}  // namespace

plist::Value describedValue(const PlistJson& description, PlistFormat format) {
    using plist::Value;
    if (description.is_boolean()) return Value::boolean(description.get<bool>());
    if (description.is_number_unsigned()) return Value::unsignedInteger(description.get<std::uint64_t>());
    if (description.is_number_integer()) return Value::integer(description.get<std::int64_t>());
    if (description.is_number_float()) return Value::real(description.get<double>());
    if (description.is_string()) return Value::string(description.get<std::string>());
    if (description.is_array()) {
        std::vector<Value> items;
        for (const auto& item : description) items.push_back(describedValue(item, format));
        return Value::array(std::move(items));
    }
    if (description.contains("$date"))
        return Value::date(Date{secondsSinceReference(description["$date"], format == PlistFormat::xml)});
    // Binary files hold no base64, so a fault in this decoder shows in their rows.
    if (description.contains("$data"))
        return Value::data(plist::base64Decode(description["$data"].get<std::string>()));
    if (description.contains("$real")) return Value::real(std::stod(description["$real"].get<std::string>()));
    if (description.contains("$uid")) return Value::uid(description["$uid"].get<std::uint64_t>());
    std::vector<std::pair<std::string, Value>> entries;
    for (const auto& [key, item] : description.items())
        entries.emplace_back(key, describedValue(item, format));
    return Value::dictionary(std::move(entries));
}

}  // namespace qb::test
