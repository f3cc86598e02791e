#pragma once

#include "platform/bytes.hpp"
#include "platform/plist/plist.hpp"

namespace qb::plist {

// The two encodings; parse() picks one by the first bytes. Both may throw std::bad_alloc only.
ParseResult parseBinary(Bytes bytes);
ParseResult parseXml(Bytes bytes);

}  // namespace qb::plist
