#pragma once

// Helpers for the property-list tests: hand-built binary files (for what no writer produces), the value
// a fixture's JSON description stands for, and a canonical text form that shows file order.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/plist/plist.hpp"
#include "support/test_support.hpp"

namespace qb::test {

// `width` bytes of `value`, most significant first.
std::string bigEndian(std::uint64_t value, unsigned width);

// A binary property list made of raw objects; the offset table and trailer are written from the
// fields, which tests may set to wrong values.
struct BinaryPlist {
    BinaryPlist() = default;
    explicit BinaryPlist(std::vector<std::string> list) : objects(std::move(list)) {}

    std::vector<std::string> objects;
    unsigned offsetSize = 1;
    unsigned refSize = 1;
    std::uint64_t top = 0;
    std::optional<std::uint64_t> count;        // default: objects.size()
    std::optional<std::uint64_t> tableOffset;  // default: where the table is written

    std::string bytes() const;
};

// Object encodings.
std::string marker(unsigned high, std::uint64_t count);  // with the extended length when count >= 15
std::string arrayObject(const std::vector<std::uint64_t>& refs, unsigned refSize = 1);
std::string dictObject(const std::vector<std::uint64_t>& keys, const std::vector<std::uint64_t>& values,
                       unsigned refSize = 1);
std::string asciiObject(const std::string& text);
std::string utf16Object(const std::vector<std::uint16_t>& units);

// "int:5", "uint:<past 2^63>", "str:<hex>", "[...]", "{key:value,...}" in file order, reals and dates by
// their bits.
std::string canonical(const plist::Value& value);

// The value a description for makePlist() stands for; for XML, dates lose their fractions as plistlib
// writes whole seconds.
plist::Value describedValue(const PlistJson& description, PlistFormat format);

}  // namespace qb::test
