#pragma once

// Property lists, binary ("bplist00") and XML, read by our own reader: exact, bounded and never throwing.
// A parsed tree shares the buffer it was read from; strings and data of the binary format point into it.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/bytes.hpp"
#include "platform/date.hpp"

namespace qb::plist {

class Value;
struct Document;

enum class Type { null, boolean, integer, unsignedInteger, real, date, data, string, array, dictionary, uid };

// A dictionary keeps its entries in file order; a repeated key keeps the last value.
class Dictionary;
using Array = std::vector<Value>;

// One value of a property list. Cheap to copy: containers are shared, never copied.
class Value {
  public:
    Value();  // null
    // Copies share the node. A value inside a parsed tree does not own the tree (that would be a cycle);
    // a copy taken from it does, so it stays valid after the root is gone.
    Value(const Value& other);
    Value& operator=(const Value& other);
    Value(Value&&) noexcept = default;
    Value& operator=(Value&&) noexcept = default;
    ~Value() = default;

    Type type() const;

    // Typed access: nothing when the type differs.
    std::optional<std::string_view> asString() const;  // UTF-8; valid while this value or a copy lives
    std::optional<std::int64_t> asInteger() const;     // signed 64-bit integers; not booleans, not reals
    std::optional<std::uint64_t> asUnsignedInteger() const;  // unsigned values above 2^63-1 only
    std::optional<double> asReal() const;
    std::optional<double> asNumber() const;  // an integer (signed or unsigned) or a real
    std::optional<bool> asBoolean() const;
    std::optional<Date> asDate() const;
    std::optional<Bytes> asData() const;
    std::optional<std::uint64_t> asUid() const;
    const Array* asArray() const;
    // A dictionary whose keys are all strings (the only kind the XML format has).
    const Dictionary* asDictionary() const;

    // The value under `key` when this is a string-keyed dictionary; nullptr otherwise.
    const Value* operator[](std::string_view key) const;

    // Structural equality, value for value (dates and reals compared as doubles, NaN equal to NaN).
    friend bool operator==(const Value& a, const Value& b);

    // Construction, for the readers and for tests.
    static Value boolean(bool v);
    static Value integer(std::int64_t v);
    static Value unsignedInteger(std::uint64_t v);
    static Value real(double v);
    static Value date(Date v);
    static Value data(Bytes v);
    static Value string(std::string v);
    // A string that lives in a buffer kept alive by `owner`.
    static Value string(std::shared_ptr<const void> owner, std::string_view v);
    static Value uid(std::uint64_t v);
    static Value array(Array items);
    static Value dictionary(std::vector<std::pair<std::string, Value>> entries);
    // A dictionary with a non-string key: kept, but asDictionary() answers nothing.
    static Value dictionaryWithOtherKeys(std::vector<std::pair<Value, Value>> entries);

    struct Node;

  private:
    friend struct Document;
    explicit Value(std::shared_ptr<const Node> node) : node_(std::move(node)) {}
    // The node with ownership of what keeps it alive (for copies and for data handed out).
    std::shared_ptr<const Node> owned() const;
    std::shared_ptr<const Node> node_;
};

class Dictionary {
  public:
    // A key views text that lives as long as the tree (in the parsed buffer or beside the nodes).
    using Entry = std::pair<std::string_view, Value>;

    const Value* find(std::string_view key) const;
    std::span<const Entry> entries() const { return {entries_, size_}; }  // file order, keys unique
    std::size_t size() const { return size_; }
    const Entry* begin() const { return entries_; }
    const Entry* end() const { return entries_ + size_; }

    // Over `size` entries with unique keys that outlive the dictionary.
    Dictionary(const Entry* entries, std::size_t size) : entries_(entries), size_(size) {}

    // Makes keys unique in place: a repeated key keeps the place of its first occurrence and the value
    // of its last. Answers how many entries are left at the front.
    static std::size_t removeRepeatedKeys(Entry* entries, std::size_t size);

  private:
    const Entry* entries_ = nullptr;
    std::size_t size_ = 0;
};

// The result of parsing: the root value, or why the bytes are no property list (a short reason for
// debug logging).
struct ParseResult {
    std::optional<Value> value;
    std::string error;
    explicit operator bool() const { return value.has_value(); }
};

// Parses binary or XML property lists (XML in UTF-8 or UTF-16, with or without a byte-order mark).
// Never throws, never aborts, never reads outside `bytes`; nesting deeper than 512 levels, reference
// cycles and sizes beyond what the buffer can hold are errors.
ParseResult parse(Bytes bytes);
inline ParseResult parse(std::string bytes) {
    return parse(Bytes(std::move(bytes)));
}

inline constexpr int maxDepth = 512;

}  // namespace qb::plist
