// The binary format ("bplist00"): a header, the objects, a table of object offsets and a 32-byte
// trailer giving the widths of offsets and object references, the object count, the top object and
// where the offset table starts. Parsing checks every object the top object reaches, once however
// often it is referenced: offsets, references and lengths against the buffer, text, integer widths,
// cycles and depth. Nothing is decoded ahead: values read the objects from the buffer when asked for,
// except UTF-16 text (converted here) and dictionaries whose keys repeat or are not all strings.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/plist/document.hpp"
#include "platform/plist/readers.hpp"

namespace qb::plist {
namespace {

constexpr std::size_t headerSize = 8;
constexpr std::size_t trailerSize = 32;

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
          objects_(document.binary.emplace()),
          data_(reinterpret_cast<const unsigned char*>(document.input.data())),
          size_(document.input.size()) {
        document.binaryNode.binary = true;
        document.binaryNode.document = &document;
        objects_.data = data_;
    }

    ParseResult read() {
        if (!readTrailer()) return {std::nullopt, error_};
        // Calloc'd: pages of the table that no reference reaches are never touched.
        state_.reset(static_cast<std::uint16_t*>(std::calloc(objects_.count, sizeof(std::uint16_t))));
        if (!state_) throw std::bad_alloc();
        if (object(objects_.top, 1) < 0) return {std::nullopt, error_};
        state_.reset();
        return {document_.root(&document_.binaryNode, objects_.top), {}};
    }

  private:
    bool readTrailer() {
        if (size_ < headerSize + 2 + trailerSize)
            return fail("the file is too short for a binary property list");
        const unsigned char* trailer = data_ + size_ - trailerSize;
        objects_.offsetSize = trailer[6];
        objects_.referenceSize = trailer[7];
        objects_.count = readBigEndian(trailer + 8, 8);
        objects_.top = readBigEndian(trailer + 16, 8);
        objects_.tableOffset = readBigEndian(trailer + 24, 8);
        const std::size_t tableEnd = size_ - trailerSize;
        if (objects_.offsetSize < 1 || objects_.offsetSize > 8 || objects_.referenceSize < 1 ||
            objects_.referenceSize > 8)
            return fail("invalid offset or reference width in the trailer");
        if (objects_.count == 0 || objects_.top >= objects_.count)
            return fail("invalid object count or top object in the trailer");
        if (objects_.tableOffset <= headerSize || objects_.tableOffset >= tableEnd)
            return fail("the offset table lies outside the file");
        if (objects_.count > (tableEnd - objects_.tableOffset) / objects_.offsetSize)
            return fail("more objects than the offset table can hold");
        return true;
    }

    bool fail(const char* reason) {
        if (error_.empty()) error_ = reason;
        return false;
    }
    int failed(const char* reason) {
        fail(reason);
        return -1;
    }

    // Checks the object at `index`, where a container would be the `level`th one nested. Answers the
    // containers nested in it, itself included (0 for scalars), or -1 when it is not sound.
    int object(std::uint64_t index, int level) {
        if (index >= objects_.count) return failed("object reference out of range");
        if (const std::uint16_t known = state_[index]) {
            if (known == inProgress) return failed("an object contains itself");
            const int height = known - 1;
            if (level - 1 + height > maxDepth) return failed("nesting deeper than 512 levels");
            return height;
        }
        const std::uint64_t offset = objects_.offset(index);
        if (offset < headerSize || offset >= objects_.tableOffset)
            return failed("object offset out of range");
        const int height = checkObject(data_ + offset,
                                       static_cast<std::size_t>(objects_.tableOffset - offset), index, level);
        if (height >= 0) state_[index] = static_cast<std::uint16_t>(height + 1);
        return height;
    }

