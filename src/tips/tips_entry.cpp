#include "tips/tips_entry.hpp"

#include <nlohmann/json.hpp>

#include "platform/json.hpp"

namespace qb {

void to_json(nlohmann::json& json, const TipsEntry& entry) {
    json = nlohmann::json{{"date", toJson(entry.date)},
                          {"tip", entry.tip ? nlohmann::json(*entry.tip) : nlohmann::json(nullptr)},
                          {"mode", rawValue(entry.mode)}};
}

}  // namespace qb
