// XML property lists from arbitrary bytes: parse never crashes, never expands entities, and whatever
// it accepts can be walked.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_walk.hpp"
#include "platform/plist/plist.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.starts_with("bplist")) return 0;  // the binary fuzzer's ground
    auto result = qb::plist::parse(std::move(bytes));
    if (result) qb::fuzz::walk(*result.value);
    return 0;
}
