#include "host/server/dashboard_settings.hpp"

#include <glib.h>

#include <memory>

#include <fmt/format.h>

#include "host/desktop_config/desktop_config.hpp"
#include "host/widget_catalog.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {
namespace {

constexpr std::string_view groupPrefix = "dashboard ";
constexpr std::string_view parameterPrefix = "set.";

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

// Reads one tile's group into `settings`; what is wrong goes to its messages, and only that is left out.
class GroupReader {
  public:
    GroupReader(const KeyFileText& file, const KeyFileGroup& group, const std::vector<AnyWidget>& widgets,
                DashboardSettings& settings)
        : file_(file), group_(group), widgets_(widgets), settings_(settings) {}

    void read() {
        const AnyWidget* widget = nullptr;
        std::optional<WidgetFamily> family;
        if (!readName(widget, family) || !load()) return;
        std::vector<Setting> accepted;
        for (std::size_t i = group_.header + 1; i < group_.end; ++i) {
            const auto& line = file_.lines()[i];
            if (line.kind != KeyFileLine::Kind::entry) continue;
            if (!line.name.starts_with(parameterPrefix)) {
                ignore(i, fmt::format("unknown key {}; a dashboard group holds only set.PARAMETER lines",
                                      quotedForMessage(line.name)));
                continue;
            }
            if (file_.entryLine(group_, line.name) != i) continue;  // a later line of the key counts
            auto value = valueOf(line.name);
            if (!value) {
                ignore(i, "the value is not UTF-8 text");
                continue;
            }
            Setting setting{line.name.substr(parameterPrefix.size()), std::move(*value)};
            auto checked = configuredInstances({widget}, {setting});
            if (auto* error = std::get_if<UsageError>(&checked)) {
                ignore(i, error->message);
                continue;
            }
            accepted.push_back(std::move(setting));
        }
        auto instances = configuredInstances({widget}, accepted);
        settings_.instances.insert_or_assign({widget->kind(), *family},
                                             std::move(std::get<std::vector<WidgetInstance>>(instances).front()));
        for (auto& notice : unsuggestedChoiceNotices({widget}, accepted))
            settings_.messages.push_back(fmt::format("[{}]: {}", escapedText(group_.name), notice));
    }

  private:
    void ignore(std::size_t line, const std::string& message, std::string_view what = "the line") {
        settings_.messages.push_back(fmt::format("line {}: [{}]: {}; {} is ignored", line + 1,
                                                 escapedText(group_.name), message, what));
    }

    // "dashboard KIND FAMILY", each checked as the command line checks it.
    bool readName(const AnyWidget*& widget, std::optional<WidgetFamily>& family) {
        const std::string_view rest = std::string_view(group_.name).substr(groupPrefix.size());
        const auto blank = rest.find(' ');
        const auto kind = rest.substr(0, blank);
        const auto familyName = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        if (group_.repeated) {
            ignore(group_.header, "a second group of this name", "the group");
            return false;
        }
        widget = findWidget(widgets_, kind);
        if (!widget) {
            ignore(group_.header, unknownWidget(widgets_, kind).message, "the group");
            return false;
        }
        family = familyNamed(familyName);
        if (!family) {
            ignore(group_.header,
                   fmt::format("unknown family {}; name the group [dashboard {} FAMILY] with small, medium, "
                               "large or extraLarge",
                               quotedForMessage(familyName), shortName(widget->kind())),
                   "the group");
            return false;
        }
        if (auto checked = familiesFor(*widget, {*family}); auto* error = std::get_if<UsageError>(&checked)) {
            ignore(group_.header, error->message, "the group");
            return false;
        }
        return true;
    }

    bool load() {
        if (group_.invalidLine) {
            ignore(*group_.invalidLine,
                   fmt::format("{} is not a key=value entry or a comment",
                               quotedForMessage(file_.lineText(*group_.invalidLine))),
                   "the group");
            return false;
        }
        const auto text = file_.groupText(group_);
        GError* error = nullptr;
        if (!g_key_file_load_from_data(keys_.get(), text.data(), text.size(), G_KEY_FILE_NONE, &error)) {
            ignore(group_.header, error->message, "the group");
            g_error_free(error);
            return false;
        }
        return true;
    }

    std::optional<std::string> valueOf(const std::string& key) {
        gchar* text = g_key_file_get_string(keys_.get(), group_.name.c_str(), key.c_str(), nullptr);
        if (!text) return std::nullopt;
        std::string value(text);
        g_free(text);
        return value;
    }

    const KeyFileText& file_;
    const KeyFileGroup& group_;
    const std::vector<AnyWidget>& widgets_;
    DashboardSettings& settings_;
    KeyFile keys_{g_key_file_new(), g_key_file_free};
};

}  // namespace

std::string dashboardGroupName(const AnyWidget& widget, WidgetFamily family) {
    return fmt::format("{}{} {}", groupPrefix, shortName(widget.kind()), shortFamilyName(family));
}

bool isDashboardGroup(std::string_view group) {
    return group.starts_with(groupPrefix);
}

DashboardSettings readDashboardSettings(const KeyFileText& file, const std::vector<AnyWidget>& widgets) {
    DashboardSettings settings;
    for (const auto& group : file.groups())
        if (isDashboardGroup(group.name)) GroupReader(file, group, widgets, settings).read();
    return settings;
}

DashboardSettingsFile::DashboardSettingsFile(std::filesystem::path path, std::vector<AnyWidget> widgets)
    : widgets_(widgets), file_(std::move(path), std::move(widgets)) {}

DashboardSettings DashboardSettingsFile::read() {
    std::scoped_lock lock(mutex_);
    file_.reread();
    auto settings = readDashboardSettings(file_.text(), widgets_);
    for (auto& message : settings.messages) message = fmt::format("{} {}", file_.path().string(), message);
    if (file_.cannotSave())
        settings.messages.push_back(*file_.cannotSave() + "; the dashboard's choices are not kept");
    return settings;
}

std::optional<std::string> DashboardSettingsFile::keep(const AnyWidget& widget, WidgetFamily family,
                                                       std::string_view parameter, std::string_view value) {
    std::scoped_lock lock(mutex_);
    const auto group = dashboardGroupName(widget, family);
    const auto key = std::string(parameterPrefix) + std::string(parameter);
    return file_.edit([&](KeyFileText& text) {
        if (text.group(group))
            text.setEntry(group, key, escapedKeyFileValue(value));
        else
            text.appendGroup(group, {{key, escapedKeyFileValue(value)}});
    });
}

}  // namespace qb::host
