#include <new>

#include "platform/plist/plist.hpp"
#include "platform/plist/readers.hpp"

namespace qb::plist {

ParseResult parse(Bytes bytes) {
    try {
        if (bytes.empty()) return {std::nullopt, "the file is empty"};
        std::string_view view = bytes.view();
        if (view.starts_with("bplist")) {
            if (!view.starts_with("bplist00"))
                return {std::nullopt, "unsupported binary property list version"};
            return parseBinary(std::move(bytes));
        }
        return parseXml(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return {std::nullopt, "out of memory"};
    } catch (...) {
        return {std::nullopt, "internal error"};
    }
}

}  // namespace qb::plist
