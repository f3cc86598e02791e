#include "platform/plist/base64.hpp"

#include <array>
#include <cstdint>
#include <memory>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

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

// For a group of four symbols: each symbol's value in its place of the group's 24 bits, or a flag for
// anything that is not a symbol.
constexpr std::uint32_t notInGroup = 0x80000000u;
constexpr std::array<std::array<std::uint32_t, 256>, 4> makeShifted() {
    std::array<std::array<std::uint32_t, 256>, 4> tables{};
    for (int place = 0; place < 4; ++place)
        for (std::size_t i = 0; i < 256; ++i)
            tables[place][i] = values[i] < 64 ? std::uint32_t{values[i]} << (6 * (3 - place)) : notInGroup;
    return tables;
}
constexpr auto shifted = makeShifted();

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

// Skips the blocks at `p` that hold only symbols and XML whitespace, adding their symbols to `symbols`;
// answers where the first other block starts. Sixteen bytes at a time where the processor has SSE2
// (lines and their indentation alike, without a branch on where a line ends), eight symbols at a time
// by the table otherwise.
const unsigned char* skipBlocks(const unsigned char* p, const unsigned char* const end,
                                std::size_t& symbols) {
#if defined(__SSE2__) && defined(__x86_64__)
    const __m128i lowerCase = _mm_set1_epi8(0x20);
    const __m128i beforeLower = _mm_set1_epi8('a' - 1), afterLower = _mm_set1_epi8('z' + 1);
    const __m128i beforeSlash = _mm_set1_epi8('/' - 1), afterDigits = _mm_set1_epi8('9' + 1);  // "/0-9"
    const __m128i plus = _mm_set1_epi8('+'), blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t');
    const __m128i newline = _mm_set1_epi8('\n'), carriageReturn = _mm_set1_epi8('\r');
    // Each symbol counts one; _mm_sad_epu8 adds up the ones of each half of a block.
    const __m128i one = _mm_set1_epi8(1), zero = _mm_setzero_si128();
    __m128i counted = zero;
    while (end - p >= 16) {
        // Bytes from 0x80 are negative and fall in no range.
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Setting bit 5 turns upper-case letters into lower-case ones and nothing else into a letter.
        const __m128i folded = _mm_or_si128(v, lowerCase);
        const __m128i letters =
            _mm_and_si128(_mm_cmpgt_epi8(folded, beforeLower), _mm_cmplt_epi8(folded, afterLower));
        const __m128i digits = _mm_and_si128(_mm_cmpgt_epi8(v, beforeSlash), _mm_cmplt_epi8(v, afterDigits));
        const __m128i isSymbol = _mm_or_si128(letters, _mm_or_si128(digits, _mm_cmpeq_epi8(v, plus)));
        const __m128i isSpace =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)),
                         _mm_or_si128(_mm_cmpeq_epi8(v, newline), _mm_cmpeq_epi8(v, carriageReturn)));
        if (_mm_movemask_epi8(_mm_or_si128(isSymbol, isSpace)) != 0xFFFF) break;
        counted = _mm_add_epi64(counted, _mm_sad_epu8(_mm_and_si128(isSymbol, one), zero));
        p += 16;
    }
    symbols += static_cast<std::size_t>(_mm_cvtsi128_si64(counted)) +
               static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(counted, counted)));
    if (end - p >= 16) return p;
#endif
    while (end - p >= 8 && eightSymbols(p)) {
        symbols += 8;
        p += 8;
    }
    for (; p != end && classes[*p] == symbol; ++p) ++symbols;
    return p;
}

}  // namespace

Base64Run base64Run(std::string_view text) {
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = begin + text.size();
    const auto* p = begin;
    std::size_t symbols = 0;
    std::size_t pads = 0;
    bool valid = true;
    while (true) {
        // Blocks go by until the padding; the rest, byte by byte.
        if (pads == 0) p = skipBlocks(p, end, symbols);
        if (p == end) break;
        const std::uint8_t kind = classes[*p];
        if (kind == symbol) {
            valid = valid && pads == 0;  // nothing may follow the padding
            ++symbols;
        } else if (kind == padding) {
            ++pads;
        } else if (kind != space) {
            break;
        }
        ++p;
    }
    Base64Run result{static_cast<std::size_t>(p - begin), std::nullopt};
    if (!valid || symbols % 4 == 1 || pads > 2) return result;
    if (pads > 0 && (symbols + pads) % 4 != 0) return result;
    result.decodedSize = symbols / 4 * 3 + (symbols % 4 == 0 ? 0 : symbols % 4 - 1);
    return result;
}

std::optional<std::size_t> base64DecodedSize(std::string_view text) {
    const Base64Run run = base64Run(text);
    if (run.length != text.size()) return std::nullopt;
    return run.decodedSize;
}

std::size_t base64DecodeInto(std::string_view text, char* out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    char* const start = out;
    std::uint32_t bits = 0;
    int count = 0;
    while (p < end) {
        // Whole groups of four symbols at once; whitespace, padding and a group split by them one
        // character at a time.
        if (count == 0) {
            while (end - p >= 4) {
                const std::uint32_t group =
                    shifted[0][p[0]] | shifted[1][p[1]] | shifted[2][p[2]] | shifted[3][p[3]];
                if (group & notInGroup) break;
                out[0] = static_cast<char>(group >> 16);
                out[1] = static_cast<char>(group >> 8);
                out[2] = static_cast<char>(group);
                out += 3;
                p += 4;
            }
            if (p == end) break;
        }
        const std::uint8_t value = values[*p++];
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
    return static_cast<std::size_t>(out - start);
}

Bytes base64Decode(std::string_view text) {
    std::shared_ptr<char[]> buffer = std::make_shared_for_overwrite<char[]>(text.size() / 4 * 3 + 3);
    const std::string_view decoded(buffer.get(), base64DecodeInto(text, buffer.get()));
    return Bytes(std::move(buffer), decoded);
}

}  // namespace qb::plist