    int checkObject(const unsigned char* p, std::size_t available, std::uint64_t index, int level) {
        const unsigned marker = p[0];
        const unsigned low = marker & 0x0F;
        std::size_t pos = 1;
        auto has = [&](std::uint64_t bytes) { return bytes <= available - pos; };
        switch (marker >> 4) {
            case 0x0:
                if (marker == 0x00 || marker == 0x08 || marker == 0x09) return 0;
                return failed("unknown object type");
            case 0x1:
                return checkInteger(p + pos, low, available - pos);
            case 0x2:
                if (low != 2 && low != 3) return failed("invalid real size");
                if (!has(std::size_t{1} << low)) return failed("object extends past its bounds");
                return 0;
            case 0x3:
                if (marker != 0x33) return failed("invalid date");
                if (!has(8)) return failed("object extends past its bounds");
                return 0;
            case 0x4:
            case 0x5:
            case 0x6: {
                std::uint64_t length;
                if (!readSize(p, low, available, pos, length)) return -1;
                const unsigned kind = marker >> 4;
                if (kind == 0x6 ? length > (available - pos) / 2 : !has(length))
                    return failed("object extends past its bounds");
                const auto* start = p + pos;
                if (kind == 0x6) return convertUtf16(start, static_cast<std::size_t>(length), index);
                if (kind == 0x5 && !isAscii(start, static_cast<std::size_t>(length)))
                    return failed("non-ASCII byte in an ASCII string");
                return 0;
            }
            case 0x8: {
                const unsigned width = low + 1;
                if (!has(width)) return failed("object extends past its bounds");
                for (unsigned i = 0; i + 8 < width; ++i)
                    if (p[pos + i] != 0) return failed("UID does not fit 64 bits");
                return 0;
            }
            case 0xA:
            case 0xC:
            case 0xD: {
                if (level > maxDepth) return failed("nesting deeper than 512 levels");
                std::uint64_t count;
                if (!readSize(p, low, available, pos, count)) return -1;
                const bool dictionary = marker >> 4 == 0xD;
                if (count > (available - pos) / objects_.referenceSize / (dictionary ? 2 : 1))
                    return failed("more references than the object can hold");
                state_[index] = inProgress;
                const int height =
                    dictionary ? checkDictionary(p + pos, static_cast<std::size_t>(count), index, level)
                               : checkArray(p + pos, static_cast<std::size_t>(count), level);
                state_[index] = 0;
                return height;
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

    int checkInteger(const unsigned char* p, unsigned low, std::size_t available) {
        if (low > 4) return failed("invalid integer size");
        const std::size_t width = std::size_t{1} << low;
        if (width > available) return failed("object extends past its bounds");
        if (width == 16) {
            // Two's complement: read exactly when the value fits 64 bits (signed or unsigned).
            const std::uint64_t high = readBigEndian(p, 8);
            const std::uint64_t lowBits = readBigEndian(p + 8, 8);
            if (high != 0 && !(high == UINT64_MAX && lowBits > static_cast<std::uint64_t>(INT64_MAX)))
                return failed("integer does not fit 64 bits");
        }
        return 0;
    }

    int convertUtf16(const unsigned char* p, std::size_t units, std::uint64_t index) {
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
        objects_.convertedText.emplace(index, std::string_view(out, length));
        return 0;
    }

    int checkArray(const unsigned char* references, std::size_t count, int level) {
        int height = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const int child = object(objects_.reference(references, i), level + 1);
            if (child < 0) return -1;
            height = std::max(height, child);
        }
        return height + 1;
    }

    int checkDictionary(const unsigned char* references, std::size_t count, std::uint64_t index, int level) {
        // Keys that are the same objects as those of the last dictionary with distinct string keys are
        // sound strings that nest nothing, and again distinct: only the values are left to check.
        const bool knownKeys = count == regularKeyCount_ &&
                               std::memcmp(references, regularKeys_, count * objects_.referenceSize) == 0;
        int height = 0;
        bool stringKeys = true;
        for (std::size_t i = knownKeys ? count : 0; i < 2 * count; ++i) {
            const std::uint64_t reference = objects_.reference(references, i);
            const int child = object(reference, level + 1);
            if (child < 0) return -1;
            height = std::max(height, child);
            if (i < count) {
                const unsigned kind = data_[objects_.offset(reference)] >> 4;
                stringKeys = stringKeys && (kind == 0x5 || kind == 0x6);
            }
        }
        if (knownKeys) return height + 1;
        if (!stringKeys) {
            objects_.irregularDictionaries.emplace(index, nullptr);
        } else if (hasRepeatedKeys(references, count)) {
            auto* entries = document_.arena.allocate<Dictionary::Entry>(count);
            for (std::size_t i = 0; i < count; ++i)
                new (entries + i) Dictionary::Entry(
                    objects_.text(objects_.reference(references, i)),
                    Document::inner(&document_.binaryNode, objects_.reference(references, count + i)));
            objects_.irregularDictionaries.emplace(
                index, document_.newDictionary(entries, Dictionary::removeRepeatedKeys(entries, count)));
        } else {
            regularKeys_ = references;
            regularKeyCount_ = count;
        }
        return height + 1;
    }

    bool hasRepeatedKeys(const unsigned char* references, std::size_t count) {
        keys_.clear();
        for (std::size_t i = 0; i < count; ++i)
            keys_.push_back(objects_.text(objects_.reference(references, i)));
        if (count <= 16) {
            for (std::size_t i = 1; i < count; ++i)
                for (std::size_t j = 0; j < i; ++j)
                    if (keys_[i] == keys_[j]) return true;
            return false;
        }
        std::unordered_set<std::string_view> seen(keys_.begin(), keys_.end());
        return seen.size() != count;
    }

    static constexpr std::uint16_t inProgress = UINT16_MAX;

    Document& document_;
    BinaryObjects& objects_;
    const unsigned char* data_;
    std::size_t size_;
    // Per object: 0 while unchecked, its height + 1 once sound, `inProgress` while its children are.
    std::unique_ptr<std::uint16_t[], FreeDeleter> state_;
    std::vector<std::string_view> keys_;
    // The key references of the last dictionary whose keys are distinct strings. A list's entries mostly
    // share their keys, and a writer that stores equal objects once gives them the same references.
    const unsigned char* regularKeys_ = nullptr;
    std::size_t regularKeyCount_ = SIZE_MAX;
    std::string error_;
};

}  // namespace

ParseResult parseBinary(Bytes bytes) {
    auto document = std::make_shared<Document>(std::move(bytes));
    return BinaryReader(*document).read();
}

}  // namespace qb::plist
