#include <cmath>
#include <cstring>
#include <type_traits>
#include <unordered_map>

#include "platform/plist/base64.hpp"
#include "platform/plist/document.hpp"
#include "platform/plist/plist.hpp"

namespace qb::plist {

static_assert(std::is_trivially_destructible_v<Value::Node> && std::is_trivially_destructible_v<Dictionary>,
              "nodes and dictionaries live in the arena, which never destroys them");

namespace {

// A node of its own (built by the constructors below) together with what it refers to.
template <class Storage>
struct Holder {
    explicit Holder(Storage value) : storage(std::move(value)) {}
    Value::Node node;
    Storage storage;
};

template <class Storage>
std::shared_ptr<Holder<Storage>> makeHolder(Type type, Storage storage) {
    auto holder = std::make_shared<Holder<Storage>>(std::move(storage));
    holder->node.type = type;
    return holder;
}

std::uint16_t heightOf(const Value& value) {
    if (const Array* array = value.asArray()) {
        std::uint16_t height = 0;
        for (const Value& item : *array) height = std::max(height, heightOf(item));
        return static_cast<std::uint16_t>(std::min<int>(height + 1, UINT16_MAX));
    }
    if (const Dictionary* dictionary = value.asDictionary()) {
        std::uint16_t height = 0;
        for (const auto& entry : *dictionary) height = std::max(height, heightOf(entry.second));
        return static_cast<std::uint16_t>(std::min<int>(height + 1, UINT16_MAX));
    }
    return value.type() == Type::dictionary ? 1 : 0;
}

std::string decodedData(const Value::Node& node) {
    return node.base64 ? base64Decode(node.view()) : std::string(node.view());
}

bool sameNumber(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool equalNodes(const Value::Node* a, const Value::Node* b);

bool equalDictionaries(const Dictionary& a, const Dictionary& b) {
    if (a.size() != b.size()) return false;
    const auto& entries = b.entries();
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto& [key, value] = a.entries()[i];
        // Same order is the common case; otherwise look the key up.
        const Value* other = entries[i].first == key ? &entries[i].second : b.find(key);
        if (!other || !(value == *other)) return false;
    }
    return true;
}

}  // namespace

const Value::Node* nullNode() {
    static const Value::Node node{};
    return &node;
}

const Value::Node* booleanNode(bool value) {
    static const Value::Node nodes[2] = {[] {
                                             Value::Node node;
                                             node.type = Type::boolean;
                                             node.boolean = false;
                                             return node;
                                         }(),
                                         [] {
                                             Value::Node node;
                                             node.type = Type::boolean;
                                             node.boolean = true;
                                             return node;
                                         }()};
    return &nodes[value ? 1 : 0];
}

char* Arena::newChunk(std::size_t size) {
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    return chunks_.back().get();
}

char* Arena::allocateSlow(std::size_t size) {
    // A large block gets a chunk of its own and leaves the current one in use.
    if (size > chunkSize / 4) return newChunk(size);
    next_ = newChunk(chunkSize);
    end_ = next_ + chunkSize;
    char* at = next_;
    next_ += size;
    return at;
}

char* Arena::reserve(std::size_t capacity) {
    if (next_ && static_cast<std::size_t>(end_ - next_) >= capacity) return next_;
    const std::size_t size = std::max(capacity, chunkSize);
    next_ = newChunk(size);
    end_ = next_ + size;
    return next_;
}

std::string_view Arena::store(std::string_view text) {
    if (text.empty()) return {};
    char* out = reserve(text.size());
    std::memcpy(out, text.data(), text.size());
    commit(text.size());
    return {out, text.size()};
}

Value::Value() = default;
Value::Value(const Value& other) : node_(other.owned()) {}
Value& Value::operator=(const Value& other) {
    node_ = other.owned();
    return *this;
}

std::shared_ptr<const Value::Node> Value::owned() const {
    if (!node_ || node_.use_count() != 0 || !node_->document) return node_;
    return std::shared_ptr<const Node>(node_->document->shared_from_this(), node_.get());
}

Type Value::type() const {
    return node_ ? node_->type : Type::null;
}

std::optional<std::string_view> Value::asString() const {
    if (type() != Type::string) return std::nullopt;
    return node_->view();
}
std::optional<std::int64_t> Value::asInteger() const {
    if (type() != Type::integer) return std::nullopt;
    return node_->integer;
}
std::optional<std::uint64_t> Value::asUnsignedInteger() const {
    if (type() != Type::unsignedInteger) return std::nullopt;
    return node_->unsignedInteger;
}
std::optional<double> Value::asReal() const {
    if (type() != Type::real) return std::nullopt;
    return node_->real;
}
std::optional<double> Value::asNumber() const {
    switch (type()) {
        case Type::integer:
            return static_cast<double>(node_->integer);
        case Type::unsignedInteger:
            return static_cast<double>(node_->unsignedInteger);
        case Type::real:
            return node_->real;
        default:
            return std::nullopt;
    }
}
std::optional<bool> Value::asBoolean() const {
    if (type() != Type::boolean) return std::nullopt;
    return node_->boolean;
}
std::optional<Date> Value::asDate() const {
    if (type() != Type::date) return std::nullopt;
    return Date{node_->real};
}
std::optional<Bytes> Value::asData() const {
    if (type() != Type::data) return std::nullopt;
    if (node_->base64) return Bytes(base64Decode(node_->view()));
    return Bytes(owned(), node_->view());
}
std::optional<std::uint64_t> Value::asUid() const {
    if (type() != Type::uid) return std::nullopt;
    return node_->uid;
}
const Array* Value::asArray() const {
    return type() == Type::array ? node_->array : nullptr;
}
const Dictionary* Value::asDictionary() const {
    return type() == Type::dictionary && !node_->otherKeys ? node_->dictionary : nullptr;
}
const Value* Value::operator[](std::string_view key) const {
    const Dictionary* dictionary = asDictionary();
    return dictionary ? dictionary->find(key) : nullptr;
}

Value Value::boolean(bool v) {
    return Value(std::shared_ptr<const Node>(std::shared_ptr<const Node>(), booleanNode(v)));
}

Value Value::integer(std::int64_t v) {
    auto node = std::make_shared<Node>();
    node->type = Type::integer;
    node->integer = v;
    return Value(std::move(node));
}

Value Value::unsignedInteger(std::uint64_t v) {
    if (v <= static_cast<std::uint64_t>(INT64_MAX)) return integer(static_cast<std::int64_t>(v));
    auto node = std::make_shared<Node>();
    node->type = Type::unsignedInteger;
    node->unsignedInteger = v;
    return Value(std::move(node));
}

Value Value::real(double v) {
    auto node = std::make_shared<Node>();
    node->type = Type::real;
    node->real = v;
    return Value(std::move(node));
}

Value Value::date(Date v) {
    auto node = std::make_shared<Node>();
    node->type = Type::date;
    node->real = v.sinceReferenceDate;
    return Value(std::move(node));
}

Value Value::data(Bytes v) {
    auto holder = makeHolder(Type::data, std::move(v));
    holder->node.text = holder->storage.data();
    holder->node.length = holder->storage.size();
    return Value(std::shared_ptr<const Node>(holder, &holder->node));
}

Value Value::string(std::string v) {
    auto holder = makeHolder(Type::string, std::move(v));
    holder->node.text = holder->storage.data();
    holder->node.length = holder->storage.size();
    return Value(std::shared_ptr<const Node>(holder, &holder->node));
}

Value Value::string(std::shared_ptr<const void> owner, std::string_view v) {
    auto holder = makeHolder(Type::string, std::move(owner));
    holder->node.text = v.data();
    holder->node.length = v.size();
    return Value(std::shared_ptr<const Node>(holder, &holder->node));
}

Value Value::uid(std::uint64_t v) {
    auto node = std::make_shared<Node>();
    node->type = Type::uid;
    node->uid = v;
    return Value(std::move(node));
}

Value Value::array(Array items) {
    auto holder = makeHolder(Type::array, std::move(items));
    holder->node.array = &holder->storage;
    Value value(std::shared_ptr<const Node>(holder, &holder->node));
    holder->node.height = heightOf(value);
    return value;
}

namespace {

// A dictionary of its own: the keys it was given and the entries viewing them.
struct OwnedDictionary {
    explicit OwnedDictionary(std::vector<std::pair<std::string, Value>> given) : keys(std::move(given)) {
        entries.reserve(keys.size());
        for (auto& [key, value] : keys) entries.emplace_back(key, std::move(value));
        entries.resize(Dictionary::removeRepeatedKeys(entries.data(), entries.size()));
    }
    OwnedDictionary(const OwnedDictionary&) = delete;
    OwnedDictionary& operator=(const OwnedDictionary&) = delete;

