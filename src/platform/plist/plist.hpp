#pragma once

// Property lists, binary ("bplist00") and XML, read by our own reader: exact, bounded and never throwing.
// A parsed tree shares the buffer it was read from; strings and data of the binary format point into it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/bytes.hpp"
#include "platform/date.hpp"

namespace qb::plist {

class Value;
class Array;
class Dictionary;
struct Document;

enum class Type { null, boolean, integer, unsignedInteger, real, date, data, string, array, dictionary, uid };

// One value of a property list. Cheap to copy: containers are shared, never copied. A binary file's
// values are read from the file's buffer when asked for; nothing of them is decoded ahead.
//
// Lifetimes: the root that parse() answers owns the parsed file. Values, arrays and dictionaries read
// out of a container borrow from it: they stay valid while the root lives. A value copied from a named
// value (copy constructor or assignment) owns what it needs, and so does retained(); a moved value
// keeps what it had. Name an array or dictionary before looping over it: in
// `for (auto item : *value.asArray())` the optional is gone before the loop starts.
class Value {
  public:
    Value();  // null
    Value(const Value& other);
    Value& operator=(const Value& other);
    Value(Value&&) noexcept = default;
    Value& operator=(Value&&) noexcept = default;
    ~Value() = default;

    Type type() const;
    // This value, owning what it needs: valid after the root is gone.
    Value retained() const { return Value(owned(), object_); }

    // Typed access: nothing when the type differs.
    std::optional<std::string_view> asString() const;  // UTF-8; valid while this value or a copy lives
    std::optional<std::int64_t> asInteger() const;     // signed 64-bit integers; not booleans, not reals
    std::optional<std::uint64_t> asUnsignedInteger() const;  // unsigned values above 2^63-1 only
    std::optional<double> asReal() const;
    std::optional<double> asNumber() const;  // an integer (signed or unsigned) or a real
    std::optional<bool> asBoolean() const;
    std::optional<Date> asDate() const;
    std::optional<Bytes> asData() const;  // keeps what it views alive
    std::optional<std::uint64_t> asUid() const;
    std::optional<Array> asArray() const;  // arrays and sets
    // A dictionary whose keys are all strings (the only kind the XML format has).
    std::optional<Dictionary> asDictionary() const;

    // The value under `key` when this is a string-keyed dictionary that has it.
    std::optional<Value> operator[](std::string_view key) const;

    // Where the value is stored: the same for values read from one place (the shared references of a
    // binary file share it). Lets a walk visit a shared container once.
    std::pair<const void*, std::uint64_t> identity() const { return {node_.get(), object_}; }

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
    static Value array(std::vector<Value> items);
    static Value dictionary(std::vector<std::pair<std::string, Value>> entries);
    // A dictionary with a non-string key: kept, but asDictionary() answers nothing.
    static Value dictionaryWithOtherKeys(std::vector<std::pair<Value, Value>> entries);

    struct Node;

  private:
    friend struct Document;
    friend class Array;
    friend class Dictionary;
    friend struct ValueAccess;
    Value(std::shared_ptr<const Node> node, std::uint64_t object) : node_(std::move(node)), object_(object) {}
    explicit Value(std::shared_ptr<const Node> node) : node_(std::move(node)) {}
    // The node with ownership of what keeps it alive (for copies and for data handed out).
    std::shared_ptr<const Node> owned() const;

    // A node of a tree, or the node standing for a binary file, whose object number `object_` this is.
    std::shared_ptr<const Node> node_;
    std::uint64_t object_ = 0;
};

// An iterator over a view by position; it holds a copy of the view and reads an item with `read`.
template <class View, class Item, Item (View::*read)(std::size_t) const>
class PositionIterator {
  public:
    using value_type = Item;
    using difference_type = std::ptrdiff_t;
    PositionIterator() = default;
    PositionIterator(View view, std::size_t index) : view_(view), index_(index) {}
    Item operator*() const { return (view_.*read)(index_); }
    PositionIterator& operator++() {
        ++index_;
        return *this;
    }
    PositionIterator operator++(int) {
        PositionIterator before = *this;
        ++index_;
        return before;
    }
    friend bool operator==(const PositionIterator& a, const PositionIterator& b) {
        return a.index_ == b.index_;
    }

  private:
    View view_;
    std::size_t index_ = 0;
};

// The items of an array, in order: a view that borrows from the value it was read from.
class Array {
  public:
    Array() = default;  // empty
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Value operator[](std::size_t index) const;  // index < size()
    using Iterator = PositionIterator < Array, Value, &Array::operator[]>;
    Iterator begin() const;
    Iterator end() const;

  private:
    friend class Value;
    friend struct ValueAccess;
    Array(const Value* values, std::size_t size) : values_(values), size_(size) {}
    Array(const Value::Node* binary, const unsigned char* references, std::size_t size)
        : binary_(binary), references_(references), size_(size) {}

    // A tree's values, or the object references of a binary file's array.
    const Value* values_ = nullptr;
    const Value::Node* binary_ = nullptr;
    const unsigned char* references_ = nullptr;
    std::size_t size_ = 0;
};

// A dictionary with string keys, in file order; a repeated key keeps the place of its first occurrence
// and the value of its last. A view that borrows from the value it was read from.
class Dictionary {
  public:
    using Entry = std::pair<std::string_view, Value>;

    Dictionary() = default;  // empty
    std::optional<Value> find(std::string_view key) const;
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Entry entry(std::size_t index) const;  // index < size()
    using Iterator = PositionIterator<Dictionary, Entry, &Dictionary::entry>;
    Iterator begin() const;
    Iterator end() const;

    // Makes keys unique in place: a repeated key keeps the place of its first occurrence and the value
    // of its last. Answers how many entries are left at the front.
    static std::size_t removeRepeatedKeys(Entry* entries, std::size_t size);

  private:
    friend class Value;
    friend struct ValueAccess;
    Dictionary(const Entry* entries, std::size_t size) : entries_(entries), size_(size) {}
    Dictionary(const Value::Node* binary, const unsigned char* references, std::size_t size)
        : binary_(binary), references_(references), size_(size) {}

    // A tree's entries (keys unique), or the key and value references of a binary file's dictionary.
    const Entry* entries_ = nullptr;
    const Value::Node* binary_ = nullptr;
    const unsigned char* references_ = nullptr;
    std::size_t size_ = 0;
};

inline Array::Iterator Array::begin() const {
    return {*this, 0};
}
inline Array::Iterator Array::end() const {
    return {*this, size_};
}
inline Dictionary::Iterator Dictionary::begin() const {
    return {*this, 0};
}
inline Dictionary::Iterator Dictionary::end() const {
    return {*this, size_};
}

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
