#include "presentation/document_type.hpp"

#include <cstdlib>
#include <limits>

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(DocumentTypeTest, SymbolsAndLabelsOfTheCatalogue) {
    struct Case {
        std::int64_t code;
        std::string_view symbol;
        std::string_view label;
    };
    const Case cases[] = {
        {0, "doc", "Document"},
        {std::numeric_limits<std::int64_t>::max(), "doc", "Document"},
        {1, "folder", "Group"},
        {2, "folder.badge.gearshape", "Smart Group"},
        {12, "doc.text", "PDF"},
        {17, "doc", "Document"},
        {110, "tag", "Tag"},
        {112, "tag", "Tag Group"},
        {123, "doc.richtext", "Formatted Note"},
        {126, "doc.text", "PDF"},
        {127, "doc", "Document"},
        // 4294967308 is 12 in its low 32 bits: codes are compared whole.
        {4294967308LL, "doc", "Document"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DocumentType::sfSymbol(c.code), c.symbol) << c.code;
        EXPECT_EQ(DocumentType::label(c.code), c.label) << c.code;
    }
}

TEST(DocumentTypeTest, LabelsFollowTheUsersLanguage) {
    setenv("LANGUAGE", "de", 1);
    EXPECT_EQ(DocumentType::label(112), "Tag-Gruppe");
    EXPECT_EQ(DocumentType::label(0), "Dokument");
    unsetenv("LANGUAGE");
}

}  // namespace
}  // namespace qb
