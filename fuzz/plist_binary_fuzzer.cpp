// Binary property lists from arbitrary bytes: parse never crashes, never reads out of bounds, and
// whatever it accepts can be walked.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_walk.hpp"
#include "platform/plist/plist.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    // Keep the fuzzer on the binary reader: most mutations would otherwise lose the magic.
    if (bytes.compare(0, 8, "bplist00") != 0) bytes.insert(0, "bplist00");
    auto result = qb::plist::parse(std::move(bytes));
    if (result) qb::fuzz::walk(*result.value);
    return 0;
}
