#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

namespace qb {

// The text for a key of the string table in the user's language; the key (the English text) where
// there is no translation. Safe from any thread.
std::string localized(std::string_view key);

// A key with one "%lld" ("%lld items"), localized, with the number put in its place.
std::string localized(std::string_view key, std::int64_t count);

// The text for a key with {} fields ("unknown family {}; use {}"), localized, with the arguments in
// their places. A translation whose fields do not fit the arguments gives the English text instead.
std::string localizedFormat(std::string_view key, fmt::format_args arguments);

template <class... Arguments>
std::string localizedMessage(std::string_view key, const Arguments&... arguments) {
    return localizedFormat(key, fmt::make_format_args(arguments...));
}

// The user's languages, most preferred first, as language tags ("de-DE", "de"): the entries of
// LANGUAGE (a colon list), then the language of the locale that LC_ALL, LC_MESSAGES or LANG names
// (the first that is set; "de_DE.UTF-8" reads as "de-DE"; "C" and "POSIX" name none).
std::vector<std::string> preferredLanguages();

}  // namespace qb
