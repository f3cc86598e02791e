#include "platform/message_catalog.hpp"

#include <cstdint>
#include <cstring>

#include "platform/files.hpp"

namespace qb {
namespace {

constexpr std::uint32_t magic = 0x950412de;
constexpr std::uint32_t swappedMagic = 0xde120495;

// The 32-bit words of a table in the byte order its magic number gives.
class Words {
  public:
    Words(std::string_view bytes, bool swapped) : bytes_(bytes), swapped_(swapped) {}

    std::optional<std::uint32_t> at(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) return std::nullopt;
        std::uint32_t word;
        std::memcpy(&word, bytes_.data() + offset, 4);
        return swapped_ ? __builtin_bswap32(word) : word;
    }

    // The string that a (length, offset) descriptor at `offset` points to.
    std::optional<std::string_view> string(std::size_t offset) const {
        auto length = at(offset);
        auto start = at(offset + 4);
        if (!length || !start || *start > bytes_.size() || bytes_.size() - *start < *length)
            return std::nullopt;
        return bytes_.substr(*start, *length);
    }

  private:
    std::string_view bytes_;
    bool swapped_;
};

}  // namespace

std::shared_ptr<const MessageCatalog> MessageCatalog::load(const std::filesystem::path& path) {
    auto bytes = readFile(path);
    if (!bytes) return nullptr;
    return fromBytes(*bytes);
}

// Header: magic, revision, number of strings N, offset of the originals' descriptors, offset of the
// translations' descriptors; each descriptor is a length and an offset. Entries with a context or a
// plural form are kept under their raw key, which no lookup of ours asks for.
std::shared_ptr<const MessageCatalog> MessageCatalog::fromBytes(std::string_view bytes) {
    Words probe(bytes, false);
    auto first = probe.at(0);
    if (!first || (*first != magic && *first != swappedMagic)) return nullptr;
    Words words(bytes, *first == swappedMagic);
    auto count = words.at(8);
    auto originals = words.at(12);
    auto translations = words.at(16);
    if (!count || !originals || !translations || *count > bytes.size() / 16) return nullptr;

    auto catalog = std::make_shared<MessageCatalog>();
    for (std::size_t i = 0; i < *count; ++i) {
        auto original = words.string(*originals + i * 8);
        auto translation = words.string(*translations + i * 8);
        if (!original || !translation) return nullptr;
        if (original->empty() || translation->empty()) continue;  // the header; untranslated entries
        catalog->translations_.emplace(*original, *translation);
    }
    return catalog;
}

std::optional<std::string_view> MessageCatalog::lookup(std::string_view key) const {
    auto found = translations_.find(key);
    if (found == translations_.end()) return std::nullopt;
    return found->second;
}

}  // namespace qb
