#include "tips/cached_tips.hpp"

#include <cmath>

#include <nlohmann/json.hpp>

namespace qb::tips {

namespace {

const nlohmann::json* member(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::optional<std::string> stringMember(const nlohmann::json& object, const char* key) {
    const auto* value = member(object, key);
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

std::optional<Date> dateMember(const nlohmann::json& object, const char* key) {
    const auto* value = member(object, key);
    if (!value || !value->is_number()) return std::nullopt;
    double seconds = value->get<double>();
    if (!std::isfinite(seconds)) return std::nullopt;
    return Date{seconds};
}

std::optional<TipItem> decodeTip(const nlohmann::json& object) {
    if (!object.is_object()) return std::nullopt;
    auto title = stringMember(object, "title");
    auto description = stringMember(object, "description");
    auto link = stringMember(object, "link");
    auto pubDate = dateMember(object, "pubDate");
    auto guid = stringMember(object, "guid");
    if (!title || !description || !link || !pubDate || !guid) return std::nullopt;
    TipItem tip{std::move(*title), std::move(*description), std::move(*link), *pubDate, std::move(*guid)};
    // The file may come from an older version that kept longer fields, or from someone else.
    tip.limitFieldLengths();
    return tip;
}

}  // namespace

EncodedCache encodeCachedTips(const CachedTips& cache) {
    nlohmann::ordered_json tips = nlohmann::ordered_json::array();
    for (const auto& tip : cache.tips) {
        tips.push_back(nlohmann::ordered_json{{"title", tip.title},
                                              {"description", tip.description},
                                              {"link", tip.link},
                                              {"pubDate", tip.pubDate.sinceReferenceDate},
                                              {"guid", tip.guid}});
    }
    nlohmann::ordered_json object{{"timestamp", cache.timestamp.sinceReferenceDate},
                                  {"tips", std::move(tips)}};
    try {
        return {object.dump(), std::nullopt};
    } catch (const nlohmann::json::exception& error) {
        return {{}, std::string("The tips could not be written as JSON: ") + error.what()};
    }
}

std::optional<CachedTips> decodeCachedTips(std::string_view json) {
    auto document = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
    if (!document.is_object()) return std::nullopt;
    auto timestamp = dateMember(document, "timestamp");
    const auto* tips = member(document, "tips");
    if (!timestamp || !tips || !tips->is_array()) return std::nullopt;
    CachedTips cache{*timestamp, {}};
    cache.tips.reserve(tips->size());
    for (const auto& element : *tips) {
        auto tip = decodeTip(element);
        if (!tip) return std::nullopt;  // one bad tip spoils the whole file
        cache.tips.push_back(std::move(*tip));
    }
    return cache;
}

}  // namespace qb::tips
