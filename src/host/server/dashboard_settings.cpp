#include "host/server/dashboard_settings.hpp"

#include <fmt/format.h>

#include "host/desktop_config/desktop_config.hpp"
#include "host/widget_catalog.hpp"

namespace qb::host {
namespace {

constexpr std::string_view groupPrefix = "dashboard ";
constexpr std::string_view parameterPrefix = "set.";

// The instance a group's widget describes: its parameters were checked when the group was read.
WidgetInstance instanceOf(const AnyWidget& widget, const DesktopWidget& described) {
    std::vector<Setting> settings;
    for (const auto& [name, value] : described.parameters) settings.push_back({name, value});
    return std::get<std::vector<WidgetInstance>>(configuredInstances({&widget}, settings)).front();
}

}  // namespace

std::string dashboardGroupName(const AnyWidget& widget, WidgetFamily family) {
    return fmt::format("{}{} {}", groupPrefix, shortName(widget.kind()), shortFamilyName(family));
}

bool isDashboardGroup(std::string_view group) {
    return group.starts_with(groupPrefix);
}

DashboardSettings readDashboardSettings(const KeyFileText& file, const std::vector<AnyWidget>& widgets) {
    DashboardSettings settings;
    DesktopConfig read;
    for (const auto& group : file.groups()) {
        if (!isDashboardGroup(group.name)) continue;
        const auto described = readWidgetGroup(file, group, widgets, read);
        if (!described) continue;
        const auto* widget = findWidget(widgets, described->kind);
        settings.instances.insert_or_assign({widget->kind(), described->family},
                                            instanceOf(*widget, *described));
    }
    for (const auto& problem : read.problems)
        settings.messages.push_back(fmt::format("line {}: {}", problem.line, problem.message));
    for (auto& notice : read.notices) settings.messages.push_back(std::move(notice));
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
        if (text.group(group)) return text.setEntry(group, key, escapedKeyFileValue(value));
        text.appendGroup(group, {{"kind", shortName(widget.kind())},
                                 {"family", std::string(shortFamilyName(family))},
                                 {key, escapedKeyFileValue(value)}});
    });
}

}  // namespace qb::host
