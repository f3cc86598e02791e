#include "platform/plist/base64.hpp"

#include <array>
#include <cstdint>

namespace qb::plist {
namespace {

// The value of each symbol; everything else is above 63.
constexpr std::uint8_t notSymbol = 0xFF;

constexpr std::array<std::uint8_t, 256> makeValues() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) entry = notSymbol;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    return table;
}
constexpr auto values = makeValues();

// The class of each byte for the check, as bits so that the classes of a block can be OR-ed: zero for
// a symbol.
enum : std::uint8_t { symbol = 0, space = 1, padding = 2, invalid = 4 };

constexpr std::array<std::uint8_t, 256> makeClasses() {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = values[i] < 64 ? symbol : invalid;
    // Only what XML counts as whitespace: other control characters cannot stand in an XML document.
    for (char c : {' ', '\t', '\n', '\r'}) table[static_cast<unsigned char>(c)] = space;
    table['='] = padding;
    return table;
}
constexpr auto classes = makeClasses();

// True when the eight bytes at `p` are all symbols.
inline bool eightSymbols(const unsigned char* p) {
    return (classes[p[0]] | classes[p[1]] | classes[p[2]] | classes[p[3]] | classes[p[4]] | classes[p[5]] |
            classes[p[6]] | classes[p[7]]) == symbol;
}

}  // namespace

std::optional<std::size_t> base64DecodedSize(std::string_view text) {
    std::size_t symbols = 0;
    std::size_t pads = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    // One byte that is not part of a block of eight symbols; false when the text cannot be base64.
    auto step = [&](unsigned char byte) {
        switch (classes[byte]) {
            case symbol:
                ++symbols;
                return pads == 0;  // nothing may follow the padding
            case space:
                return true;
            case padding:
                ++pads;
                return true;
            default:
                return false;
        }
    };
    // Lines of symbols go by in blocks of eight; a block with whitespace or padding in it goes byte by
    // byte.
    while (end - p >= 8) {
        if (pads == 0 && eightSymbols(p)) {
            symbols += 8;
            p += 8;
            continue;
        }
        for (const auto* const blockEnd = p + 8; p != blockEnd; ++p)
            if (!step(*p)) return std::nullopt;
    }
    for (; p != end; ++p)
        if (!step(*p)) return std::nullopt;
    if (symbols % 4 == 1 || pads > 2) return std::nullopt;
    if (pads > 0 && (symbols + pads) % 4 != 0) return std::nullopt;
    return symbols / 4 * 3 + (symbols % 4 == 0 ? 0 : symbols % 4 - 1);
}

void base64DecodeInto(std::string_view text, char* out) {
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const std::uint8_t value = values[static_cast<unsigned char>(c)];
        if (value >= 64) continue;
        bits = bits << 6 | value;
        if (++count == 4) {
            *out++ = static_cast<char>(bits >> 16);
            *out++ = static_cast<char>(bits >> 8);
            *out++ = static_cast<char>(bits);
            bits = 0;
            count = 0;
        }
    }
    if (count == 3) {
        *out++ = static_cast<char>(bits >> 10);
        *out++ = static_cast<char>(bits >> 2);
    } else if (count == 2) {
        *out++ = static_cast<char>(bits >> 4);
    }
}

std::string base64Decode(std::string_view text) {
    auto size = base64DecodedSize(text);
    if (!size) return {};
    std::string out(*size, '\0');
    base64DecodeInto(text, out.data());
    return out;
}

}  // namespace qb::plist
