#include "platform/plist/base64.hpp"

#include <array>
#include <cstdint>

namespace qb::plist {
namespace {

constexpr std::uint8_t invalid = 0xFF;
constexpr std::uint8_t space = 0xFE;
constexpr std::uint8_t padding = 0xFD;

constexpr std::array<std::uint8_t, 256> makeTable() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) entry = invalid;
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i)
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<std::uint8_t>(i);
    for (char c : {' ', '\t', '\n', '\r', '\f', '\v'}) table[static_cast<unsigned char>(c)] = space;
    table['='] = padding;
    return table;
}
constexpr auto table = makeTable();

}  // namespace

std::optional<std::size_t> base64DecodedSize(std::string_view text) {
    std::size_t symbols = 0;
    std::size_t pads = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p != end) {
        // Runs of symbols (all of a line) first, without the checks below.
        const auto* const run = p;
        while (p != end && table[*p] < 64) ++p;
        if (p != run) {
            if (pads > 0) return std::nullopt;  // text after the padding
            symbols += static_cast<std::size_t>(p - run);
            if (p == end) break;
        }
        const std::uint8_t code = table[*p++];  // not a symbol
        if (code == padding) {
            ++pads;
        } else if (code != space) {
            return std::nullopt;
        }
    }
    if (symbols % 4 == 1 || pads > 2) return std::nullopt;
    if (pads > 0 && (symbols + pads) % 4 != 0) return std::nullopt;
    return symbols / 4 * 3 + (symbols % 4 == 0 ? 0 : symbols % 4 - 1);
}

void base64DecodeInto(std::string_view text, char* out) {
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        std::uint8_t code = table[static_cast<unsigned char>(c)];
        if (code >= 64) continue;
        bits = bits << 6 | code;
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
