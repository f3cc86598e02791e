#pragma once

#include "platform/bytes.hpp"
#include "platform/plist/plist.hpp"

namespace qb::plist {

// How the XML reader hands a document to expat: `fast` leaves out the base64 text of <data> elements
// that a scan of the input finds and checks, where the scan can tell them; `plain` feeds the document
// whole. Both give the same value or both fail.
enum class XmlPath { fast, plain };

// The two encodings; parse() picks one by the first bytes. Both may throw std::bad_alloc only.
ParseResult parseBinary(Bytes bytes);
ParseResult parseXml(Bytes bytes, XmlPath path = XmlPath::fast);

}  // namespace qb::plist
