#include "platform/plist/xml_data_scan.hpp"

#include <algorithm>
#include <cstring>

#include "platform/plist/base64.hpp"
#include "platform/plist/xml_values.hpp"

namespace qb::plist {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The encoding an XML declaration names ("" for none), or nothing when it cannot be read.
std::optional<std::string_view> declaredEncoding(std::string_view declaration) {
    const std::size_t name = declaration.find("encoding");
    if (name == npos) return std::string_view();
    std::size_t at = name + std::strlen("encoding");
    auto skipSpace = [&] {
        while (at < declaration.size() && isXmlSpace(declaration[at])) ++at;
    };
    skipSpace();
    if (at == declaration.size() || declaration[at] != '=') return std::nullopt;
    ++at;
    skipSpace();
    if (at == declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return std::nullopt;
    const std::size_t close = declaration.find(declaration[at], at + 1);
    if (close == npos) return std::nullopt;
    return declaration.substr(at + 1, close - at - 1);
}

// Where the root start tag begins, past the byte-order mark, the XML declaration, comments, processing
// instructions and a DOCTYPE without an internal subset; nothing for anything this scan does not follow
// (expat then reads the document whole and judges it).
std::optional<std::size_t> rootStart(std::string_view input) {
    // A zero byte among the first four means UTF-16 or UTF-32, as do their byte-order marks.
    if (input.substr(0, 4).find('\0') != npos) return std::nullopt;
    if (input.starts_with("\xFE\xFF") || input.starts_with("\xFF\xFE")) return std::nullopt;
    std::size_t at = input.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    if (input.substr(at).starts_with("<?xml") && at + 5 < input.size() && isXmlSpace(input[at + 5])) {
        const std::size_t end = input.find("?>", at);
        if (end == npos) return std::nullopt;
        auto encoding = declaredEncoding(input.substr(at, end - at));
        if (!encoding || (!encoding->empty() && !equalsIgnoringCase(*encoding, "UTF-8"))) return std::nullopt;
        at = end + 2;
    }
    while (true) {
        while (at < input.size() && isXmlSpace(input[at])) ++at;
        if (at == input.size() || input[at] != '<') return std::nullopt;
        const std::string_view rest = input.substr(at);
        std::size_t end = npos;
        if (rest.starts_with("<!--")) {
            end = input.find("-->", at + 4);
            if (end != npos) end += 3;
        } else if (rest.starts_with("<?")) {
            end = input.find("?>", at + 2);
            if (end != npos) end += 2;
        } else if (rest.starts_with("<!DOCTYPE")) {
            // Quoted identifiers may hold '>' or '['; an internal subset outside them is not followed.
            char quote = 0;
            for (std::size_t i = at + 9; i < input.size() && end == npos; ++i) {
                const char c = input[i];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '[') {
                    return std::nullopt;
                } else if (c == '>') {
                    end = i + 1;
                }
            }
        } else if (rest.starts_with("<!")) {
            return std::nullopt;
        } else {
            return at;
        }
        if (end == npos) return std::nullopt;
        at = end;
    }
}

}  // namespace

std::optional<std::vector<DataText>> scanDataTexts(std::string_view input) {
    const auto root = rootStart(input);
    if (!root) return std::nullopt;
    // From the root start tag on, every '<' of a well-formed document opens a start or an end tag (no
    // comments, sections or instructions were found): a "<data>" there is the start of a data element,
    // and its content runs to the next '<'. A document that is not well-formed fails in expat at or
    // before the first such "<data>" that is no start tag, the same with or without the cuts.
    constexpr std::string_view open = "<data>";
    constexpr std::string_view close = "</data>";
    std::vector<DataText> texts;
    const char* const begin = input.data();
    const char* const end = begin + input.size();
    const char* p = begin + *root;
    while (p != end) {
        p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
        if (!p) break;
        if (p + 1 != end && (p[1] == '!' || p[1] == '?')) return std::nullopt;
        if (static_cast<std::size_t>(end - p) < open.size() || std::string_view(p, open.size()) != open) {
            ++p;
            continue;
        }
        // The text's check also finds where it ends: at the first byte that cannot be base64, which
        // is '<' for the texts left out.
        const char* const text = p + open.size();
        const Base64Run run = base64Run(std::string_view(text, static_cast<std::size_t>(end - text)));
        p = text + run.length;
        if (run.length > 0 && run.decodedSize &&
            std::string_view(p, static_cast<std::size_t>(end - p)).starts_with(close))
            texts.push_back({static_cast<std::size_t>(text - begin), run.length});
    }
    return texts;
}

}  // namespace qb::plist
