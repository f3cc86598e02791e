#include "host/desktop_config/desktop_config.hpp"

#include <glib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <utility>

#include <fmt/format.h>

#include "host/cli.hpp"
#include "host/widget_catalog.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

constexpr std::array anchors{
    std::pair{Anchor::topLeft, std::string_view("top-left")},
    std::pair{Anchor::top, std::string_view("top")},
    std::pair{Anchor::topRight, std::string_view("top-right")},
    std::pair{Anchor::left, std::string_view("left")},
    std::pair{Anchor::center, std::string_view("center")},
    std::pair{Anchor::right, std::string_view("right")},
    std::pair{Anchor::bottomLeft, std::string_view("bottom-left")},
    std::pair{Anchor::bottom, std::string_view("bottom")},
    std::pair{Anchor::bottomRight, std::string_view("bottom-right")},
};
constexpr std::string_view parameterPrefix = "set.";
constexpr std::array otherKeys{
    std::string_view("kind"),         std::string_view("family"),        std::string_view("rendering-mode"),
    std::string_view("output"),       std::string_view("anchor"),        std::string_view("margin-top"),
    std::string_view("margin-right"), std::string_view("margin-bottom"), std::string_view("margin-left")};
constexpr int maxMargin = 10000;

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

// Reads one widget's group. The first problem leaves the widget out; an unknown key is only reported.
class GroupReader {
  public:
    GroupReader(const KeyFileText& file, const KeyFileGroup& group, const std::vector<AnyWidget>& widgets,
                DesktopConfig& config)
        : file_(file), group_(group), widgets_(widgets), config_(config) {}

    std::optional<DesktopWidget> read() {
        if (!load()) return std::nullopt;
        reportUnknownKeys();
        DesktopWidget widget;
        widget.group = group_.name;
        const AnyWidget* type = readKind();
        if (!type) return std::nullopt;
        widget.kind = type->kind();
        if (!readFamily(*type, widget.family) || !readParameters(*type, widget.parameters) ||
            !readPlacement(widget))
            return std::nullopt;
        return widget;
    }

  private:
    bool fail(std::size_t line, std::string message) {
        config_.problems.push_back(
            {line + 1, fmt::format("[{}]: {}; the widget is left out", escapedText(group_.name), message)});
        return false;
    }
    std::size_t lineOf(std::string_view key) const {
        return file_.entryLine(group_, key).value_or(group_.header);
    }

    bool load() {
        if (group_.repeated)
            return fail(group_.header, "a second group of this name; give each widget a name of its own");
        if (group_.invalidLine)
            return fail(*group_.invalidLine,
                        fmt::format("{} is not a [group], a key=value entry or a comment",
                                    quotedForMessage(file_.lineText(*group_.invalidLine))));
        const auto text = file_.groupText(group_);
        GError* error = nullptr;
        if (!g_key_file_load_from_data(keys_.get(), text.data(), text.size(), G_KEY_FILE_NONE, &error)) {
            std::string message = error->message;
            g_error_free(error);
            return fail(group_.header, message);
        }
        return true;
    }

    // The value of a key, unescaped; nothing when the key is absent. A value that is not UTF-8 fails.
    std::optional<std::string> value(std::string_view key, bool& ok) {
        const std::string name(key);
        if (!g_key_file_has_key(keys_.get(), group_.name.c_str(), name.c_str(), nullptr)) return std::nullopt;
        GError* error = nullptr;
        gchar* text = g_key_file_get_string(keys_.get(), group_.name.c_str(), name.c_str(), &error);
        if (!text) {
            ok = fail(lineOf(key), error ? error->message : "unreadable value");
            if (error) g_error_free(error);
            return std::nullopt;
        }
        std::string result(text);
        g_free(text);
        return result;
    }

