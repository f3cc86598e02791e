#include "host/desktop/render/node_widgets.hpp"

#include <atkmm/object.h>
#include <gdkmm/cursor.h>
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/label.h>
#include <gtkmm/separator.h>

#include <cmath>

#include "host/desktop/render/leaf_widgets.hpp"
#include "host/desktop/render/slot.hpp"
#include "host/desktop/render/widget_styles.hpp"
#include "host/render/view_greed.hpp"
#include "platform/image.hpp"
#include "platform/terminal_text.hpp"

namespace qb::desktop {
namespace {

namespace resolved = host::resolved;
using resolved::Axis;
using resolved::Node;

int pixels(double points) {
    return static_cast<int>(std::lround(points));
}

void addClass(Gtk::Widget& widget, const std::string& name) {
    widget.get_style_context()->add_class(name);
}

std::string_view foregroundName(const ui::Foreground& foreground) {
    const auto* level = std::get_if<ui::Level>(&foreground);
    return level ? ui::levelName(*level) : ui::colorName(std::get<ui::Color>(foreground));
}

// The classes of a text or symbol: its font role, weight, foreground and accent.
void addTextClasses(Gtk::Widget& widget, const resolved::Style& style) {
    addClass(widget, "f-" + std::string(ui::fontName(style.font)));
    if (style.fontWeight)
        addClass(widget, style.fontWeight == ui::FontWeight::semibold ? "w-semibold" : "w-regular");
    addClass(widget, "c-" + std::string(foregroundName(style.foreground)));
    if (style.accented) addClass(widget, "qb-accent");
}

Gtk::Align crossAlignment(resolved::CrossAlignment alignment, Axis stackAxis) {
    switch (alignment) {
        case resolved::CrossAlignment::start:
            return Gtk::ALIGN_START;
        case resolved::CrossAlignment::end:
            return Gtk::ALIGN_END;
        case resolved::CrossAlignment::firstTextBaseline:
            return stackAxis == Axis::horizontal ? Gtk::ALIGN_BASELINE : Gtk::ALIGN_START;
        case resolved::CrossAlignment::center:
            break;
    }
    return Gtk::ALIGN_CENTER;
}

// The first of the symbol's icon names that the current icon theme has.
std::optional<std::string> themeIconName(const ui::SymbolInfo& symbol) {
    const auto theme = Gtk::IconTheme::get_default();
    for (std::string_view name : symbol.iconNames)
        if (theme && theme->has_icon(std::string(name))) return std::string(name);
    return std::nullopt;
}

// The node's texts as a person reads them, joined with ", ": a row's name for assistive technologies.
void collectTexts(const Node& node, std::string& out) {
    if (const auto* text = node.as<resolved::Text>()) {
        const std::string shown = inertText(text->string);
        if (!shown.empty()) out += (out.empty() ? "" : ", ") + shown;
    }
    for (const Node& child : node.children()) collectTexts(child, out);
}

std::string spokenText(const Node& node) {
    std::string out;
    collectTexts(node, out);
    return out;
}

class Builder {
  public:
    explicit Builder(std::shared_ptr<const OpenLink> open) : open_(std::move(open)) {}

    // The node's widget with its frame, capsule and padding; `axis` is the direction of the stack it
    // stands in.
    Gtk::Widget* build(const Node& node, Axis axis) {
        Gtk::Widget* content =
            std::visit([&](const auto& kind) { return make(node, kind, axis); }, node.content);
        if (!content) return nullptr;
        Gtk::Widget* outer = content;
        const ui::Frame& frame = node.placement.frame;
        if (frame.width || frame.height) {
            auto* slot = Gtk::make_managed<Slot>(
                SlotSizing::fixed(frame.width ? std::optional(pixels(*frame.width)) : std::nullopt,
                                  frame.height ? std::optional(pixels(*frame.height)) : std::nullopt));
            // A circle fills its frame; anything else is centred in it.
            const Gtk::Align align = node.as<resolved::Circle>() ? Gtk::ALIGN_FILL : Gtk::ALIGN_CENTER;
            content->set_halign(align);
            content->set_valign(align);
            slot->add(*content);
            outer = slot;
        }
        const ui::EdgeInsets& insets = node.placement.padding;
        Gtk::Widget* padded = outer;
        if (const auto& background = node.placement.background) {
            // Padding widens a capsule rather than standing outside it.
            auto* capsule = Gtk::make_managed<Gtk::Box>();
            addClass(*capsule, "qb-capsule");
            addClass(*capsule, "b-" + std::string(ui::colorName(*background)));
            if (node.style.accented) addClass(*capsule, "qb-accent");
            capsule->add(*outer);
            outer = capsule;
        }
        padded->set_margin_top(pixels(insets.top));
        padded->set_margin_bottom(pixels(insets.bottom));
        padded->set_margin_start(pixels(insets.leading));
        padded->set_margin_end(pixels(insets.trailing));
        return outer;
    }

