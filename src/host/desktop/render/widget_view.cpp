#include "host/desktop/render/widget_view.hpp"

#include <atkmm/object.h>
#include <gtkmm/box.h>

#include "host/desktop/render/node_widgets.hpp"
#include "host/desktop/render/slot.hpp"
#include "host/render/html.hpp"
#include "host/render/view_greed.hpp"

namespace qb::desktop {

Gtk::Widget* buildWidgetView(const host::resolved::Tree& tree, std::string_view accessibleName,
                             OpenLink open) {
    const auto shared = std::make_shared<const OpenLink>(std::move(open));
    const WidgetFamily family = tree.environment.family;
    const WidgetRenderingMode mode = tree.environment.renderingMode;

    // The card: the widget's rounded background, in the classes that choose its colours. Its content
    // sits inside the card's padding; what does not fit runs into the padding and is cut off at the
    // card's edge rather than growing the widget.
    auto* card = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL);
    const auto style = card->get_style_context();
    style->add_class("qb-widget");
    style->add_class("qb-" + std::string(name(family)));
    style->add_class("qb-mode-" + std::string(name(mode)));
    if (tree.tinted()) style->add_class("qb-tinted");
    if (tree.containerBackground) style->add_class("qb-fill");
    auto* clip = Gtk::make_managed<Slot>(SlotSizing::clipping());
    clip->set_hexpand(true);
    clip->set_vexpand(true);
    card->add(*clip);
    auto* content = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL);
    content->get_style_context()->add_class("qb-content");
    clip->add(*content);
    if (Gtk::Widget* root = buildNodeWidgets(tree.root, shared)) {
        // The content spans the card's width and stands in its middle unless it fills the height.
        root->set_halign(Gtk::ALIGN_FILL);
        root->set_valign(host::greedOf(tree.root).height ? Gtk::ALIGN_FILL : Gtk::ALIGN_CENTER);
        root->set_vexpand(true);
        content->add(*root);
    }

    // The family's size, whatever the content would like.
    const host::TileSize size = host::tileSize(family);
    auto* tile = Gtk::make_managed<Slot>(SlotSizing::fixed(size.width, size.height));
    tile->add(*card);
    Gtk::Widget* top = tile;
    const std::string spokenName(accessibleName);
    if (tree.widgetURL) top = linkButton(*tile, *tree.widgetURL, shared, spokenName, "qb-widget-link");
    if (const auto accessible = top->get_accessible()) accessible->set_name(spokenName);
    top->show_all();
    return top;
}

}  // namespace qb::desktop
