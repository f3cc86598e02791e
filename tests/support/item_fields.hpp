#pragma once

// Field-by-field comparisons of the widgets' items. A favorite and a reading-list item are equal when
// their ids are, so EXPECT_EQ on them passes whatever their titles, icons or links; these compare every
// stored field and the link, and name each field that differs with both values:
//   EXPECT_TRUE(test::sameItems(entry.items, expected));
// Workspaces and tips need none: their equality already covers every stored field. The other computed
// properties (subtitles, symbols, dots) are made from the stored fields, so they agree when those do.

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "favorites/favorites_item.hpp"
#include "readinglist/reading_list_item.hpp"

namespace qb::test {

// Collects the fields that differ, each with the value found and the value expected.
class FieldComparison {
  public:
    template <class V>
    FieldComparison& field(std::string_view name, const V& actual, const V& expected) {
        if (!(actual == expected))
            differences_ += fmt::format("{}{} is {}, expected {}", differences_.empty() ? "" : "; ", name,
                                        testing::PrintToString(actual), testing::PrintToString(expected));
        return *this;
    }
    FieldComparison& field(std::string_view name, Date actual, Date expected) {
        return field(name, iso8601(actual), iso8601(expected));
    }
    FieldComparison& field(std::string_view name, const std::optional<Bytes>& actual,
                           const std::optional<Bytes>& expected) {
        return field(name, textOf(actual), textOf(expected));
    }
    FieldComparison& field(std::string_view name, const std::optional<Url>& actual,
                           const std::optional<Url>& expected) {
        return field(name, textOf(actual), textOf(expected));
    }

    operator testing::AssertionResult() const {
        return differences_.empty() ? testing::AssertionSuccess()
                                    : testing::AssertionFailure() << differences_;
    }

  private:
    template <class T>
    static std::optional<std::string> textOf(const std::optional<T>& value) {
        if (!value) return std::nullopt;
        if constexpr (std::is_same_v<T, Url>)
            return value->string();
        else
            return std::string(value->view());
    }
    std::string differences_;
};

inline testing::AssertionResult sameFields(const favorites::FavoritesItem& actual,
                                           const favorites::FavoritesItem& expected) {
    return FieldComparison()
        .field("id", actual.id, expected.id)
        .field("name", actual.name, expected.name)
        .field("date", actual.date, expected.date)
        .field("icon", actual.icon, expected.icon)
        .field("label", actual.label, expected.label)
        .field("location", actual.location, expected.location)
        .field("groupName", actual.groupName, expected.groupName)
        .field("urlString", actual.urlString, expected.urlString)
        .field("url", actual.url(), expected.url())
        .field("iconData", actual.iconData, expected.iconData)
        .field("isDatabase", actual.isDatabase, expected.isDatabase)
        .field("databasePath", actual.databasePath, expected.databasePath);
}

inline testing::AssertionResult sameFields(const readinglist::ReadingListItem& actual,
                                           const readinglist::ReadingListItem& expected) {
    return FieldComparison()
        .field("id", actual.id, expected.id)
        .field("title", actual.title, expected.title)
        .field("isUnread", actual.isUnread, expected.isUnread)
        .field("date", actual.date, expected.date)
        .field("type", actual.type, expected.type)
        .field("iconData", actual.iconData, expected.iconData)
        .field("url", actual.url(), expected.url());
}

// The same number of items, each with the same fields as its counterpart; else the first that differs.
template <class Item>
testing::AssertionResult sameItems(const std::vector<Item>& actual, const std::vector<Item>& expected) {
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << actual.size() << " items, expected " << expected.size();
    for (std::size_t i = 0; i < actual.size(); ++i)
        if (auto same = sameFields(actual[i], expected[i]); !same)
            return testing::AssertionFailure()
                   << "item " << i << " (" << expected[i].id << "): " << same.message();
    return testing::AssertionSuccess();
}

}  // namespace qb::test
