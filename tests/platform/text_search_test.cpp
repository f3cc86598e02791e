#include "platform/text_search.hpp"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace qb {
namespace {

// Sets LANGUAGE for one test and puts the old value back at the end.
class ScopedLanguage {
  public:
    explicit ScopedLanguage(const char* language) {
        if (const char* old = std::getenv("LANGUAGE")) old_ = old;
        setenv("LANGUAGE", language, 1);
    }
    ~ScopedLanguage() { old_ ? setenv("LANGUAGE", old_->c_str(), 1) : unsetenv("LANGUAGE"); }

  private:
    std::optional<std::string> old_;
};

TEST(TextSearchTest, IgnoresCaseByTheLanguagesRulesButNotAccents) {
    struct Case {
        const char* language;
        std::string_view haystack;
        std::string_view needle;
        bool expected;
    };
    const Case cases[] = {
        {"en", "Work Projects", "work", true},
        {"en", "Work", "", false},
        {"en", "R\xC3\xA9sum\xC3\xA9", "resume", false},                      // accents count
        {"en", "R\xC3\xA9sum\xC3\xA9", "R\xC3\x89SUM\xC3\x89", true},         // case does not
        {"en", "Re\xCC\x81sume\xCC\x81 2024", "r\xC3\xA9sum\xC3\xA9", true},  // decomposed and composed
        {"en", "Cafe\xCC\x81", "cafe", false},  // no match inside a combined letter
        {"en", "ISTANBUL", "istanbul", true},
        {"tr", "ISTANBUL", "istanbul", false},  // Turkish: I is the capital of dotless ı
        {"tr", "\xC4\xB0STANBUL", "istanbul", true},
        {"tr", "KAPI", "kap\xC4\xB1", true},
    };
    for (const auto& c : cases) {
        ScopedLanguage language(c.language);
        EXPECT_EQ(localizedCaseInsensitiveContains(c.haystack, c.needle), c.expected)
            << c.language << ": '" << c.haystack << "' contains '" << c.needle << "'";
    }
}

}  // namespace
}  // namespace qb
