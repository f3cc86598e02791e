// tips_cache.json from arbitrary bytes: the decoder never crashes, whatever it accepts encodes and reads
// back the same, and a store whose download fails serves exactly the decoded tips (or none) without
// touching the file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "platform/files.hpp"
#include "tips/cached_tips.hpp"
#include "tips/tip_store.hpp"

namespace {

class OfflineClient final : public qb::HttpClient {
  public:
    qb::HttpResult get(const std::string&) const override {
        return {0, {}, "Could not connect to the server: the network is down"};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb;
    using namespace qb::tips;
    fuzz::QuietLog quiet;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto decoded = decodeCachedTips(bytes);
    if (decoded) {
        const auto encoded = encodeCachedTips(*decoded);
        fuzz::check(!encoded.error, "a decoded cache that cannot be encoded");
        fuzz::check(decodeCachedTips(encoded.bytes) == decoded, "a cache that does not read back the same");
    }

    static const TipStore store =
        TipStore::forServices(WidgetServices{.clock = [] { return Date{754'000'000}; },
                                             .http = std::make_shared<OfflineClient>(),
                                             .cacheFolder = fuzz::scratch().path(),
                                             .feedBase = "http://127.0.0.1:9"},
                              [] { return std::vector<std::string>{"en-US"}; });
    const auto file = fuzz::scratch().write("tips_cache.json", bytes);
    const auto tips = store.fetchTips();
    fuzz::check(tips == (decoded ? decoded->tips : std::vector<TipItem>{}), "the store served other tips");
    fuzz::check(readFile(file) == std::string(bytes), "the store changed the cache without a download");
    return 0;
}
