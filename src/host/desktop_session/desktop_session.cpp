#include "host/desktop_session/desktop_session.hpp"

#include <glib.h>

#include <algorithm>

#include <fmt/format.h>

#include "host/render/resolve.hpp"
#include "host/widget_catalog.hpp"
#include "platform/localization.hpp"
#include "platform/terminal_text.hpp"

namespace qb::host {

struct DesktopSession::Shown {
    DesktopWidget config;
    const AnyWidget* type = nullptr;
    engine::InstanceId id = 0;
    std::unique_ptr<WidgetSurface> surface;
    PixelSize laidOut;  // the size the last layout gave it room for
    std::size_t draws = 0;
    bool visible = true;
};

namespace {

WidgetInstance instanceOf(const AnyWidget& type, const DesktopWidget& widget) {
    std::vector<Setting> settings;
    for (const auto& [name, value] : widget.parameters) settings.push_back({name, value});
    auto instances = configuredInstances({&type}, settings);
    if (auto* made = std::get_if<std::vector<WidgetInstance>>(&instances)) return std::move(made->front());
    return type.makeInstance();  // the values were checked when the file was read
}

bool sameInstance(const DesktopWidget& a, const DesktopWidget& b) {
    return a.parameters == b.parameters && a.family == b.family;
}

}  // namespace

DesktopSession::DesktopSession(GMainContext* context, std::vector<AnyWidget> widgets, Desktop& desktop,
                               DesktopSessionOptions options)
    : widgets_(std::move(widgets)),
      desktop_(desktop),
      options_(std::move(options)),
      log_(logSubsystem, "DesktopHost"),
      file_(std::filesystem::absolute(options_.config), widgets_),
      engine_(context, options_.engine),
      settle_(context, [this] { reloadConfig(); }),
      watch_(context, [this](const std::filesystem::path&, const std::optional<std::string>& name) {
          if (!name || *name == file_.path().filename()) settle_.armIn(options_.configQuiet);
      }) {
    watch_.setFolders({file_.path().parent_path()});
    file_.reread();
    apply(readDesktopConfig(file_.text(), widgets_));
}

DesktopSession::~DesktopSession() {
    for (const auto& [group, shown] : shown_) engine_.remove(shown->id);
}

void DesktopSession::reloadConfig() {
    if (file_.reread()) apply(readDesktopConfig(file_.text(), widgets_));
}

void DesktopSession::report(const DesktopConfig& config) {
    std::set<std::string> messages;
    const std::string path = file_.path().string();
    const auto note = [&](std::string message, bool error) {
        if (!reportedFile_.contains(message)) error ? log_.error(message) : log_.info(message);
        messages.insert(std::move(message));
    };
    if (!file_.exists())
        note(fmt::format(
                 "{} does not exist yet: the default widgets stand in, and a change in a widget's menu "
                 "writes the file",
                 path),
             false);
    if (file_.cannotSave()) note(*file_.cannotSave(), true);
    for (const auto& problem : config.problems)
        note(fmt::format("{} line {}: {}", path, problem.line, problem.message), true);
    for (const auto& notice : config.notices) note(fmt::format("{}: {}", path, notice), false);
    reportedFile_ = std::move(messages);
}

void DesktopSession::apply(const DesktopConfig& config) {
    report(config);
    std::set<std::string> wanted;
    for (const auto& widget : config.widgets) wanted.insert(widget.group);
    for (auto it = shown_.begin(); it != shown_.end();) {
        if (wanted.contains(it->first)) {
            ++it;
            continue;
        }
        engine_.remove(it->second->id);
        it = shown_.erase(it);
    }
    order_.clear();
    for (const auto& widget : config.widgets) {
        auto found = shown_.find(widget.group);
        if (found == shown_.end())
            add(widget);
        else
            update(*found->second, widget);
        if (shown_.contains(widget.group)) order_.push_back(widget.group);
    }
    layout();
}

void DesktopSession::add(const DesktopWidget& widget) {
    const AnyWidget* type = findWidget(widgets_, widget.kind);
    if (!type) return;
    auto shown = std::make_unique<Shown>();
    shown->config = widget;
    shown->type = type;
    shown->surface = desktop_.makeSurface(widget.group, widget.family, *this);
    engine::InstanceSetup setup{*type, instanceOf(*type, widget), widget.family, true};
    const std::string group = widget.group;
    shown->id = engine_.add(std::move(setup),
                            [this, group](const engine::EntryUpdate& update) { draw(group, update.entry); });
    shown_.emplace(group, std::move(shown));
}

// Only what changed is redone: new parameters or a new size ask the provider again (and the answer
// draws the widget); a new rendering mode draws the entry at hand; a new place only moves it.
void DesktopSession::update(Shown& shown, const DesktopWidget& widget) {
    if (shown.config == widget) return;
    if (widget.kind != shown.config.kind) {
        engine_.remove(shown.id);
        shown_.erase(widget.group);
        return add(widget);
    }
    const DesktopWidget before = std::exchange(shown.config, widget);
    if (!sameInstance(before, widget)) {
        engine_.reconfigure(shown.id, instanceOf(*shown.type, widget), widget.family);
    } else if (before.renderingMode != widget.renderingMode) {
        if (const ErasedEntry* entry = engine_.entry(shown.id)) draw(widget.group, *entry);
    }
}

void DesktopSession::draw(const std::string& group, const ErasedEntry& entry) {
    auto found = shown_.find(group);
    if (found == shown_.end()) return;
    Shown& shown = *found->second;
    const ui::Environment environment{shown.config.family, shown.config.renderingMode};
    shown.surface->draw(resolve(entry.view(environment), environment), localized(shown.type->displayName()));
    ++shown.draws;
    log_.debug(
        fmt::format("drew [{}] ({}, {})", escapedText(group), shown.type->kind(), name(shown.config.family)));
    if (shown.surface->size() != shown.laidOut) layout();
}

std::size_t DesktopSession::outputFor(const DesktopWidget& widget,
                                      const std::vector<DesktopOutput>& outputs) {
    auto primary = std::find_if(outputs.begin(), outputs.end(), [](const auto& o) { return o.primary; });
    const std::size_t fallback =
        primary == outputs.end() ? 0 : static_cast<std::size_t>(primary - outputs.begin());
    if (!widget.output) return fallback;
    for (std::size_t i = 0; i < outputs.size(); ++i)
        for (const auto& name : outputs[i].names)
            if (g_ascii_strcasecmp(name.c_str(), widget.output->c_str()) == 0) return i;
    std::vector<std::string> names;
    for (const auto& output : outputs)
        if (!output.names.empty()) names.push_back(quotedForMessage(output.names.front()));
    reportedOutputs_.insert(
        fmt::format("[{}]: no monitor called {} is connected (connected: {}); it stands on "
                    "the {} monitor until one is",
                    escapedText(widget.group), quotedForMessage(*widget.output), fmt::join(names, ", "),
                    primary == outputs.end() ? "first" : "primary"));
    return fallback;
}

void DesktopSession::layout() {
    const auto outputs = desktop_.outputs();
    const auto reported = std::exchange(reportedOutputs_, {});
    std::vector<std::vector<Shown*>> perOutput(outputs.size());
    for (const auto& group : order_) {
        Shown& shown = *shown_.at(group);
        const bool visible = !outputs.empty();
        if (visible != shown.visible) engine_.setVisible(shown.id, visible);
        shown.visible = visible;
        if (!visible)
            shown.surface->hide();
        else
            perOutput[outputFor(shown.config, outputs)].push_back(&shown);
    }
    if (outputs.empty()) reportedOutputs_.insert("no monitor is connected; the widgets wait for one");
    for (std::size_t o = 0; o < outputs.size(); ++o) {
        std::vector<StackItem> items;
        for (auto* shown : perOutput[o]) {
            shown->laidOut = shown->surface->size();
            items.push_back({shown->config.anchor, shown->config.margins, shown->laidOut});
        }
        const PixelRect& area = outputs[o].area;
        const PixelSize areaSize{area.width, area.height};
        const auto rects = stackLayout(items, areaSize);
        for (std::size_t i = 0; i < rects.size(); ++i) {
            const PixelRect& rect = rects[i];
            perOutput[o][i]->surface->place({o,
                                             {area.x + rect.x, area.y + rect.y, rect.width, rect.height},
                                             edgeAnchoring(items[i].anchor, rect, areaSize)});
        }
    }
    for (const auto& message : reportedOutputs_)
        if (!reported.contains(message)) log_.info(message);
}

void DesktopSession::outputsChanged() {
    layout();
}

void DesktopSession::openLink(const std::string& group, const Url& url) {
    auto found = shown_.find(group);
    if (found == shown_.end()) return;
    if (auto failure =
            options_.open ? options_.open(url) : std::optional<std::string>("no way to open links")) {
        log_.error(fmt::format("could not open {}: {}", quotedForMessage(url.string()), *failure));
        return;
    }
    // The document manager may change the data behind the link (a reading-list item read): ask again
    // shortly.
    log_.debug(
        fmt::format("opened {}; [{}] reloads shortly", quotedForMessage(url.string()), escapedText(group)));
    engine_.linkOpened(found->second->id);
}

WidgetMenu DesktopSession::menu(const std::string& group) {
    auto found = shown_.find(group);
    if (found == shown_.end()) return {};
    WidgetMenu menu = widgetMenu(found->second->config, widgets_);
    menu.remove.enabled = shown_.size() > 1;
    menu.cannotSave = file_.cannotSave();
    return menu;
}

std::vector<MenuChoice> DesktopSession::searchChoices(const std::string& group, const std::string& parameter,
                                                      const std::string& search) {
    auto found = shown_.find(group);
    if (found == shown_.end()) return {};
    return searchedChoices(found->second->config, *found->second->type, parameter, search);
}

std::optional<std::string> DesktopSession::change(const std::string& group, const WidgetChange& change) {
    auto found = shown_.find(group);
    if (found == shown_.end()) return "the widget is no longer on the desktop";
    const DesktopWidget widget = found->second->config;
    if (auto failure = file_.edit([&](KeyFileText& text) { applyChange(text, widget, change, widgets_); })) {
        log_.error(fmt::format("could not save the change to {}: {}", file_.path().string(), *failure));
        return failure;
    }
    apply(readDesktopConfig(file_.text(), widgets_));
    return std::nullopt;
}

std::vector<DesktopWidget> DesktopSession::widgets() const {
    std::vector<DesktopWidget> widgets;
    for (const auto& group : order_) widgets.push_back(shown_.at(group)->config);
    return widgets;
}

std::size_t DesktopSession::drawCount(const std::string& group) const {
    auto found = shown_.find(group);
    return found == shown_.end() ? 0 : found->second->draws;
}

}  // namespace qb::host