    void reportUnknownKeys() {
        for (std::size_t i = group_.header + 1; i < group_.end; ++i) {
            const auto& line = file_.lines()[i];
            if (line.kind != KeyFileLine::Kind::entry || line.name.starts_with(parameterPrefix)) continue;
            if (std::find(otherKeys.begin(), otherKeys.end(), line.name) != otherKeys.end()) continue;
            config_.problems.push_back(
                {i + 1,
                 fmt::format("[{}]: unknown key {} is ignored; the keys are kind, family, set.PARAMETER, "
                             "rendering-mode, output, anchor and margin-top, -right, -bottom, -left",
                             escapedText(group_.name), quotedForMessage(line.name))});
        }
    }

    const AnyWidget* readKind() {
        bool ok = true;
        auto kind = value("kind", ok);
        if (!ok) return nullptr;
        if (!kind) {
            fail(group_.header, "no kind; add a line such as kind=readinglist");
            return nullptr;
        }
        const AnyWidget* widget = findWidget(widgets_, *kind);
        if (!widget) fail(lineOf("kind"), unknownWidget(widgets_, *kind).message);
        return widget;
    }

    bool readFamily(const AnyWidget& widget, WidgetFamily& family) {
        bool ok = true;
        auto text = value("family", ok);
        family = defaultFamily(widget);
        if (!ok || !text) return ok;
        auto named = familyNamed(*text);
        if (!named)
            return fail(lineOf("family"), localizedMessage("unknown family {}; use {}",
                                                           quotedForMessage(*text), familyChoices(localized(" or "))));
        if (auto checked = familiesFor(widget, {*named}); auto* error = std::get_if<UsageError>(&checked))
            return fail(lineOf("family"), error->message);
        family = *named;
        return true;
    }

    // Each set.NAME line is checked alone, so that a wrong one is named by its line.
    bool readParameters(const AnyWidget& widget, std::map<std::string, std::string>& values) {
        std::vector<Setting> settings;
        for (std::size_t i = group_.header + 1; i < group_.end; ++i) {
            const auto& line = file_.lines()[i];
            if (line.kind != KeyFileLine::Kind::entry || !line.name.starts_with(parameterPrefix)) continue;
            if (file_.entryLine(group_, line.name) != i) continue;  // a later line of the key counts
            bool ok = true;
            auto text = value(line.name, ok);
            if (!ok) return false;
            Setting setting{line.name.substr(parameterPrefix.size()), text.value_or("")};
            auto checked = configuredInstances({&widget}, {setting});
            if (auto* error = std::get_if<UsageError>(&checked)) return fail(i, error->message);
            settings.push_back(std::move(setting));
        }
        auto instances = configuredInstances({&widget}, settings);
        values = std::get<std::vector<WidgetInstance>>(instances).front().values();
        for (auto& notice : unsuggestedChoiceNotices({&widget}, settings))
            config_.notices.push_back(fmt::format("[{}]: {}", escapedText(group_.name), notice));
        return true;
    }

    bool readMargin(std::string_view key, std::optional<int>& margin) {
        bool ok = true;
        auto text = value(key, ok);
        if (!ok || !text) return ok;
        int pixels = -1;
        auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), pixels);
        if (error != std::errc() || end != text->data() + text->size() || pixels < 0 || pixels > maxMargin)
            return fail(lineOf(key), fmt::format("{} {} is not a number of pixels from 0 to {}", key,
                                                 quotedForMessage(*text), maxMargin));
        margin = pixels;
        return true;
    }

    bool readPlacement(DesktopWidget& widget) {
        bool ok = true;
        auto mode = value("rendering-mode", ok);
        if (!ok) return false;
        if (mode) {
            auto named = renderingModeNamed(*mode);
            if (!named)
                return fail(lineOf("rendering-mode"), fmt::format("unknown rendering mode {}; use fullColor, "
                                                                  "accented or vibrant",
                                                                  quotedForMessage(*mode)));
            widget.renderingMode = *named;
        }
        auto output = value("output", ok);
        if (!ok) return false;
        if (output && !output->empty()) widget.output = *output;
        auto anchor = value("anchor", ok);
        if (!ok) return false;
        if (anchor) {
            auto named = anchorNamed(*anchor);
            if (!named)
                return fail(lineOf("anchor"),
                            fmt::format("unknown anchor {}; use top-left, top, top-right, left, "
                                        "center, right, bottom-left, bottom or bottom-right",
                                        quotedForMessage(*anchor)));
            widget.anchor = *named;
        }
        return readMargin("margin-top", widget.margins.top) &&
               readMargin("margin-right", widget.margins.right) &&
               readMargin("margin-bottom", widget.margins.bottom) &&
               readMargin("margin-left", widget.margins.left);
    }

    const KeyFileText& file_;
    const KeyFileGroup& group_;
    const std::vector<AnyWidget>& widgets_;
    DesktopConfig& config_;
    KeyFile keys_{g_key_file_new(), g_key_file_free};
};

}  // namespace

