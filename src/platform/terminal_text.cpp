#include "platform/terminal_text.hpp"

#include <cstdint>

#include <fmt/format.h>

#include "platform/utf8.hpp"

namespace qb {
namespace {

bool isLineBreak(UChar32 c) {
    return c == '\n' || c == 0x2028 || c == 0x2029;
}

// The escape a shell's $'...' reads back as the character.
std::string escapeOf(UChar32 c) {
    switch (c) {
        case '\a':
            return "\\a";
        case '\b':
            return "\\b";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\v':
            return "\\v";
        case '\f':
            return "\\f";
        case '\r':
            return "\\r";
        case 0x1B:
            return "\\e";
        default:
            return c < 0x80 ? fmt::format("\\x{:02x}", c) : fmt::format("\\u{:04x}", c);
    }
}

std::string escaped(std::string_view text, bool quotes) {
    std::string out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](UChar32 c, std::string_view bytes) {
        if (c < 0) {
            for (const char byte : bytes) out += fmt::format("\\x{:02x}", static_cast<unsigned char>(byte));
        } else if (c == '\\' || (quotes && c == '"')) {
            out += '\\';
            out += static_cast<char>(c);
        } else if (isTerminalControl(static_cast<char32_t>(c))) {
            out += escapeOf(c);
        } else {
            out += bytes;
        }
    });
    return out;
}

}  // namespace

bool isTerminalControl(char32_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           isBidiEmbeddingControl(c);
}

bool isBidiEmbeddingControl(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string withoutBidiEmbeddingControls(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    forEachCodePoint(text, [&](UChar32 c, std::string_view bytes) {
        if (c < 0 || !isBidiEmbeddingControl(static_cast<char32_t>(c))) kept += bytes;
    });
    return kept;
}

std::string inertText(std::string_view text, bool keepLineBreaks) {
    std::string inert;
    inert.reserve(text.size());
    forEachCodePoint(text, [&](UChar32 c, std::string_view bytes) {
        if (c < 0) {
            inert += "\xEF\xBF\xBD";  // U+FFFD
        } else if (isLineBreak(c)) {
            inert += keepLineBreaks ? '\n' : ' ';
        } else if (c == '\t') {
            inert += ' ';
        } else if (!isTerminalControl(static_cast<char32_t>(c))) {
            inert += bytes;
        }
    });
    return inert;
}

std::string escapedText(std::string_view text) {
    return escaped(text, false);
}

std::string quotedForMessage(std::string_view text) {
    return "\"" + escaped(text, true) + "\"";
}

std::string terminalSafeJson(std::string_view json) {
    std::string safe;
    safe.reserve(json.size());
    forEachCodePoint(json, [&](UChar32 c, std::string_view bytes) {
        if (c >= 0x80 && isTerminalControl(static_cast<char32_t>(c))) {
            safe += fmt::format("\\u{:04x}", c);
        } else {
            safe += bytes;
        }
    });
    return safe;
}

}  // namespace qb
