#include "readinglist/reading_list_small_header.hpp"

#include <string>

namespace qb {

ui::View ReadingListSmallHeader::body(const ui::Environment&) const {
    using namespace ui;
    return hstack({
        localizedText("Reading List").font(Font::headline),
        spacer(),
        verbatim(std::to_string(unreadCount))
            .font(Font::caption)
            .fontWeight(FontWeight::semibold)
            .foregroundStyle(Color::white)
            .padding(Edge::horizontal, 6)
            .padding(Edge::vertical, 2)
            .background(Color::blue),
    });
}

}  // namespace qb
