#include "platform/text_search.hpp"

#include <map>
#include <memory>
#include <string>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stsearch.h>
#include <unicode/tblcoll.h>
#include <unicode/unistr.h>

#include "platform/localization.hpp"

namespace qb {
namespace {

// A collator per language and thread (an ICU collator must not be used by two threads at once), made
// on first use: at secondary strength, which ignores case but not accents, and with normalization on,
// so that canonically equivalent sequences compare equal.
icu::RuleBasedCollator* collatorFor(const std::string& languageTag) {
    thread_local std::map<std::string, std::unique_ptr<icu::Collator>> collators;
    auto found = collators.find(languageTag);
    if (found == collators.end()) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale locale =
            languageTag.empty() ? icu::Locale::getRoot() : icu::Locale::forLanguageTag(languageTag, status);
        if (U_FAILURE(status)) {
            status = U_ZERO_ERROR;
            locale = icu::Locale::getRoot();
        }
        std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
        if (U_FAILURE(status) || !collator) collator.reset();
        if (collator) {
            collator->setStrength(icu::Collator::SECONDARY);
            collator->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
        }
        found = collators.emplace(languageTag, std::move(collator)).first;
    }
    return dynamic_cast<icu::RuleBasedCollator*>(found->second.get());
}

}  // namespace

bool localizedCaseInsensitiveContains(std::string_view haystack, std::string_view needle) {
    if (needle.empty() || haystack.empty()) return false;
    auto languages = preferredLanguages();
    auto* collator = collatorFor(languages.empty() ? std::string() : languages.front());
    if (!collator) return false;
    auto pattern =
        icu::UnicodeString::fromUTF8(icu::StringPiece(needle.data(), static_cast<int32_t>(needle.size())));
    auto text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(haystack.data(), static_cast<int32_t>(haystack.size())));
    UErrorCode status = U_ZERO_ERROR;
    icu::StringSearch search(pattern, text, collator, nullptr, status);
    if (U_FAILURE(status)) return false;
    int32_t at = search.first(status);
    return U_SUCCESS(status) && at != USEARCH_DONE;
}

}  // namespace qb
