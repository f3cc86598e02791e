#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/bytes.hpp"
#include "platform/date.hpp"
#include "platform/url.hpp"
#include "ui/view.hpp"

namespace qb::readinglist {

// One entry of the reading list: a document or web page the user marked for later reading. Items are
// identified by the address they were saved under, so two entries with the same address are equal.
struct ReadingListItem {
    std::string id;  // the entry's address exactly as read
    std::string title;
    bool isUnread = true;
    Date date = Date::distantPast();
    std::int64_t type = 0;  // a document type code
    std::optional<Bytes> iconData;

    ReadingListItem() = default;
    ReadingListItem(std::string urlString, std::string title, bool isUnread, Date date, std::int64_t type,
                    std::optional<Bytes> iconData);

    // What a click opens: the address, web pages wrapped in Quillbrook's open-url command; nothing for
    // text that is no URL. Made from `id` when asked, so that the entries a list drops cost no link.
    std::optional<Url> url() const;

    std::string typeIcon() const;
    std::string typeLabel() const;
    // The web site an http or https entry comes from, without a leading "www."; nothing for other links.
    std::optional<std::string> sourceHost() const;
    // The type label, and " · " and the site when there is one.
    std::string subtitle() const;

    // What a list row shows.
    std::string displayTitle() const { return title; }
    std::string displayIcon() const { return typeIcon(); }
    std::optional<Bytes> displayIconData() const { return iconData; }
    std::optional<Url> displayURL() const { return url(); }
    std::optional<std::string> displaySubtitle() const { return subtitle(); }
    // Blue while the entry is unread.
    std::optional<ui::Color> dotColor() const;

    // The five items the placeholder shows, made once; their dates are taken then.
    static const std::vector<ReadingListItem>& sampleItems();

    friend bool operator==(const ReadingListItem& a, const ReadingListItem& b) { return a.id == b.id; }
};

// Every stored and computed field, and the six displayable properties.
void to_json(nlohmann::json& json, const ReadingListItem& item);

}  // namespace qb::readinglist

template <>
struct std::hash<qb::readinglist::ReadingListItem> {
    std::size_t operator()(const qb::readinglist::ReadingListItem& item) const noexcept {
        return std::hash<std::string>{}(item.id);
    }
};
