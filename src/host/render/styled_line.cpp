#include "host/render/styled_line.hpp"

#include <algorithm>
#include <vector>

#include "host/render/canvas.hpp"
#include "host/render/display_text.hpp"

namespace qb::host {
namespace {

// A piece of a line: an escape sequence, or one glyph of its text.
struct Piece {
    std::string text;
    int width = 0;  // 0 for an escape sequence
    bool escape = false;
};

// The length of the escape sequence at the start of `text`: a CSI sequence up to its final byte, an OSC
// sequence up to its string terminator (ESC \ or BEL), or the ESC and the byte after it.
std::size_t escapeLength(std::string_view text) {
    if (text.size() < 2) return text.size();
    if (text[1] == '[') {
        std::size_t end = 2;
        while (end < text.size() && (text[end] < 0x40 || text[end] > 0x7E)) ++end;
        return std::min(end + 1, text.size());
    }
    if (text[1] == ']') {
        for (std::size_t end = 2; end < text.size(); ++end) {
            if (text[end] == '\a') return end + 1;
            if (text[end] == '\x1b' && end + 1 < text.size() && text[end + 1] == '\\') return end + 2;
        }
        return text.size();
    }
    return 2;
}

std::vector<Piece> piecesOf(std::string_view line) {
    std::vector<Piece> pieces;
    for (std::size_t at = 0; at < line.size();) {
        if (line[at] == '\x1b') {
            const std::size_t length = escapeLength(line.substr(at));
            pieces.push_back({std::string(line.substr(at, length)), 0, true});
            at += length;
            continue;
        }
        const std::size_t end = std::min(line.find('\x1b', at), line.size());
        for (auto& glyph : glyphsOf(line.substr(at, end - at)))
            pieces.push_back({std::move(glyph.text), glyph.width, false});
        at = end;
    }
    return pieces;
}

bool isSgr(std::string_view escape) {
    return escape.starts_with("\x1b[") && escape.ends_with("m");
}

// Whether an SGR leaves a style on: anything but a reset.
bool setsStyle(std::string_view sgr) {
    return sgr != "\x1b[0m" && sgr != "\x1b[m";
}

bool isHyperlink(std::string_view escape) {
    return escape.starts_with("\x1b]8;");
}

// Whether an OSC 8 sequence opens a hyperlink: its target (after the parameters' ";") is not empty.
bool opensHyperlink(std::string_view sequence) {
    const std::size_t target = sequence.find(';', 4);
    if (target == std::string_view::npos || target + 1 >= sequence.size()) return false;
    return sequence[target + 1] != '\x1b' && sequence[target + 1] != '\a';
}

}  // namespace

std::string cutToColumns(std::string_view line, int columns) {
    columns = std::max(columns, 1);
    const auto pieces = piecesOf(line);
    // Whether anything but blanks lies beyond the edge, a wide glyph across it included.
    int used = 0;
    bool lost = false;
    for (const Piece& piece : pieces) {
        if (!piece.escape && used + piece.width > columns && piece.text != " ") lost = true;
        used += piece.width;
    }
    if (used <= columns) return std::string(line);

    const int keep = lost ? columns - 1 : columns;
    std::string out;
    bool styled = false, linked = false;
    used = 0;
    for (const Piece& piece : pieces) {
        if (piece.escape) {
            if (isSgr(piece.text)) styled = setsStyle(piece.text);
            if (isHyperlink(piece.text)) linked = opensHyperlink(piece.text);
            out += piece.text;
            continue;
        }
        if (used + piece.width > keep) break;
        out += piece.text;
        used += piece.width;
    }
    out.append(static_cast<std::size_t>(keep - used), ' ');  // the half of a wide glyph left out
    if (styled) out += "\x1b[0m";
    if (linked) out += osc8("");
    if (lost) out += cutMarker;
    return out;
}

}  // namespace qb::host
