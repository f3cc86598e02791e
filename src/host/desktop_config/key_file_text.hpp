#pragma once

// A key file (GLib's format) kept as its text: lines sorted into comments, groups and key=value
// entries, each with its number, so that a message can name the line it is about and an edit changes
// only the lines it touches. Every byte of a group that no edit names stays as it was: spacing, comments,
// keys nobody here knows, even lines that are not valid at all.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qb::host {

struct KeyFileLine {
    enum class Kind { blank, comment, group, entry, invalid };
    Kind kind = Kind::blank;
    std::size_t begin = 0;  // byte offsets in the text; `end` is past the line break, if any
    std::size_t end = 0;
    std::string name;  // a group's name or an entry's key
};

// A group and the lines that belong to it: the comment lines right above its header, the header, and
// everything up to the next group's comments.
struct KeyFileGroup {
    std::string name;
    std::size_t first = 0;   // index of its first line (a comment above the header, or the header)
    std::size_t header = 0;  // index of the header line
    std::size_t end = 0;     // index past its last line
    // The first line inside the group that is neither blank, a comment nor a key=value entry.
    std::optional<std::size_t> invalidLine;
    bool repeated = false;  // an earlier group has the same name
};

class KeyFileText {
  public:
    explicit KeyFileText(std::string text = {});

    const std::string& text() const { return text_; }
    const std::vector<KeyFileLine>& lines() const { return lines_; }
    const std::vector<KeyFileGroup>& groups() const { return groups_; }
    // Lines before the first group that are neither blank nor comments (GLib refuses them).
    const std::vector<std::size_t>& strayLines() const { return stray_; }

    // The first group of that name.
    const KeyFileGroup* group(std::string_view name) const;
    // The line (index) of the group's entry for the key: the last one, which is the one that counts.
    std::optional<std::size_t> entryLine(const KeyFileGroup& group, std::string_view key) const;
    // The text of the group's lines, as GLib's parser can read it on its own.
    std::string_view groupText(const KeyFileGroup& group) const;
    std::string_view lineText(std::size_t line) const;

    // Edits of the first group of that name. A value is given as it stands in the file (escaped).
    void setEntry(std::string_view group, std::string_view key, std::string_view rawValue);
    void removeEntry(std::string_view group, std::string_view key);
    void removeGroup(std::string_view group);
    // A new group at the end, separated from the one before by a blank line.
    void appendGroup(std::string_view name,
                     const std::vector<std::pair<std::string, std::string>>& rawEntries);

  private:
    void scan();
    void replace(std::size_t begin, std::size_t end, std::string_view with);

    std::string text_;
    std::vector<KeyFileLine> lines_;
    std::vector<KeyFileGroup> groups_;
    std::vector<std::size_t> stray_;
};

// A value as a key file holds it: line breaks, tabs, backslashes and a leading blank escaped (GLib's
// own escaping).
std::string escapedKeyFileValue(std::string_view value);

}  // namespace qb::host
