// XML property lists from arbitrary bytes: parse never crashes, never expands entities, and whatever
// it accepts can be walked. Leaving checked <data> texts out of what expat reads changes nothing: the
// document fed whole gives the same value or the same error.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "fuzz_walk.hpp"
#include "platform/plist/plist.hpp"
#include "platform/plist/readers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb::plist;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.starts_with("bplist")) return 0;  // the binary fuzzer's ground
    const bool empty = bytes.empty();           // parse() answers an empty file before the XML reader sees it
    auto plain = parseXml(qb::Bytes(bytes), XmlPath::plain);
    auto result = parse(std::move(bytes));
    qb::fuzz::check(result.value.has_value() == plain.value.has_value(),
                    "the fast and the plain XML paths disagree on success");
    qb::fuzz::check(empty || result.error == plain.error, "the XML paths give different errors");
    if (result) {
        qb::fuzz::check(*result.value == *plain.value, "the XML paths give different values");
        qb::fuzz::walk(*result.value);
    }
    return 0;
}
