#include "readinglist/reading_list_entry.hpp"

#include "platform/json.hpp"

namespace qb {

void to_json(nlohmann::json& json, const ReadingListEntry& entry) {
    json = nlohmann::json{
        {"date", toJson(entry.date)},         {"items", entry.items},
        {"displayCount", entry.displayCount}, {"sourceCount", entry.sourceCount},
        {"unreadCount", entry.unreadCount},
    };
}

}  // namespace qb
