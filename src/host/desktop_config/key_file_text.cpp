#include "host/desktop_config/key_file_text.hpp"

#include <glib.h>

#include <algorithm>
#include <memory>

namespace qb::host {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trimmedStart(std::string_view line) {
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    return line;
}

// A group name GLib accepts: not empty, no brackets, no control characters.
bool isGroupName(std::string_view name) {
    return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '[' || c == ']' || byte < 0x20 || byte == 0x7f;
    });
}

// A key GLib accepts: not empty, no blank at either end, no "=", and brackets only around a locale at
// its end ("Name[de_DE]").
bool isKeyName(std::string_view key) {
    if (key.empty() || key.front() == ' ' || key.back() == ' ') return false;
    const auto bracket = key.find_first_of("[]");
    if (bracket == std::string_view::npos) return true;
    if (key[bracket] != '[' || key.back() != ']' || bracket == 0) return false;
    const auto locale = key.substr(bracket + 1, key.size() - bracket - 2);
    return !locale.empty() && std::all_of(locale.begin(), locale.end(), [](char c) {
        return g_ascii_isalnum(c) || c == '-' || c == '_' || c == '.' || c == '@';
    });
}

// Sorts one line (without its line break) as GLib's parser does.
KeyFileLine classify(std::string_view line) {
    KeyFileLine sorted;
    line = trimmedStart(line);
    if (line.empty()) return sorted;
    if (line.front() == '#') {
        sorted.kind = KeyFileLine::Kind::comment;
        return sorted;
    }
    if (line.front() == '[') {
        const auto close = line.find(']');
        if (close != std::string_view::npos &&
            line.find_first_not_of(" \t", close + 1) == std::string_view::npos) {
            sorted.kind = KeyFileLine::Kind::group;
            sorted.name = std::string(line.substr(1, close - 1));
            return sorted;
        }
    }
    const auto equals = line.find('=');
    sorted.kind = KeyFileLine::Kind::invalid;
    if (equals == std::string_view::npos || equals == 0) return sorted;
    auto key = line.substr(0, equals);
    while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
    if (!isKeyName(key)) return sorted;
    sorted.kind = KeyFileLine::Kind::entry;
    sorted.name = std::string(key);
    return sorted;
}

}  // namespace

KeyFileText::KeyFileText(std::string text) : text_(std::move(text)) {
    scan();
}

void KeyFileText::scan() {
    lines_.clear();
    groups_.clear();
    stray_.clear();
    for (std::size_t begin = 0; begin < text_.size();) {
        auto newline = text_.find('\n', begin);
        const std::size_t end = newline == std::string::npos ? text_.size() : newline + 1;
        std::string_view content(text_.data() + begin,
                                 (newline == std::string::npos ? end : newline) - begin);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        KeyFileLine line = classify(content);
        line.begin = begin;
        line.end = end;
        lines_.push_back(std::move(line));
        begin = end;
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto& line = lines_[i];
        if (line.kind == KeyFileLine::Kind::group) {
            // The comment lines right above the header describe this group.
            std::size_t first = i;
            while (first > 0 && lines_[first - 1].kind == KeyFileLine::Kind::comment &&
                   (groups_.empty() || first - 1 > groups_.back().header))
                --first;
            if (!groups_.empty()) groups_.back().end = first;
            KeyFileGroup group{line.name,     first,        i,
                               lines_.size(), std::nullopt, this->group(line.name) != nullptr};
            if (!isGroupName(line.name)) group.invalidLine = i;
            groups_.push_back(std::move(group));
        } else if (line.kind == KeyFileLine::Kind::entry || line.kind == KeyFileLine::Kind::invalid) {
            if (groups_.empty())
                stray_.push_back(i);
            else if (line.kind == KeyFileLine::Kind::invalid && !groups_.back().invalidLine)
                groups_.back().invalidLine = i;
        }
    }
}

const KeyFileGroup* KeyFileText::group(std::string_view name) const {
    auto found = std::find_if(groups_.begin(), groups_.end(), [&](const auto& g) { return g.name == name; });
    return found == groups_.end() ? nullptr : &*found;
}

std::optional<std::size_t> KeyFileText::entryLine(const KeyFileGroup& group, std::string_view key) const {
    for (std::size_t i = group.end; i > group.header + 1; --i) {
        const auto& line = lines_[i - 1];
        if (line.kind == KeyFileLine::Kind::entry && line.name == key) return i - 1;
    }
    return std::nullopt;
}

std::string_view KeyFileText::groupText(const KeyFileGroup& group) const {
    const std::size_t begin = lines_[group.first].begin;
    const std::size_t end = group.end < lines_.size() ? lines_[group.end].begin : text_.size();
    return std::string_view(text_).substr(begin, end - begin);
}

std::string_view KeyFileText::lineText(std::size_t line) const {
    auto text = std::string_view(text_).substr(lines_[line].begin, lines_[line].end - lines_[line].begin);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

void KeyFileText::replace(std::size_t begin, std::size_t end, std::string_view with) {
    text_.replace(begin, end - begin, with);
    scan();
}

void KeyFileText::setEntry(std::string_view groupName, std::string_view key, std::string_view rawValue) {
    const KeyFileGroup* found = group(groupName);
    if (!found) return;
    if (auto line = entryLine(*found, key)) {
        // Only the value changes; the key and the spacing around "=" stay as written.
        const auto text = lineText(*line);
        auto valueStart = text.find('=') + 1;
        while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t'))
            ++valueStart;
        const std::size_t begin = lines_[*line].begin;
        return replace(begin + valueStart, begin + text.size(), rawValue);
    }
    // A new entry goes after the group's last entry (or its header).
    std::size_t after = found->header;
    for (std::size_t i = found->header + 1; i < found->end; ++i)
        if (lines_[i].kind == KeyFileLine::Kind::entry) after = i;
    const std::size_t at = lines_[after].end;
    const bool needsBreak = at == 0 || text_[at - 1] != '\n';
    replace(at, at, (needsBreak ? "\n" : "") + std::string(key) + "=" + std::string(rawValue) + "\n");
}

void KeyFileText::removeEntry(std::string_view groupName, std::string_view key) {
    while (const KeyFileGroup* found = group(groupName)) {
        auto line = entryLine(*found, key);
        if (!line) return;
        replace(lines_[*line].begin, lines_[*line].end, "");
    }
}

void KeyFileText::removeGroup(std::string_view groupName) {
    const KeyFileGroup* found = group(groupName);
    if (!found) return;
    const std::size_t begin = lines_[found->first].begin;
    const std::size_t end = found->end < lines_.size() ? lines_[found->end].begin : text_.size();
    replace(begin, end, "");
}

void KeyFileText::appendGroup(std::string_view name,
                              const std::vector<std::pair<std::string, std::string>>& rawEntries) {
    std::string added;
    if (!text_.empty() && text_.back() != '\n') added += '\n';
    if (!text_.empty() && !lines_.empty() && lines_.back().kind != KeyFileLine::Kind::blank) added += '\n';
    added += "[" + std::string(name) + "]\n";
    for (const auto& [key, value] : rawEntries) added += key + "=" + value + "\n";
    replace(text_.size(), text_.size(), added);
}

std::string escapedKeyFileValue(std::string_view value) {
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), g_key_file_free);
    const std::string text(value);
    g_key_file_set_string(file.get(), "g", "k", text.c_str());
    std::unique_ptr<gchar, decltype(&g_free)> raw(g_key_file_get_value(file.get(), "g", "k", nullptr),
                                                  g_free);
    return raw ? std::string(raw.get()) : std::string();
}

}  // namespace qb::host
