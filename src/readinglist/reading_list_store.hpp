#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "core/list_selection.hpp"
#include "core/plist_file_store.hpp"
#include "core/quillbrook_paths.hpp"
#include "readinglist/reading_list_intent.hpp"
#include "readinglist/reading_list_item.hpp"

namespace qb::readinglist {

// What one request of the widget reads from the list: the first items that pass the filter and how many
// pass, and the counts over every usable entry whatever the filter.
struct ReadingListSelection {
    ListSelection<ReadingListItem> shown;  // the usable entries that pass the filter
    std::int64_t sourceCount = 0;          // usable entries
    std::int64_t unreadCount = 0;          // usable entries that are unread
};

// Reads Quillbrook's reading list (ReadingList.plist) afresh on every call; keeps nothing in between.
class ReadingListStore : public PlistFileStore<ReadingListStore> {
  public:
    // The usable entries of the file, in file order. A missing or broken file is logged and gives an
    // empty list; an entry without a "title" or "URL" string is left out.
    std::vector<ReadingListItem> readFromPlist() const;
    // The same entries counted, and made into items only up to `limit` of those that pass `filter`.
    ReadingListSelection select(ReadingListFilter filter,
                                std::size_t limit = std::numeric_limits<std::size_t>::max()) const;

  private:
    friend PlistFileStore<ReadingListStore>;
    using PlistFileStore::PlistFileStore;
    static constexpr std::string_view logCategory = "ReadingListStore";
    static std::filesystem::path fileIn(const QuillbrookPaths& paths) { return paths.readingListURL(); }
};

}  // namespace qb::readinglist