  private:
    Gtk::Widget* make(const Node&, const resolved::Empty&, Axis) { return nullptr; }

    Gtk::Widget* make(const Node&, const resolved::Stack& stack, Axis) {
        auto* box = Gtk::make_managed<Gtk::Box>(
            stack.axis == Axis::vertical ? Gtk::ORIENTATION_VERTICAL : Gtk::ORIENTATION_HORIZONTAL,
            pixels(stack.spacing));
        addClass(*box, stack.axis == Axis::vertical ? "qb-v" : "qb-h");
        for (const Node& child : stack.children)
            if (Gtk::Widget* widget = build(child, stack.axis))
                box->add(*placed(*widget, child, stack.axis, crossAlignment(stack.alignment, stack.axis)));
        return box;
    }

    Gtk::Widget* make(const Node&, const resolved::Spacer& spacer, Axis axis) {
        // At least its minimum length; the stack gives it a share of what is left (see placed()).
        const int length = pixels(spacer.minLength);
        return Gtk::make_managed<Slot>(axis == Axis::vertical ? SlotSizing::fixed(std::nullopt, length)
                                                              : SlotSizing::fixed(length, std::nullopt));
    }

    Gtk::Widget* make(const Node&, const resolved::Divider& divider, Axis) {
        auto* line = Gtk::make_managed<Gtk::Separator>(
            divider.axis == Axis::vertical ? Gtk::ORIENTATION_VERTICAL : Gtk::ORIENTATION_HORIZONTAL);
        addClass(*line, "qb-divider");
        return line;
    }

    Gtk::Widget* make(const Node& node, const resolved::Text& text, Axis axis) {
        const resolved::Style& style = node.style;
        auto* label = Gtk::make_managed<Gtk::Label>();
        addClass(*label, "qb-t");
        addTextClasses(*label, style);
        const bool oneLine = style.lineLimit && *style.lineLimit <= 1;
        std::string shown = inertText(text.string, !oneLine);
        if (style.lineLimit && !oneLine) {
            // Pango limits the lines of each paragraph; a line separator breaks the line without
            // starting a paragraph, so that the limit holds for the whole text.
            for (auto at = shown.find('\n'); at != std::string::npos; at = shown.find('\n', at))
                shown.replace(at, 1, "\u2028");
        }
        // Plain text, never markup: a title that reads "<b>" shows "<b>".
        label->set_text(shown);
        const double xalign = style.textAlignment == ui::TextAlignment::center     ? 0.5
                              : style.textAlignment == ui::TextAlignment::trailing ? 1.0
                                                                                   : 0.0;
        label->set_xalign(static_cast<float>(xalign));
        label->set_justify(xalign == 0.5   ? Gtk::JUSTIFY_CENTER
                           : xalign == 1.0 ? Gtk::JUSTIFY_RIGHT
                                           : Gtk::JUSTIFY_LEFT);
        if (oneLine) {
            label->set_ellipsize(Pango::ELLIPSIZE_END);
            return label;
        }
        label->set_line_wrap(true);
        label->set_line_wrap_mode(Pango::WRAP_WORD_CHAR);
        if (style.lineLimit) {
            label->set_lines(*style.lineLimit);
            label->set_ellipsize(Pango::ELLIPSIZE_END);
            return label;
        }
        if (axis == Axis::horizontal) return label;
        // A text without a line limit in a column takes the height that is left and is cut off there.
        label->set_valign(Gtk::ALIGN_START);
        auto* slot = Gtk::make_managed<Slot>(SlotSizing::clipping());
        slot->add(*label);
        return slot;
    }

    Gtk::Widget* make(const Node& node, const resolved::Symbol& symbol, Axis) {
        const int size = pixels(fontPixels(node.style.font) * 1.05);
        Gtk::Widget* widget = nullptr;
        if (const auto iconName = themeIconName(*symbol.info)) {
            widget = Gtk::make_managed<SymbolIcon>(*iconName, size);
        } else {
            auto* glyph = Gtk::make_managed<Gtk::Label>();
            glyph->set_text(inertText(symbol.info->glyph));
            addClass(*glyph, "qb-glyph");
            widget = glyph;
        }
        addClass(*widget, "qb-sym");
        addTextClasses(*widget, node.style);
        return widget;
    }

