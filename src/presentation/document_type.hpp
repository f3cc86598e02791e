#pragma once

#include <cstdint>
#include <string>

namespace qb {

// The kinds of documents and groups that Quillbrook records as a type code: the symbol that stands for
// an item without an icon of its own, and a short label. Unknown codes are plain documents.
struct DocumentType {
    static std::string sfSymbol(std::int64_t code);
    // The label in the user's language.
    static std::string label(std::int64_t code);
};

}  // namespace qb
