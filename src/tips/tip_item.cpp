#include "tips/tip_item.hpp"

#include <nlohmann/json.hpp>

#include "core/item_links.hpp"
#include "platform/json.hpp"
#include "tips/feed_text.hpp"

namespace qb::tips {

void TipItem::limitFieldLengths() {
    feedtext::limitLength(title, TipLimits::titleBytes);
    feedtext::limitLength(description, TipLimits::descriptionBytes);
    feedtext::limitLength(link, TipLimits::linkBytes);
    feedtext::limitLength(guid, TipLimits::guidBytes);
}

std::optional<Url> TipItem::url() const {
    return quillbrookOpenURL(link, "tips");
}

const std::vector<TipItem>& TipItem::sampleItems() {
    static const std::vector<TipItem> samples = [] {
        Date created = Date::now();
        return std::vector<TipItem>{
            {"How to Use Smart Rules",
             "Smart rules let you automate common tasks in Quillbrook. Set triggers and actions to organize, "
             "tag, and move documents automatically.",
             "https://www.quillbrook.example/tips/smart-rules", created, "sample1"},
            {"Mastering Search Operators",
             "Quillbrook supports powerful search operators including wildcards, boolean logic, and "
             "proximity "
             "searches to find exactly what you need.",
             "https://www.quillbrook.example/tips/search-operators", created.addingTimeInterval(-86400),
             "sample2"},
            {"Getting Started with Workspaces",
             "Workspaces save and restore your window arrangement and open databases, making it easy to "
             "switch between projects.",
             "https://www.quillbrook.example/tips/workspaces", created.addingTimeInterval(-172800),
             "sample3"},
        };
    }();
    return samples;
}

void to_json(nlohmann::json& json, const TipItem& tip) {
    json = nlohmann::json{{"title", tip.title},      {"description", tip.description},
                          {"link", tip.link},        {"pubDate", toJson(tip.pubDate)},
                          {"guid", tip.guid},        {"id", tip.id()},
                          {"url", toJson(tip.url())}};
}

}  // namespace qb::tips

std::size_t std::hash<qb::tips::TipItem>::operator()(const qb::tips::TipItem& tip) const noexcept {
    std::size_t seed = 0;
    auto mix = [&seed](std::size_t value) {
        seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    };
    mix(std::hash<std::string>{}(tip.title));
    mix(std::hash<std::string>{}(tip.description));
    mix(std::hash<std::string>{}(tip.link));
    mix(std::hash<double>{}(tip.pubDate.sinceReferenceDate));
    mix(std::hash<std::string>{}(tip.guid));
    return seed;
}