    Gtk::Widget* make(const Node& node, const resolved::Bitmap& bitmap, Axis) {
        if (!bitmap.image) return nullptr;
        const ui::Frame& frame = node.placement.frame;
        auto* icon = Gtk::make_managed<BitmapIcon>(
            bitmap.image, BitmapFit{pixels(frame.width.value_or(bitmap.image->width())),
                                    pixels(frame.height.value_or(bitmap.image->height())), bitmap.resizable,
                                    bitmap.aspectRatioFit, bitmap.interpolationHigh});
        addClass(*icon, "qb-img");
        return icon;
    }

    Gtk::Widget* make(const Node& node, const resolved::Circle& circle, Axis) {
        auto* dot = Gtk::make_managed<CircleDot>();
        addClass(*dot, "qb-circle");
        addClass(*dot, "b-" + std::string(ui::colorName(circle.fill)));
        if (node.style.accented && circle.fill != ui::Color::clear) addClass(*dot, "qb-accent");
        return dot;
    }

    Gtk::Widget* make(const Node& node, const resolved::Link& link, Axis) {
        Gtk::Widget* label = build(*link.label, Axis::vertical);
        if (!label) return nullptr;
        placed(*label, *link.label, Axis::vertical, Gtk::ALIGN_START);
        if (link.destination)
            return linkButton(*label, *link.destination, open_, spokenText(node), "qb-link");
        // A link the policy refused is drawn the same, and does nothing.
        auto* inert = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_VERTICAL);
        addClass(*inert, "qb-link");
        addClass(*inert, "qb-inert");
        inert->add(*label);
        return inert;
    }

    // Places a child in a stack along `axis`: a greedy child takes the room the stack has across and
    // shares what is left along it; others sit at the stack's alignment with their own size.
    Gtk::Widget* placed(Gtk::Widget& widget, const Node& node, Axis axis, Gtk::Align alignment) {
        host::Greed greed = host::greedOf(node);
        if (node.as<resolved::Spacer>()) (axis == Axis::vertical ? greed.height : greed.width) = true;
        Gtk::Widget* outer = &widget;
        if (axis == Axis::horizontal && greed.width && !node.as<resolved::Spacer>()) {
            // Greedy children of a row share its leftover width equally, whatever their content.
            auto* slot = Gtk::make_managed<Slot>(SlotSizing::sharingWidth());
            slot->add(widget);
            widget.set_hexpand(true);
            outer = slot;
        }
        outer->set_hexpand(greed.width);
        outer->set_vexpand(greed.height);
        if (node.as<resolved::Spacer>()) return outer;
        if (axis == Axis::vertical)
            outer->set_halign(greed.width ? Gtk::ALIGN_FILL : alignment);
        else
            outer->set_valign(greed.height ? Gtk::ALIGN_FILL : alignment);
        return outer;
    }

    std::shared_ptr<const OpenLink> open_;
};

}  // namespace

Gtk::Widget* buildNodeWidgets(const Node& node, const std::shared_ptr<const OpenLink>& open) {
    return Builder(open).build(node, Axis::vertical);
}

Gtk::Widget* linkButton(Gtk::Widget& content, const Url& destination,
                        const std::shared_ptr<const OpenLink>& open, const std::string& accessibleName,
                        const char* cssClass) {
    auto* button = Gtk::make_managed<Gtk::Button>();
    button->set_relief(Gtk::RELIEF_NONE);
    // A click opens the link without taking the keyboard focus from wherever it is.
    button->set_focus_on_click(false);
    addClass(*button, cssClass);
    button->add(content);
    button->signal_clicked().connect([open, destination] {
        if (*open) (*open)(destination);
    });
    // The button's input window is its own and shows the hand while the pointer is over it.
    button->signal_enter_notify_event().connect([](GdkEventCrossing* event) {
        if (event && event->window) {
            const auto window = Glib::wrap(event->window, true);
            window->set_cursor(Gdk::Cursor::create(window->get_display(), "pointer"));
        }
        return false;
    });
    const auto accessible = button->get_accessible();
    if (accessible) {
        accessible->set_name(accessibleName);
        accessible->set_role(Atk::ROLE_LINK);
    }
    return button;
}

}  // namespace qb::desktop
