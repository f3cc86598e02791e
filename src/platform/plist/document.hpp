#pragma once

// The storage of one parsed property list: every node, container and converted string of the tree lives
// in a Document, which also keeps the input buffer alive. Values inside the tree point at their nodes
// without owning the document; the root and every copy taken out of the tree own it.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/bytes.hpp"
#include "platform/plist/plist.hpp"

namespace qb::plist {

using OtherEntries = std::vector<std::pair<Value, Value>>;

struct Value::Node {
    Type type = Type::null;
    // For data: the text is checked base64, decoded when asked for. For a dictionary: the keys are not
    // all strings and `otherEntries` holds the entries.
    bool base64 = false;
    bool otherKeys = false;
    // Containers nested in this value, itself included (0 for scalars); bounded by maxDepth.
    std::uint16_t height = 0;
    const Document* document = nullptr;  // the parse holding this node; null for a node of its own
    std::size_t length = 0;              // bytes of `text`
    union {
        bool boolean;
        std::int64_t integer = 0;
        std::uint64_t unsignedInteger;
        double real;  // reals and dates
        std::uint64_t uid;
        const char* text;  // strings and data
        const Array* array;
        const Dictionary* dictionary;
        const OtherEntries* otherEntries;
    };

    std::string_view view() const { return {text, length}; }
};

// Bump storage for text that does not lie in the input as is (converted UTF-16, XML character data).
class TextStore {
  public:
    // Room for `capacity` bytes; call commit() with the bytes used before the next reserve().
    char* reserve(std::size_t capacity);
    void commit(std::size_t used) { next_ += used; }
    std::string_view store(std::string_view text);

  private:
    static constexpr std::size_t chunkSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

struct Document : std::enable_shared_from_this<Document> {
    explicit Document(Bytes bytes) : input(std::move(bytes)) {}

    Bytes input;
    std::deque<Value::Node> nodes;
    std::deque<Array> arrays;
    std::deque<Dictionary> dictionaries;
    std::deque<OtherEntries> otherEntries;
    TextStore texts;

    Value::Node& newNode(Type type) {
        Value::Node& node = nodes.emplace_back();
        node.type = type;
        node.document = this;
        return node;
    }
    // A value stored inside this document's containers: it does not own the document.
    static Value inner(const Value::Node* node) {
        return Value(std::shared_ptr<const Value::Node>(std::shared_ptr<const Value::Node>(), node));
    }
    // The value handed to the caller: it owns the document.
    Value root(const Value::Node* node) const {
        if (!node->document) return inner(node);
        return Value(std::shared_ptr<const Value::Node>(shared_from_this(), node));
    }
};

// Nodes shared by every parse (they own nothing).
const Value::Node* nullNode();
const Value::Node* booleanNode(bool value);

}  // namespace qb::plist
