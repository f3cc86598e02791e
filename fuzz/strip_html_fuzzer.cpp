// Description cleaning from arbitrary text, compared with a plain, step-by-step version of the same
// rules: remove tags, decode the named entities one pass each, decode numeric references (decimal,
// then hexadecimal), and join the whitespace-separated words with single blanks.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "tips/rss_parser.hpp"

namespace {

// ---- UTF-8 -------------------------------------------------------------------------------------------

// The code points of valid UTF-8 text; none for anything else.
std::optional<std::vector<char32_t>> codePoints(std::string_view text) {
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size()) return std::nullopt;
        char32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return std::nullopt;
        points.push_back(point);
        i += length;
    }
    return points;
}

std::string utf8(char32_t point) {
    std::string out;
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
    return out;
}

// U+0009 to U+000D, U+0085, and the categories Zs, Zl and Zp.
bool isWhitespace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// ---- The rules, one step at a time ---------------------------------------------------------------------

// Every "<", one or more characters other than ">", ">", removed; leftmost matches first.
std::string removeTags(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '<') {
            std::size_t close = text.find('>', i + 1);
            if (close != std::string_view::npos && close > i + 1) {
                i = close + 1;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i).starts_with(from)) {
            out += to;
            i += from.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::optional<std::string> scalar(std::string_view digits, unsigned radix) {
    std::uint64_t value = 0;
    for (char c : digits) {
        unsigned digit =
            c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
        value = value * radix + digit;
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return utf8(static_cast<char32_t>(value));
}

// "&#" (then "x" for radix 16), one or more digits, ";": the scalar it names, or the text unchanged.
std::string decodeReferences(std::string_view text, unsigned radix) {
    const std::string_view start = radix == 16 ? "&#x" : "&#";
    auto isDigit = [radix](char c) {
        return (c >= '0' && c <= '9') || (radix == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i).starts_with(start)) {
            std::size_t end = i + start.size();
            while (end < text.size() && isDigit(text[end])) ++end;
            if (end > i + start.size() && end < text.size() && text[end] == ';') {
                auto digits = text.substr(i + start.size(), end - i - start.size());
                if (auto decoded = scalar(digits, radix)) {
                    out += *decoded;
                } else {
                    out += text.substr(i, end + 1 - i);
                }
                i = end + 1;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::optional<std::string> reference(std::string_view html) {
    std::string text = removeTags(html);
    for (auto [from, to] : {std::pair<std::string_view, std::string_view>{"&lt;", "<"},
                            {"&gt;", ">"},
                            {"&quot;", "\""},
                            {"&apos;", "'"},
                            {"&nbsp;", " "},
                            {"&amp;", "&"}})
        text = replaceAll(text, from, to);
    text = decodeReferences(decodeReferences(text, 10), 16);
    auto points = codePoints(text);
    if (!points) return std::nullopt;
    std::string out;
    bool inWord = false;
    for (char32_t c : *points) {
        if (isWhitespace(c)) {
            inWord = false;
            continue;
        }
        if (!inWord && !out.empty()) out += ' ';
        inWord = true;
        out += utf8(c);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    const std::string cleaned = qb::tips::RSSParser::stripHTML(html);
    // The feed parser only hands over valid UTF-8; the reference reads nothing else.
    if (!codePoints(html)) return 0;
    const auto expected = reference(html);
    qb::fuzz::check(expected.has_value(), "valid text turned into invalid UTF-8");
    qb::fuzz::check(cleaned == *expected, "stripHTML differs from the step-by-step rules");
    return 0;
}
