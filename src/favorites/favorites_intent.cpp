#include "favorites/favorites_intent.hpp"

#include "platform/localization.hpp"
#include "platform/text_search.hpp"

namespace qb::favorites {

DisplayRepresentation FavoritesGroupOption::displayRepresentation() const {
    return DisplayRepresentation{id == allID ? localized("All") : id};
}

std::vector<FavoritesGroupOption> FavoritesGroupQuery::entities(const std::vector<std::string>& ids) const {
    std::vector<FavoritesGroupOption> options;
    options.reserve(ids.size());
    for (const auto& id : ids) options.push_back(FavoritesGroupOption{id});
    return options;
}

std::vector<FavoritesGroupOption> FavoritesGroupQuery::suggestedEntities() const {
    std::vector<FavoritesGroupOption> options{FavoritesGroupOption::all()};
    for (auto& name : store_.groupNames()) options.push_back(FavoritesGroupOption{std::move(name)});
    return options;
}

std::vector<FavoritesGroupOption> FavoritesGroupQuery::entitiesMatching(std::string_view text) const {
    auto options = suggestedEntities();
    if (text.empty()) return options;
    const bool allTitleMatches = localizedCaseInsensitiveContains(localized("All"), text);
    std::vector<FavoritesGroupOption> matching;
    for (auto& option : options) {
        const bool isAll = option.id == FavoritesGroupOption::allID;
        if (localizedCaseInsensitiveContains(option.id, text) || (isAll && allTitleMatches))
            matching.push_back(std::move(option));
    }
    return matching;
}

std::vector<IntentParameter<FavoritesIntent>> FavoritesIntent::parameters(FavoritesGroupQuery query) {
    return {entityParameter("group", "Group", &FavoritesIntent::group, std::move(query))};
}

}  // namespace qb::favorites
