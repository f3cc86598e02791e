#pragma once

#include <string_view>

namespace qb {

// Whether `haystack` contains `needle` by the rules of the user's first preferred language: letter
// case does not count (Turkish dotted and dotless i under Turkish), accents do, and canonically
// equivalent spellings ("é" as one character or as "e" with a combining accent) match. An empty needle
// matches nothing. Both texts are UTF-8.
bool localizedCaseInsensitiveContains(std::string_view haystack, std::string_view needle);

}  // namespace qb
