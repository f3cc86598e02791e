#pragma once

// The texts of <data> elements that the XML reader takes straight from the input, so that expat only
// tokenizes the markup around them.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace qb::plist {

// The characters of one <data> element: `length` bytes at `offset` in the input.
struct DataText {
    std::size_t offset = 0;
    std::size_t length = 0;
    friend bool operator==(const DataText&, const DataText&) = default;
};

// The texts of the `<data>` elements (no attributes) whose whole content is valid base64 followed by
// `</data>`, in document order; cutting them out leaves expat the same document with those elements
// empty. Nothing when that cannot be told by a scan from '<' to '<': a document that is or may be in an
// encoding other than UTF-8, a DOCTYPE with an internal subset, or any comment, CDATA section or
// processing instruction after the root start tag. Such documents go to expat whole.
std::optional<std::vector<DataText>> scanDataTexts(std::string_view input);

}  // namespace qb::plist