std::string_view name(Anchor anchor) {
    for (const auto& [a, n] : anchors)
        if (a == anchor) return n;
    return {};
}

std::optional<Anchor> anchorNamed(std::string_view text) {
    for (const auto& [a, n] : anchors)
        if (n == text) return a;
    return std::nullopt;
}

std::string_view shortFamilyName(WidgetFamily family) {
    return shortName(family);
}

WidgetFamily defaultFamily(const AnyWidget& widget) {
    const auto& families = widget.families();
    if (families.empty() ||
        std::find(families.begin(), families.end(), WidgetFamily::systemMedium) != families.end())
        return WidgetFamily::systemMedium;
    return families.front();
}

bool isWidgetGroup(std::string_view group) {
    return group == "widget" || group.starts_with("widget ");
}

DesktopConfig readDesktopConfig(const KeyFileText& file, const std::vector<AnyWidget>& widgets) {
    DesktopConfig config;
    for (auto line : file.strayLines())
        config.problems.push_back(
            {line + 1, fmt::format("{} stands before the first [widget NAME] group and is ignored",
                                   quotedForMessage(file.lineText(line)))});
    for (const auto& group : file.groups()) {
        if (!isWidgetGroup(group.name)) continue;
        if (auto widget = readWidgetGroup(file, group, widgets, config))
            config.widgets.push_back(std::move(*widget));
    }
    return config;
}

std::optional<DesktopWidget> readWidgetGroup(const KeyFileText& file, const KeyFileGroup& group,
                                             const std::vector<AnyWidget>& widgets, DesktopConfig& config) {
    return GroupReader(file, group, widgets, config).read();
}

KeyFileText defaultDesktopConfig(const std::vector<AnyWidget>& widgets) {
    std::string text =
        "# The widgets that `quillbrook-widgets desktop` places on the desktop, one group per widget.\n"
        "# Keys: kind, family (small, medium, large, extra-large), set.PARAMETER (see\n"
        "# `quillbrook-widgets list`), rendering-mode (fullColor, accented, vibrant), output (a monitor's\n"
        "# name), anchor (top-left, top, top-right, left, center, right, bottom-left, bottom,\n"
        "# bottom-right) and margin-top, margin-right, margin-bottom, margin-left in pixels. Widgets at the\n"
        "# same anchor stack in a column unless a margin along the column places them.\n";
    KeyFileText file(std::move(text));
    for (const auto& widget : widgets) {
        std::vector<std::pair<std::string, std::string>> entries{
            {"kind", shortName(widget.kind())},
            {"family", std::string(shortFamilyName(defaultFamily(widget)))},
            {"anchor", "top-right"}};
        for (const auto& parameter : widget.parameters())
            entries.emplace_back(std::string(parameterPrefix) + parameter.name,
                                 escapedKeyFileValue(parameter.defaultValue));
        file.appendGroup("widget " + shortName(widget.kind()), entries);
    }
    return file;
}

}  // namespace qb::host