    std::vector<std::pair<std::string, Value>> keys;  // never resized: the entries view its strings
    std::vector<Dictionary::Entry> entries;
};

struct DictionaryHolder {
    explicit DictionaryHolder(std::vector<std::pair<std::string, Value>> given)
        : storage(std::move(given)), dictionary(storage.entries.data(), storage.entries.size()) {}
    Value::Node node;
    OwnedDictionary storage;
    Dictionary dictionary;
};

}  // namespace

Value Value::dictionary(std::vector<std::pair<std::string, Value>> entries) {
    auto holder = std::make_shared<DictionaryHolder>(std::move(entries));
    holder->node.type = Type::dictionary;
    holder->node.dictionary = &holder->dictionary;
    Value value(std::shared_ptr<const Node>(holder, &holder->node));
    holder->node.height = heightOf(value);
    return value;
}

Value Value::dictionaryWithOtherKeys(std::vector<std::pair<Value, Value>> entries) {
    auto holder = makeHolder(Type::dictionary, std::move(entries));
    holder->node.otherKeys = true;
    holder->node.otherEntries = &holder->storage;
    holder->node.height = 1;
    return Value(std::shared_ptr<const Node>(holder, &holder->node));
}

bool operator==(const Value& a, const Value& b) {
    return equalNodes(a.node_.get(), b.node_.get());
}

namespace {

bool equalNodes(const Value::Node* a, const Value::Node* b) {
    if (a == b) return true;
    Type typeA = a ? a->type : Type::null;
    Type typeB = b ? b->type : Type::null;
    if (typeA != typeB) return false;
    switch (typeA) {
        case Type::null:
            return true;
        case Type::boolean:
            return a->boolean == b->boolean;
        case Type::integer:
            return a->integer == b->integer;
        case Type::unsignedInteger:
            return a->unsignedInteger == b->unsignedInteger;
        case Type::real:
        case Type::date:
            return sameNumber(a->real, b->real);
        case Type::uid:
            return a->uid == b->uid;
        case Type::string:
            return a->view() == b->view();
        case Type::data:
            if (a->base64 == b->base64 && !a->base64) return a->view() == b->view();
            return decodedData(*a) == decodedData(*b);
        case Type::array: {
            const Array& x = *a->array;
            const Array& y = *b->array;
            if (x.size() != y.size()) return false;
            for (std::size_t i = 0; i < x.size(); ++i)
                if (!(x[i] == y[i])) return false;
            return true;
        }
        case Type::dictionary:
            if (a->otherKeys != b->otherKeys) return false;
            if (a->otherKeys) return *a->otherEntries == *b->otherEntries;
            return equalDictionaries(*a->dictionary, *b->dictionary);
    }
    return false;
}

}  // namespace

std::size_t Dictionary::removeRepeatedKeys(Entry* entries, std::size_t size) {
    if (size <= 16) {
        bool repeated = false;
        for (std::size_t i = 1; i < size && !repeated; ++i)
            for (std::size_t j = 0; j < i && !repeated; ++j) repeated = entries[i].first == entries[j].first;
        if (!repeated) return size;
    }
    // The keys view storage that outlives the entries, so the index may hold them while entries move.
    std::unordered_map<std::string_view, std::size_t> index;
    index.reserve(size);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < size; ++i) {
        auto [found, inserted] = index.emplace(entries[i].first, kept);
        if (!inserted) {
            entries[found->second].second = std::move(entries[i].second);
        } else {
            if (kept != i) entries[kept] = std::move(entries[i]);
            ++kept;
        }
    }
    return kept;
}

const Value* Dictionary::find(std::string_view key) const {
    for (const Entry& entry : *this)
        if (entry.first == key) return &entry.second;
    return nullptr;
}

}  // namespace qb::plist
