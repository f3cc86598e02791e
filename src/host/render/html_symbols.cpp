#include "host/render/html_symbols.hpp"

#include <expat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <unordered_map>

#include "host/render/html_escape.hpp"
#include "ui/symbols.hpp"

namespace qb::host {
namespace {

namespace fs = std::filesystem;

// Icon files larger than this are not read: the theme's symbolic icons are a few kilobytes.
constexpr std::uintmax_t maxIconFileBytes = 64 * 1024;

const std::set<std::string, std::less<>>& drawingElements() {
    static const std::set<std::string, std::less<>> names = {
        "svg", "g", "path", "circle", "ellipse", "rect", "polyline", "polygon", "line"};
    return names;
}

const std::set<std::string, std::less<>>& drawingAttributes() {
    static const std::set<std::string, std::less<>> names = {"d",
                                                             "cx",
                                                             "cy",
                                                             "r",
                                                             "rx",
                                                             "ry",
                                                             "x",
                                                             "y",
                                                             "x1",
                                                             "y1",
                                                             "x2",
                                                             "y2",
                                                             "width",
                                                             "height",
                                                             "points",
                                                             "transform",
                                                             "fill-rule",
                                                             "clip-rule",
                                                             "opacity",
                                                             "fill-opacity",
                                                             "stroke-width",
                                                             "stroke-opacity",
                                                             "stroke-linecap",
                                                             "stroke-linejoin",
                                                             "fill",
                                                             "stroke",
                                                             "viewBox"};
    return names;
}

// Keeps the drawing elements and attributes, dropping everything else with its subtree.
struct SvgFilter {
    std::string out;
    int skippedDepth = 0;  // > 0 while inside an element that is dropped
    int depth = 0;
    bool sawRoot = false;
    bool failed = false;

    void start(std::string_view name, const XML_Char** attributes) {
        ++depth;
        if (skippedDepth > 0 || !drawingElements().contains(name) || (depth == 1) != (name == "svg")) {
            if (depth == 1) failed = true;
            ++skippedDepth;
            return;
        }
        std::map<std::string, std::string, std::less<>> kept;
        for (auto attribute = attributes; attribute[0] && attribute[1]; attribute += 2) {
            std::string_view key = attribute[0];
            std::string_view value = attribute[1];
            if (!drawingAttributes().contains(key)) continue;
            if (key == "fill" || key == "stroke") value = value == "none" ? "none" : "currentColor";
            kept.emplace(key, value);
        }
        out += '<';
        out += name;
        if (name == "svg") {
            sawRoot = true;
            if (!kept.contains("viewBox")) {
                auto number = [&](std::string_view key) {
                    auto found = kept.find(key);
                    return found == kept.end() ? std::string("16")
                                               : std::string(found->second.substr(
                                                     0, found->second.find_first_not_of("0123456789.")));
                };
                kept["viewBox"] = "0 0 " + number("width") + " " + number("height");
            }
            kept.erase("width");
            kept.erase("height");
            out +=
                R"( xmlns="http://www.w3.org/2000/svg" class="qb-sym-svg" aria-hidden="true" focusable="false")";
            if (!kept.contains("fill")) kept["fill"] = "currentColor";
        }
        for (const auto& [key, value] : kept) {
            out += ' ';
            out += key;
            out += "=\"";
            out += escapeHtml(value);
            out += '"';
        }
        out += '>';
    }

    void end(std::string_view name) {
        --depth;
        if (skippedDepth > 0) {
            --skippedDepth;
            return;
        }
        out += "</";
        out += name;
        out += '>';
    }
};

std::optional<std::string> readSmallFile(const fs::path& file) {
    std::error_code error;
    auto size = fs::file_size(file, error);
    if (error || size > maxIconFileBytes) return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

bool isInside(const fs::path& folder, const fs::path& file) {
    auto [folderEnd, fileAt] = std::mismatch(folder.begin(), folder.end(), file.begin(), file.end());
    return folderEnd == folder.end() && fileAt != file.end();
}

std::string lookUpSymbol(std::string_view symbolName) {
    const auto& info = ui::symbolInfo(symbolName);
    if (auto file = ui::iconFile(info))
        if (auto svg = themeIconSvg(*file, ui::defaultIconThemes())) return *svg;
    return "<span class=\"qb-sym-glyph\" aria-hidden=\"true\">" + escapeHtml(info.glyph) + "</span>";
}

}  // namespace

std::optional<std::string> sanitizedSvg(std::string_view svgText) {
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate("UTF-8"), &XML_ParserFree);
    if (!parser) return std::nullopt;
    SvgFilter filter;
    XML_SetUserData(parser.get(), &filter);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            static_cast<SvgFilter*>(data)->start(name, attributes);
        },
        [](void* data, const XML_Char* name) { static_cast<SvgFilter*>(data)->end(name); });
    const auto status = XML_Parse(parser.get(), svgText.data(), static_cast<int>(svgText.size()), XML_TRUE);
    if (status != XML_STATUS_OK || filter.failed || !filter.sawRoot) return std::nullopt;
    return std::move(filter.out);
}

std::optional<std::string> themeIconSvg(const fs::path& file, const std::vector<fs::path>& themes) {
    if (file.extension() != ".svg") return std::nullopt;
    std::error_code error;
    const auto resolved = fs::canonical(file, error);
    if (error || !fs::is_regular_file(resolved, error)) return std::nullopt;
    const bool inTheme = std::ranges::any_of(themes, [&](const fs::path& theme) {
        std::error_code themeError;
        const auto root = fs::canonical(theme, themeError);
        return !themeError && isInside(root, resolved);
    });
    if (!inTheme) return std::nullopt;
    auto text = readSmallFile(resolved);
    return text ? sanitizedSvg(*text) : std::nullopt;
}

void appendSymbolHtml(std::string_view symbolName, std::string& out) {
    // Symbol names come from the widgets' own tables, so the cache stays small; it is bounded anyway.
    static constexpr std::size_t maxCachedSymbols = 256;
    static std::mutex mutex;
    static std::unordered_map<std::string, std::string> cache;
    {
        std::scoped_lock lock(mutex);
        if (auto found = cache.find(std::string(symbolName)); found != cache.end()) {
            out += found->second;
            return;
        }
    }
    auto html = lookUpSymbol(symbolName);
    out += html;
    std::scoped_lock lock(mutex);
    if (cache.size() < maxCachedSymbols) cache.emplace(symbolName, std::move(html));
}

}  // namespace qb::host
