// The tips feed from arbitrary bytes: the parser never crashes, keeps only titled, dated tips, newest
// first, with one-line descriptions; what it returns can be cached and read back unchanged, and shown.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.hpp"
#include "tips/cached_tips.hpp"
#include "tips/rss_parser.hpp"
#include "tips/tips_views.hpp"

namespace {

bool isTrimmedLine(std::string_view text) {
    if (text.find('\n') != std::string_view::npos) return false;
    return text.empty() || (text.front() != ' ' && text.back() != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb;
    using namespace qb::tips;
    const auto tips = RSSParser::parseTips(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::size_t i = 0; i < tips.size(); ++i) {
        const auto& tip = tips[i];
        fuzz::check(!tip.title.empty(), "a tip without a title");
        fuzz::check(tip.pubDate != Date::distantPast(), "an undated tip");
        fuzz::check(i == 0 || !(tips[i - 1].pubDate < tip.pubDate), "tips out of date order");
        fuzz::check(isTrimmedLine(tip.description), "a description that is not one trimmed line");
        fuzz::check(tip.description.find("  ") == std::string::npos, "a description with a double blank");
    }
    if (tips.empty()) return 0;

    const CachedTips cache{Date{754'000'000.25}, tips};
    const auto encoded = encodeCachedTips(cache);
    fuzz::check(!encoded.error, "parsed tips that cannot be cached");
    fuzz::check(decodeCachedTips(encoded.bytes) == cache, "cached tips that do not read back the same");

    for (auto mode : {TipsMode::latestTip, TipsMode::tipOfTheDay})
        fuzz::exercise<TipsEntry, TipsEntryView>(TipsEntry{cache.timestamp, tips.front(), mode});
    return 0;
}
