#pragma once

// The storage of one parsed property list: every node, container and converted string of the tree lives
// in a Document, which also keeps the input buffer alive. Values inside the tree point at their nodes
// without owning the document; the root and every copy taken out of the tree own it.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/bytes.hpp"
#include "platform/plist/binary_objects.hpp"
#include "platform/plist/plist.hpp"

namespace qb::plist {

using Values = std::vector<Value>;
using OtherEntries = std::vector<std::pair<Value, Value>>;

// A tree's dictionary: its entries, keys unique.
struct TreeDictionary {
    const Dictionary::Entry* entries;
    std::size_t size;
};

struct Value::Node {
    Type type = Type::null;
    // For data: the text is checked base64, decoded when asked for. For a dictionary: the keys are not
    // all strings and `otherEntries` holds the entries.
    bool base64 = false;
    bool otherKeys = false;
    // The node stands for a binary file (`document->binary`); a value holding it names one of its
    // objects.
    bool binary = false;
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
        const Values* array;
        const TreeDictionary* dictionary;
        const OtherEntries* otherEntries;
    };

    std::string_view view() const { return {text, length}; }
};

// Bump storage for everything a parse makes besides arrays: nodes, dictionaries and their entries, and
// text that does not lie in the input as is (converted UTF-16, XML character data). Objects placed here
// are never destroyed one by one: only objects whose destruction does nothing go here (values inside a
// tree own nothing).
class Arena {
  public:
    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // Room for `capacity` bytes; call commit() with the bytes used before the next reserve or allocation.
    char* reserve(std::size_t capacity);
    void commit(std::size_t used) { next_ += used; }
    std::string_view store(std::string_view text);

    // Uninitialised room for `count` objects of type T.
    template <class T>
    T* allocate(std::size_t count = 1) {
        static_assert(alignof(T) <= alignof(std::max_align_t));
        const std::size_t size = sizeof(T) * count;
        const auto misalignment = reinterpret_cast<std::uintptr_t>(next_) % alignof(T);
        const std::size_t padding = misalignment ? alignof(T) - misalignment : 0;
        if (next_ && static_cast<std::size_t>(end_ - next_) >= size + padding) {
            char* at = next_ + padding;
            next_ = at + size;
            return reinterpret_cast<T*>(at);
        }
        return reinterpret_cast<T*>(allocateSlow(size));
    }

  private:
    static constexpr std::size_t chunkSize = 64 * 1024;
    char* allocateSlow(std::size_t size);  // max_align_t aligned
    char* newChunk(std::size_t size);

    std::vector<std::unique_ptr<char[]>> chunks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

struct Document : std::enable_shared_from_this<Document> {
    explicit Document(Bytes bytes) : input(std::move(bytes)) {}

    Bytes input;
    Arena arena;
    std::deque<Values> arrays;
    std::optional<BinaryObjects> binary;
    Value::Node binaryNode;  // stands for the objects of `binary`
    std::deque<OtherEntries> otherEntries;

    Value::Node& newNode(Type type) {
        Value::Node* node = new (arena.allocate<Value::Node>()) Value::Node();
        node->type = type;
        node->document = this;
        return *node;
    }
    // A dictionary over `size` entries placed in the arena (keys already unique).
    const TreeDictionary* newDictionary(const Dictionary::Entry* entries, std::size_t size) {
        return new (arena.allocate<TreeDictionary>()) TreeDictionary{entries, size};
    }
    // A value stored inside this document's containers: it does not own the document.
    static Value inner(const Value::Node* node, std::uint64_t object = 0) {
        return Value(std::shared_ptr<const Value::Node>(std::shared_ptr<const Value::Node>(), node), object);
    }
    // The value handed to the caller: it owns the document.
    Value root(const Value::Node* node, std::uint64_t object = 0) const {
        if (!node->document) return inner(node);
        return Value(std::shared_ptr<const Value::Node>(shared_from_this(), node), object);
    }
};

// What the readers and the views need of a value's insides.
struct ValueAccess {
    static const BinaryObjects& objects(const Value::Node* node);
    // A value read out of a container: borrowed when the container lies in a parsed file (the root owns
    // the file), a copy otherwise.
    static Value borrow(const Value& value);
    static OtherEntries otherEntries(const Value& value);
};

// Nodes shared by every parse (they own nothing).
const Value::Node* nullNode();
const Value::Node* booleanNode(bool value);

}  // namespace qb::plist
