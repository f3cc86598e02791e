// The binary format ("bplist00"): a header, the objects, a table of object offsets and a 32-byte
// trailer giving the widths of offsets and object references, the object count, the top object and
// where the offset table starts. Every offset, reference and length is checked against the buffer;
// each object is read once and shared by every reference to it.

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/plist/document.hpp"
#include "platform/plist/readers.hpp"

namespace qb::plist {
namespace {

using Node = Value::Node;

constexpr std::size_t headerSize = 8;
constexpr std::size_t trailerSize = 32;

std::uint64_t readBigEndian(const unsigned char* p, unsigned width) {
    std::uint64_t value = 0;
    switch (width) {
        case 1:
            return p[0];
        case 2:
            return std::uint64_t{p[0]} << 8 | p[1];
        case 4:
            return std::uint64_t{p[0]} << 24 | std::uint64_t{p[1]} << 16 | std::uint64_t{p[2]} << 8 | p[3];
        default:
            for (unsigned i = 0; i < width; ++i) value = value << 8 | p[i];
            return value;
    }
}

double readDouble(const unsigned char* p) {
    std::uint64_t bits = readBigEndian(p, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float readFloat(const unsigned char* p) {
    auto bits = static_cast<std::uint32_t>(readBigEndian(p, 4));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool isAscii(const unsigned char* p, std::size_t length) {
    std::uint64_t all = 0;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        all |= word;
    }
    for (; i < length; ++i) all |= p[i];
    return (all & 0x8080808080808080u) == 0;
}

void appendUtf8(char*& out, std::uint32_t code) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | code >> 6);
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | code >> 12);
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | code >> 18);
        *out++ = static_cast<char>(0x80 | (code >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

class BinaryReader {
  public:
    explicit BinaryReader(Document& document)
        : document_(document),
          data_(reinterpret_cast<const unsigned char*>(document.input.data())),
          size_(document.input.size()) {}

    ParseResult read() {
        if (!readTrailer()) return {std::nullopt, error_};
        // Calloc'd: pages of the table that no reference reaches are never touched.
        memo_.reset(static_cast<const Node**>(std::calloc(count_, sizeof(const Node*))));
        if (!memo_) throw std::bad_alloc();
        const Node* root = object(top_, 1);
        if (!root) return {std::nullopt, error_};
        return {document_.root(root), {}};
    }

  private:
    bool readTrailer() {
        if (size_ < headerSize + 2 + trailerSize)
            return fail("the file is too short for a binary property list");
        const unsigned char* trailer = data_ + size_ - trailerSize;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        count_ = readBigEndian(trailer + 8, 8);
        top_ = readBigEndian(trailer + 16, 8);
        tableOffset_ = readBigEndian(trailer + 24, 8);
        std::size_t tableEnd = size_ - trailerSize;
        if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8)
            return fail("invalid offset or reference width in the trailer");
        if (count_ == 0 || top_ >= count_) return fail("invalid object count or top object in the trailer");
        if (tableOffset_ <= headerSize || tableOffset_ >= tableEnd)
            return fail("the offset table lies outside the file");
        if (count_ > (tableEnd - tableOffset_) / offsetSize_)
            return fail("more objects than the offset table can hold");
        return true;
    }

    bool fail(const char* reason) {
        if (error_.empty()) error_ = reason;
        return false;
    }
    const Node* failed(const char* reason) {
        fail(reason);
        return nullptr;
    }

    // The object at `index`, where a container would be the `level`th one nested.
    const Node* object(std::uint64_t index, int level) {
        if (index >= count_) return failed("object reference out of range");
        if (const Node* known = memo_[index]) {
            if (known == inProgress()) return failed("an object contains itself");
            if (level - 1 + known->height > maxDepth) return failed("nesting deeper than 512 levels");
            return known;
        }
        std::uint64_t offset = readBigEndian(data_ + tableOffset_ + index * offsetSize_, offsetSize_);
        if (offset < headerSize || offset >= tableOffset_) return failed("object offset out of range");
        const Node* node =
            readObject(data_ + offset, static_cast<std::size_t>(tableOffset_ - offset), index, level);
        if (node) memo_[index] = node;
        return node;
    }

    const Node* readObject(const unsigned char* p, std::size_t available, std::uint64_t index, int level) {
        const unsigned marker = p[0];
        const unsigned low = marker & 0x0F;
        std::size_t pos = 1;
        auto has = [&](std::uint64_t bytes) { return bytes <= available - pos; };
        switch (marker >> 4) {
            case 0x0:
                if (marker == 0x00) return nullNode();
                if (marker == 0x08 || marker == 0x09) return booleanNode(marker == 0x09);
                return failed("unknown object type");
            case 0x1:
                return readInteger(p + pos, low, available - pos);
            case 0x2: {
                if (low != 2 && low != 3) return failed("invalid real size");
                if (!has(std::size_t{1} << low)) return failed("object extends past its bounds");
                Node& node = document_.newNode(Type::real);
                node.real = low == 2 ? double{readFloat(p + pos)} : readDouble(p + pos);
                return &node;
            }
            case 0x3: {
                if (marker != 0x33) return failed("invalid date");
                if (!has(8)) return failed("object extends past its bounds");
                Node& node = document_.newNode(Type::date);
                node.real = readDouble(p + pos);
                return &node;
            }
            case 0x4:
            case 0x5:
            case 0x6: {
                std::uint64_t length;
                if (!readSize(p, low, available, pos, length)) return nullptr;
                const unsigned kind = marker >> 4;
                if (kind == 0x6 ? length > (available - pos) / 2 : !has(length))
                    return failed("object extends past its bounds");
                const auto* start = p + pos;
                if (kind == 0x6) return readUtf16(start, static_cast<std::size_t>(length));
                Node& node = document_.newNode(kind == 0x4 ? Type::data : Type::string);
                if (kind == 0x5 && !isAscii(start, static_cast<std::size_t>(length)))
                    return failed("non-ASCII byte in an ASCII string");
                node.text = reinterpret_cast<const char*>(start);
                node.length = static_cast<std::size_t>(length);
                return &node;
            }
            case 0x8: {
                const unsigned width = low + 1;
                if (!has(width)) return failed("object extends past its bounds");
                for (unsigned i = 0; i + 8 < width; ++i)
                    if (p[pos + i] != 0) return failed("UID does not fit 64 bits");
                Node& node = document_.newNode(Type::uid);
                node.uid = width > 8 ? readBigEndian(p + pos + width - 8, 8) : readBigEndian(p + pos, width);
                return &node;
            }
            case 0xA:
            case 0xC:
            case 0xD: {
                if (level > maxDepth) return failed("nesting deeper than 512 levels");
                std::uint64_t count;
                if (!readSize(p, low, available, pos, count)) return nullptr;
                const bool dictionary = marker >> 4 == 0xD;
                if (count > (available - pos) / refSize_ / (dictionary ? 2 : 1))
                    return failed("more references than the object can hold");
                memo_[index] = inProgress();
                const Node* node = dictionary
                                       ? readDictionary(p + pos, static_cast<std::size_t>(count), level)
                                       : readArray(p + pos, static_cast<std::size_t>(count), level);
                memo_[index] = nullptr;
                return node;
            }
            default:
                return failed("unknown object type");
        }
    }

    // The length of a data, string or container object: in the marker, or in an integer after it.
    bool readSize(const unsigned char* p, unsigned low, std::size_t available, std::size_t& pos,
                  std::uint64_t& size) {
        if (low != 0x0F) {
            size = low;
            return true;
        }
        if (available - pos < 1) return fail("object extends past its bounds");
        const unsigned marker = p[pos];
        const unsigned widthLog = marker & 0x0F;
        if (marker >> 4 != 0x1 || widthLog > 3) return fail("invalid object length");
        const unsigned width = 1u << widthLog;
        if (available - pos - 1 < width) return fail("object extends past its bounds");
        size = readBigEndian(p + pos + 1, width);
        if (size > static_cast<std::uint64_t>(INT64_MAX)) return fail("invalid object length");
        pos += 1 + width;
        return true;
    }

    const Node* readInteger(const unsigned char* p, unsigned low, std::size_t available) {
        if (low > 4) return failed("invalid integer size");
        const std::size_t width = std::size_t{1} << low;
        if (width > available) return failed("object extends past its bounds");
        Node& node = document_.newNode(Type::integer);
        if (width < 8) {
            node.integer = static_cast<std::int64_t>(readBigEndian(p, static_cast<unsigned>(width)));
        } else if (width == 8) {
            node.integer = static_cast<std::int64_t>(readBigEndian(p, 8));
        } else {
            // 16 bytes, two's complement: exact when the value fits 64 bits (signed or unsigned).
            std::uint64_t high = readBigEndian(p, 8);
            std::uint64_t lowBits = readBigEndian(p + 8, 8);
            if (high == 0) {
                if (lowBits > static_cast<std::uint64_t>(INT64_MAX)) {
                    node.type = Type::unsignedInteger;
                    node.unsignedInteger = lowBits;
                } else {
                    node.integer = static_cast<std::int64_t>(lowBits);
                }
            } else if (high == UINT64_MAX && lowBits > static_cast<std::uint64_t>(INT64_MAX)) {
                node.integer = static_cast<std::int64_t>(lowBits);
            } else {
                return failed("integer does not fit 64 bits");
            }
        }
        return &node;
    }

    const Node* readUtf16(const unsigned char* p, std::size_t units) {
        char* const out = document_.arena.reserve(units * 3);
        char* w = out;
        for (std::size_t i = 0; i < units; ++i) {
            std::uint32_t code = std::uint32_t{p[2 * i]} << 8 | p[2 * i + 1];
            if (code >= 0xD800 && code <= 0xDBFF) {
                if (i + 1 == units) return failed("unpaired surrogate in a string");
                std::uint32_t next = std::uint32_t{p[2 * i + 2]} << 8 | p[2 * i + 3];
                if (next < 0xDC00 || next > 0xDFFF) return failed("unpaired surrogate in a string");
                code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
                ++i;
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                return failed("unpaired surrogate in a string");
            }
            appendUtf8(w, code);
        }
        const auto length = static_cast<std::size_t>(w - out);
        document_.arena.commit(length);
        Node& node = document_.newNode(Type::string);
        node.text = out;
        node.length = length;
        return &node;
    }

    std::uint64_t ref(const unsigned char* refs, std::size_t i) const {
        return readBigEndian(refs + i * refSize_, refSize_);
    }

    const Node* readArray(const unsigned char* refs, std::size_t count, int level) {
        Array items;
        items.reserve(count);
        std::uint16_t height = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Node* child = object(ref(refs, i), level + 1);
            if (!child) return nullptr;
            height = std::max(height, child->height);
            items.push_back(Document::inner(child));
        }
        Node& node = document_.newNode(Type::array);
        node.array = &document_.arrays.emplace_back(std::move(items));
        node.height = static_cast<std::uint16_t>(height + 1);
        return &node;
    }

    const Node* readDictionary(const unsigned char* refs, std::size_t count, int level) {
        // The keys first: only once all are read is it known whether they are all strings (the common
        // case, whose entries go straight into the arena).
        const std::size_t base = scratch_.size();
        bool stringKeys = true;
        std::uint16_t height = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Node* key = object(ref(refs, i), level + 1);
            if (!key) return nullptr;
            stringKeys = stringKeys && key->type == Type::string;
            height = std::max(height, key->height);
            scratch_.push_back(key);
        }
        Node* node = nullptr;
        if (stringKeys) {
            auto* entries = document_.arena.allocate<Dictionary::Entry>(count);
            for (std::size_t i = 0; i < count; ++i) {
                const Node* value = object(ref(refs, count + i), level + 1);
                if (!value) return nullptr;
                height = std::max(height, value->height);
                new (entries + i) Dictionary::Entry(scratch_[base + i]->view(), Document::inner(value));
            }
            node = &document_.newNode(Type::dictionary);
            node->dictionary =
                document_.newDictionary(entries, Dictionary::removeRepeatedKeys(entries, count));
        } else {
            OtherEntries entries;
            entries.reserve(count);
            for (std::size_t i = 0; i < count; ++i) {
                const Node* value = object(ref(refs, count + i), level + 1);
                if (!value) return nullptr;
                height = std::max(height, value->height);
                entries.emplace_back(Document::inner(scratch_[base + i]), Document::inner(value));
            }
            node = &document_.newNode(Type::dictionary);
            node->otherKeys = true;
            node->otherEntries = &document_.otherEntries.emplace_back(std::move(entries));
        }
        node->height = static_cast<std::uint16_t>(height + 1);
        scratch_.resize(base);
        return node;
    }

    static const Node* inProgress() {
        static const Node marker{};
        return &marker;
    }

    Document& document_;
    const unsigned char* data_;
    std::size_t size_;
    unsigned offsetSize_ = 0;
    unsigned refSize_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t tableOffset_ = 0;
    std::unique_ptr<const Node*[], FreeDeleter> memo_;
    std::vector<const Node*> scratch_;
    std::string error_;
};

}  // namespace

ParseResult parseBinary(Bytes bytes) {
    auto document = std::make_shared<Document>(std::move(bytes));
    return BinaryReader(*document).read();
}

}  // namespace qb::plist
