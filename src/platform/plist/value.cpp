#include <cmath>
#include <cstring>
#include <type_traits>
#include <unordered_map>

#include "platform/plist/base64.hpp"
#include "platform/plist/document.hpp"
#include "platform/plist/plist.hpp"

namespace qb::plist {

static_assert(std::is_trivially_destructible_v<Value::Node> &&
                  std::is_trivially_destructible_v<TreeDictionary>,
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
    if (auto array = value.asArray()) {
        std::uint16_t height = 0;
        for (const Value& item : *array) height = std::max(height, heightOf(item));
        return static_cast<std::uint16_t>(std::min<int>(height + 1, UINT16_MAX));
    }
    if (auto dictionary = value.asDictionary()) {
        std::uint16_t height = 0;
        for (const auto& entry : *dictionary) height = std::max(height, heightOf(entry.second));
        return static_cast<std::uint16_t>(std::min<int>(height + 1, UINT16_MAX));
    }
    return value.type() == Type::dictionary ? 1 : 0;
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
Value::Value(const Value& other) : node_(other.owned()), object_(other.object_) {}
Value& Value::operator=(const Value& other) {
    node_ = other.owned();
    object_ = other.object_;
    return *this;
}

std::shared_ptr<const Value::Node> Value::owned() const {
    if (!node_ || node_.use_count() != 0 || !node_->document) return node_;
    return std::shared_ptr<const Node>(node_->document->shared_from_this(), node_.get());
}

const BinaryObjects& ValueAccess::objects(const Value::Node* node) {
    return *node->document->binary;
}

Value ValueAccess::borrow(const Value& value) {
    if (value.node_ && value.node_->document) return Document::inner(value.node_.get(), value.object_);
    return value;
}

Type Value::type() const {
    if (!node_) return Type::null;
    if (node_->binary) return ValueAccess::objects(node_.get()).type(object_);
    return node_->type;
}

// The accessors read a binary file's object once: its marker tells the type.

std::optional<std::string_view> Value::asString() const {
    if (node_ && node_->binary) {
        const auto& objects = ValueAccess::objects(node_.get());
        const auto o = objects.object(object_);
        if (o.kind() == 0x5) return std::string_view(reinterpret_cast<const char*>(o.body), o.length);
        if (o.kind() == 0x6) return objects.convertedText.at(object_);
        return std::nullopt;
    }
    if (type() != Type::string) return std::nullopt;
    return node_->view();
}
std::optional<std::int64_t> Value::asInteger() const {
    if (node_ && node_->binary) {
        const auto& objects = ValueAccess::objects(node_.get());
        const auto o = objects.object(object_);
        if (o.kind() != 0x1) return std::nullopt;
        bool isUnsigned = false;
        const std::uint64_t bits = objects.integerBits(o, isUnsigned);
        if (isUnsigned) return std::nullopt;
        return static_cast<std::int64_t>(bits);
    }
    if (type() != Type::integer) return std::nullopt;
    return node_->integer;
}
std::optional<std::uint64_t> Value::asUnsignedInteger() const {
    if (node_ && node_->binary) {
        const auto& objects = ValueAccess::objects(node_.get());
        const auto o = objects.object(object_);
        if (o.kind() != 0x1) return std::nullopt;
        bool isUnsigned = false;
        const std::uint64_t bits = objects.integerBits(o, isUnsigned);
        if (!isUnsigned) return std::nullopt;
        return bits;
    }
    if (type() != Type::unsignedInteger) return std::nullopt;
    return node_->unsignedInteger;
}
std::optional<double> Value::asReal() const {
    if (node_ && node_->binary) {
        const auto& objects = ValueAccess::objects(node_.get());
        const auto o = objects.object(object_);
        if (o.kind() != 0x2) return std::nullopt;
        return objects.real(o);
    }
    if (type() != Type::real) return std::nullopt;
    return node_->real;
}
std::optional<double> Value::asNumber() const {
    if (auto integer = asInteger()) return static_cast<double>(*integer);
    if (auto unsignedInteger = asUnsignedInteger()) return static_cast<double>(*unsignedInteger);
    return asReal();
}
std::optional<bool> Value::asBoolean() const {
    if (node_ && node_->binary) {
        const unsigned marker = ValueAccess::objects(node_.get()).object(object_).marker;
        if (marker != 0x08 && marker != 0x09) return std::nullopt;
        return marker == 0x09;
    }
    if (type() != Type::boolean) return std::nullopt;
    return node_->boolean;
}
std::optional<Date> Value::asDate() const {
    if (node_ && node_->binary) {
        const auto& objects = ValueAccess::objects(node_.get());
        const auto o = objects.object(object_);
        if (o.kind() != 0x3) return std::nullopt;
        return Date{objects.real(o)};
    }
    if (type() != Type::date) return std::nullopt;
    return Date{node_->real};
}
std::optional<Bytes> Value::asData() const {
    if (node_ && node_->binary) {
        const auto o = ValueAccess::objects(node_.get()).object(object_);
        if (o.kind() != 0x4) return std::nullopt;
        return Bytes(owned(), {reinterpret_cast<const char*>(o.body), static_cast<std::size_t>(o.length)});
    }
    if (type() != Type::data) return std::nullopt;
    if (node_->base64) return base64Decode(node_->view());
    return Bytes(owned(), node_->view());
}
std::optional<std::uint64_t> Value::asUid() const {
    if (node_ && node_->binary) {
        const auto& objects = ValueAccess::objects(node_.get());
        const auto o = objects.object(object_);
        if (o.kind() != 0x8) return std::nullopt;
        return objects.uid(o);
    }
    if (type() != Type::uid) return std::nullopt;
    return node_->uid;
}
std::optional<Array> Value::asArray() const {
    if (node_ && node_->binary) {
        const auto o = ValueAccess::objects(node_.get()).object(object_);
        if (o.kind() != 0xA && o.kind() != 0xC) return std::nullopt;
        return Array(node_.get(), o.body, static_cast<std::size_t>(o.length));
    }
    if (type() != Type::array) return std::nullopt;
    return Array(node_->array->data(), node_->array->size());
}
std::optional<Dictionary> Value::asDictionary() const {
    if (node_ && node_->binary) {
        const auto& objects = ValueAccess::objects(node_.get());
        const auto o = objects.object(object_);
        if (o.kind() != 0xD) return std::nullopt;
        if (!objects.irregularDictionaries.empty()) {
            if (auto found = objects.irregularDictionaries.find(object_);
                found != objects.irregularDictionaries.end()) {
                if (!found->second) return std::nullopt;
                return Dictionary(found->second->entries, found->second->size);
            }
        }
        return Dictionary(node_.get(), o.body, static_cast<std::size_t>(o.length));
    }
    if (type() != Type::dictionary || node_->otherKeys) return std::nullopt;
    return Dictionary(node_->dictionary->entries, node_->dictionary->size);
}
std::optional<Value> Value::operator[](std::string_view key) const {
    auto dictionary = asDictionary();
    return dictionary ? dictionary->find(key) : std::nullopt;
}

Value Array::operator[](std::size_t index) const {
    if (!binary_) return ValueAccess::borrow(values_[index]);
    return Document::inner(binary_, ValueAccess::objects(binary_).reference(references_, index));
}

Dictionary::Entry Dictionary::entry(std::size_t index) const {
    if (!binary_) return {entries_[index].first, ValueAccess::borrow(entries_[index].second)};
    const auto& objects = ValueAccess::objects(binary_);
    return {objects.text(objects.reference(references_, index)),
            Document::inner(binary_, objects.reference(references_, size_ + index))};
}

std::optional<Value> Dictionary::find(std::string_view key) const {
    if (!binary_) {
        for (std::size_t i = 0; i < size_; ++i)
            if (entries_[i].first == key) return ValueAccess::borrow(entries_[i].second);
        return std::nullopt;
    }
    const auto& objects = ValueAccess::objects(binary_);
    for (std::size_t i = 0; i < size_; ++i)
        if (objects.text(objects.reference(references_, i)) == key)
            return Document::inner(binary_, objects.reference(references_, size_ + i));
    return std::nullopt;
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

Value Value::array(std::vector<Value> items) {
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
        : storage(std::move(given)), dictionary{storage.entries.data(), storage.entries.size()} {}
    Value::Node node;
    OwnedDictionary storage;
    TreeDictionary dictionary;
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

namespace {

bool sameNumber(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The bytes of data, decoded into `scratch` when they are base64 text.
std::string_view dataOf(const Value& value, std::optional<Bytes>& scratch) {
    scratch = value.asData();
    return scratch->view();
}

bool hasOtherKeys(const Value& value) {
    return value.type() == Type::dictionary && !value.asDictionary();
}

}  // namespace

// Entry by entry (rare: such dictionaries are compared, never looked into).
OtherEntries ValueAccess::otherEntries(const Value& value) {
    if (!value.node_->binary) return *value.node_->otherEntries;
    const auto& objects = ValueAccess::objects(value.node_.get());
    const auto o = objects.object(value.object_);
    OtherEntries entries;
    const auto count = static_cast<std::size_t>(o.length);
    for (std::size_t i = 0; i < count; ++i)
        entries.emplace_back(Document::inner(value.node_.get(), objects.reference(o.body, i)),
                             Document::inner(value.node_.get(), objects.reference(o.body, count + i)));
    return entries;
}

bool operator==(const Value& a, const Value& b) {
    if (a.node_.get() == b.node_.get() && a.object_ == b.object_) return true;
    const Type type = a.type();
    if (type != b.type()) return false;
    switch (type) {
        case Type::null:
            return true;
        case Type::boolean:
            return a.asBoolean() == b.asBoolean();
        case Type::integer:
            return a.asInteger() == b.asInteger();
        case Type::unsignedInteger:
            return a.asUnsignedInteger() == b.asUnsignedInteger();
        case Type::real:
            return sameNumber(*a.asReal(), *b.asReal());
        case Type::date:
            return sameNumber(a.asDate()->sinceReferenceDate, b.asDate()->sinceReferenceDate);
        case Type::uid:
            return a.asUid() == b.asUid();
        case Type::string:
            return a.asString() == b.asString();
        case Type::data: {
            std::optional<Bytes> x, y;
            return dataOf(a, x) == dataOf(b, y);
        }
        case Type::array: {
            const Array x = *a.asArray();
            const Array y = *b.asArray();
            if (x.size() != y.size()) return false;
            for (std::size_t i = 0; i < x.size(); ++i)
                if (!(x[i] == y[i])) return false;
            return true;
        }
        case Type::dictionary: {
            const bool otherA = hasOtherKeys(a);
            if (otherA != hasOtherKeys(b)) return false;
            if (otherA) return ValueAccess::otherEntries(a) == ValueAccess::otherEntries(b);
            const Dictionary x = *a.asDictionary();
            const Dictionary y = *b.asDictionary();
            if (x.size() != y.size()) return false;
            for (std::size_t i = 0; i < x.size(); ++i) {
                const auto [key, value] = x.entry(i);
                // Same order is the common case; otherwise look the key up.
                auto same = y.entry(i);
                std::optional<Value> other =
                    same.first == key ? std::optional<Value>(same.second) : y.find(key);
                if (!other || !(value == *other)) return false;
            }
            return true;
        }
    }
    return false;
}

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

}  // namespace qb::plist
