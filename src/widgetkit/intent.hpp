#pragma once

// Configuration intents and their parameters: enumerations with raw values (AppEnum) and entities whose
// choices a query computes at run time (AppEntity with an EntityQuery).

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "platform/localization.hpp"

namespace qb {

// ---- Enumerations ----------------------------------------------------------------------------------

template <class E>
struct AppEnumCase {
    E value;
    std::string_view rawValue;
    std::string_view displayName;  // a localization key
};

// Specialise for each enumeration parameter type:
//   template <> struct AppEnumTraits<ReadingListFilter> {
//       static constexpr std::string_view typeDisplayName = "Filter";
//       static constexpr std::array cases = {AppEnumCase<ReadingListFilter>{...}, ...};
//   };
template <class E>
struct AppEnumTraits;

template <class E>
concept AppEnum = requires {
    { AppEnumTraits<E>::typeDisplayName } -> std::convertible_to<std::string_view>;
    AppEnumTraits<E>::cases.size();
};

template <AppEnum E>
std::string_view rawValue(E value) {
    for (const auto& c : AppEnumTraits<E>::cases)
        if (c.value == value) return c.rawValue;
    return {};
}

// The case with the given raw value; nothing for any other text.
template <AppEnum E>
std::optional<E> fromRawValue(std::string_view raw) {
    for (const auto& c : AppEnumTraits<E>::cases)
        if (c.rawValue == raw) return c.value;
    return std::nullopt;
}

template <AppEnum E>
std::string_view displayName(E value) {
    for (const auto& c : AppEnumTraits<E>::cases)
        if (c.value == value) return c.displayName;
    return {};
}

// ---- Entities --------------------------------------------------------------------------------------

struct DisplayRepresentation {
    std::string title;
    friend bool operator==(const DisplayRepresentation&, const DisplayRepresentation&) = default;
};

// An entity has a string id, a display representation, a static type name and a default query:
//   struct FavoritesGroupOption { std::string id; DisplayRepresentation displayRepresentation() const;
//       static constexpr std::string_view typeDisplayRepresentation = "Favorites Group";
//       using Query = FavoritesGroupQuery; };
template <class T>
concept AppEntity = requires(const T& t) {
    { t.id } -> std::convertible_to<std::string>;
    { t.displayRepresentation() } -> std::same_as<DisplayRepresentation>;
    { T::typeDisplayRepresentation } -> std::convertible_to<std::string_view>;
    typename T::Query;
};

template <class Q, class T>
concept EntityQuery = requires(const Q& q, const std::vector<std::string>& ids, std::string_view text) {
    { q.entities(ids) } -> std::same_as<std::vector<T>>;
    { q.suggestedEntities() } -> std::same_as<std::vector<T>>;
    { q.defaultResult() } -> std::same_as<std::optional<T>>;
    { q.entitiesMatching(text) } -> std::same_as<std::vector<T>>;
};

// ---- Parameters, as the host sees them ---------------------------------------------------------------

// One choice of a parameter, for listing: the raw value or entity id, and what the user sees.
struct ParameterOption {
    std::string id;
    std::string title;
    friend bool operator==(const ParameterOption&, const ParameterOption&) = default;
};

// One parameter of the intent type I, with what the host needs to list, read and set it from text.
template <class I>
struct IntentParameter {
    std::string name;             // the field's name, e.g. "filter"
    std::string title;            // a localization key, e.g. "Filter"
    std::string typeDisplayName;  // a localization key, e.g. "Filter" or "Favorites Group"
    bool isEntity = false;
    std::function<std::string(const I&)> value;
    // Sets the value from its raw value or id; returns false for a raw value that names no case of an
    // enumeration, or an id the entity query cannot resolve. Any id the query resolves is taken, whether
    // it suggests it or not.
    std::function<bool(I&, std::string_view)> set;
    // The choices: all cases, or the suggested entities; with a search text, the query's matches.
    std::function<std::vector<ParameterOption>(const std::optional<std::string>& search)> options;
};

template <class I, AppEnum E>
IntentParameter<I> enumParameter(std::string name, std::string title, E I::*member) {
    IntentParameter<I> p;
    p.name = std::move(name);
    p.title = std::move(title);
    p.typeDisplayName = std::string(AppEnumTraits<E>::typeDisplayName);
    p.value = [member](const I& intent) { return std::string(rawValue(intent.*member)); };
    p.set = [member](I& intent, std::string_view raw) {
        auto value = fromRawValue<E>(raw);
        if (value) intent.*member = *value;
        return value.has_value();
    };
    p.options = [](const std::optional<std::string>&) {
        std::vector<ParameterOption> options;
        for (const auto& c : AppEnumTraits<E>::cases)
            options.push_back({std::string(c.rawValue), localized(c.displayName)});
        return options;
    };
    return p;
}

// An entity parameter whose choices `query` computes; without one, a query made with its default
// initialiser.
template <class I, AppEntity T>
requires EntityQuery<typename T::Query, T> IntentParameter<I> entityParameter(
    std::string name, std::string title, T I::*member, typename T::Query query = typename T::Query{}) {
    IntentParameter<I> p;
    p.name = std::move(name);
    p.title = std::move(title);
    p.typeDisplayName = std::string(T::typeDisplayRepresentation);
    p.isEntity = true;
    p.value = [member](const I& intent) { return std::string((intent.*member).id); };
    p.set = [member, query](I& intent, std::string_view id) {
        // An id is a stored configuration, not a pick from the menu: one the query no longer suggests (a
        // group renamed or deleted since) is kept as the query resolves it, and the widget shows what
        // belongs to it, which may be nothing.
        auto resolved = query.entities({std::string(id)});
        if (resolved.empty()) return false;
        intent.*member = std::move(resolved.front());
        return true;
    };
    p.options = [query](const std::optional<std::string>& search) {
        auto entities = search ? query.entitiesMatching(*search) : query.suggestedEntities();
        std::vector<ParameterOption> options;
        for (const auto& entity : entities)
            options.push_back({entity.id, entity.displayRepresentation().title});
        return options;
    };
    return p;
}

// A configuration intent: a value type with static `title` and `description` (localization keys) and
// `static std::vector<IntentParameter<I>> parameters()`. Default construction gives the defaults.
template <class I>
concept WidgetConfigurationIntent = std::default_initializable<I> && std::copyable<I> && requires {
    { I::title } -> std::convertible_to<std::string_view>;
    { I::description } -> std::convertible_to<std::string_view>;
    { I::parameters() } -> std::same_as<std::vector<IntentParameter<I>>>;
};

}  // namespace qb
