#include "readinglist/reading_list_item.hpp"

#include <algorithm>

#include "core/widget_links.hpp"
#include "platform/json.hpp"
#include "presentation/displayable_item_json.hpp"
#include "presentation/document_type.hpp"

namespace qb::readinglist {
namespace {

std::string lowercasedASCII(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

}  // namespace

ReadingListItem::ReadingListItem(std::string urlString, std::string title_, bool isUnread_, Date date_,
                                 std::int64_t type_, std::optional<Bytes> iconData_)
    : id(std::move(urlString)),
      title(std::move(title_)),
      isUnread(isUnread_),
      date(date_),
      type(type_),
      iconData(std::move(iconData_)) {}

std::optional<Url> ReadingListItem::url() const {
    return readingListLink(id);
}

std::string ReadingListItem::typeIcon() const {
    return DocumentType::sfSymbol(type);
}

std::string ReadingListItem::typeLabel() const {
    return DocumentType::label(type);
}

std::optional<std::string> ReadingListItem::sourceHost() const {
    auto parsed = Url::parse(id);
    if (!parsed) return std::nullopt;
    auto scheme = parsed->scheme();
    if (!scheme) return std::nullopt;
    auto lowerScheme = lowercasedASCII(*scheme);
    if (lowerScheme != "http" && lowerScheme != "https") return std::nullopt;
    auto host = parsed->host();
    if (!host || host->empty()) return std::nullopt;
    // Only the lower-case prefix is dropped: "WWW.example.com" stays as written.
    if (host->starts_with("www.")) host->erase(0, 4);
    return host;
}

std::string ReadingListItem::subtitle() const {
    auto host = sourceHost();
    if (!host) return typeLabel();
    return typeLabel() + " \u00B7 " + *host;
}

std::optional<ui::Color> ReadingListItem::dotColor() const {
    if (isUnread) return ui::Color::blue;
    return std::nullopt;
}

const std::vector<ReadingListItem>& ReadingListItem::sampleItems() {
    static const std::vector<ReadingListItem> items = [] {
        const Date now = Date::now();
        return std::vector<ReadingListItem>{
            {"x-quillbrook-item://sample1", "Getting Started with Quillbrook", true, now, 12, std::nullopt},
            {"x-quillbrook-item://sample2", "Project Budget 2025", true, now.addingTimeInterval(-3600), 16,
             std::nullopt},
            {"x-quillbrook-item://sample3", "Meeting Notes \u2013 Q1 Review", false,
             now.addingTimeInterval(-7200), 4, std::nullopt},
            {"x-quillbrook-item://sample4", "Smart Rules & Automation Guide", true,
             now.addingTimeInterval(-86400), 12, std::nullopt},
            {"x-quillbrook-item://sample5", "Research Notes on Machine Learning", false,
             now.addingTimeInterval(-172800), 124, std::nullopt},
        };
    }();
    return items;
}

void to_json(nlohmann::json& json, const ReadingListItem& item) {
    const auto sourceHost = item.sourceHost();
    json = nlohmann::json{
        {"id", item.id},
        {"title", item.title},
        {"isUnread", item.isUnread},
        {"date", toJson(item.date)},
        {"type", item.type},
        {"iconData", toJson(item.iconData)},
        {"url", toJson(item.url())},
        {"typeIcon", item.typeIcon()},
        {"typeLabel", item.typeLabel()},
        {"sourceHost", sourceHost ? nlohmann::json(*sourceHost) : nlohmann::json(nullptr)},
        {"subtitle", item.subtitle()},
    };
    addDisplayableFields(json, item);
}

}  // namespace qb::readinglist
