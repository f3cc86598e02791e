#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "readinglist/reading_list_item.hpp"

namespace qb {

// Reads Quillbrook's reading list (ReadingList.plist) afresh on every call; keeps nothing in between.
class ReadingListStore {
  public:
    // The store of the user's ReadingList.plist; the file's place is looked up on first read.
    static const ReadingListStore& shared();
    // A store reading the given file (for tests and the host's other homes).
    static ReadingListStore forFile(std::filesystem::path file);

    // The usable entries of the file, in file order. A missing or broken file is logged and gives an
    // empty list; an entry without a "title" or "URL" string is left out.
    std::vector<ReadingListItem> readFromPlist() const;

  private:
    explicit ReadingListStore(std::optional<std::filesystem::path> file) : file_(std::move(file)) {}
    std::filesystem::path file() const;

    std::optional<std::filesystem::path> file_;  // nothing: the user's ReadingList.plist
};

}  // namespace qb
