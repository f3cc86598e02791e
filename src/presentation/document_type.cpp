#include "presentation/document_type.hpp"

#include <string_view>

#include "platform/localization.hpp"

namespace qb {
namespace {

struct TypeInfo {
    std::string_view symbol;
    std::string_view label;
};

TypeInfo typeInfo(std::int64_t code) {
    switch (code) {
        case 1:
            return {"folder", "Group"};
        case 2:
            return {"folder.badge.gearshape", "Smart Group"};
        case 3:
            return {"doc.text", "Text"};
        case 4:
            return {"doc.richtext", "RTF"};
        case 5:
            return {"doc.richtext", "RTFD"};
        case 6:
            return {"terminal", "Script"};
        case 7:
            return {"globe", "HTML"};
        case 8:
            return {"archivebox", "Web Archive"};
        case 9:
            return {"chevron.left.forwardslash.chevron.right", "XML"};
        case 10:
            return {"list.bullet.rectangle", "Plist"};
        case 11:
            return {"photo", "Image"};
        case 12:
            return {"doc.text", "PDF"};
        case 13:
            return {"play.rectangle", "QuickTime"};
        case 14:
            return {"bookmark", "Bookmark"};
        case 15:
            return {"dot.radiowaves.left.and.right", "Feed"};
        case 16:
            return {"tablecells", "Sheet"};
        case 110:
            return {"tag", "Tag"};
        case 111:
            return {"tag", "Tag"};
        case 112:
            return {"tag", "Tag Group"};
        case 120:
            return {"video", "Video"};
        case 121:
            return {"waveform", "Audio"};
        case 122:
            return {"envelope", "Email"};
        case 123:
            return {"doc.richtext", "Formatted Note"};
        case 124:
            return {"doc.plaintext", "Markdown"};
        case 125:
            return {"newspaper", "News"};
        case 126:
            return {"doc.text", "PDF"};
        default:
            return {"doc", "Document"};
    }
}

}  // namespace

std::string DocumentType::sfSymbol(std::int64_t code) {
    return std::string(typeInfo(code).symbol);
}

std::string DocumentType::label(std::int64_t code) {
    return localized(typeInfo(code).label);
}

}  // namespace qb
