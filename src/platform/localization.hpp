#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qb {

// The text for a key of the string table in the user's language; the key (the English text) where
// there is no translation.
std::string localized(std::string_view key);

// A key with one "%lld" ("%lld items"), localized, with the number put in its place.
std::string localized(std::string_view key, std::int64_t count);

}  // namespace qb
