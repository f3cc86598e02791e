#pragma once

// The GTK widgets of one resolved node and its descendants: stacks as boxes, texts as labels,
// symbols from the icon theme, bitmaps, circles, dividers, spacers and clickable links, each with its
// padding, frame and capsule.

#include <memory>
#include <string>

#include <gtkmm/widget.h>

#include "host/desktop/render/widget_view.hpp"
#include "host/render/resolved_view.hpp"

namespace qb::desktop {

// The node's widget, placed as a child of a vertical stack, or nothing for a node that draws nothing.
// Clicks on its links call `open`.
Gtk::Widget* buildNodeWidgets(const host::resolved::Node& node, const std::shared_ptr<const OpenLink>& open);

// A flat button around `content` that opens `destination` when clicked, with a pointer cursor and a
// hover highlight (`cssClass` styles it), named for assistive technologies as `accessibleName`.
Gtk::Widget* linkButton(Gtk::Widget& content, const Url& destination,
                        const std::shared_ptr<const OpenLink>& open, const std::string& accessibleName,
                        const char* cssClass);

}  // namespace qb::desktop
