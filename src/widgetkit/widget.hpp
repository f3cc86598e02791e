#pragma once

// A widget's configuration (kind, intent, provider, content, display name, description, families) and
// the type-erased widget through which the host lists, configures and asks every widget alike.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ui/view.hpp"
#include "widgetkit/data_sources.hpp"
#include "widgetkit/intent.hpp"
#include "widgetkit/timeline.hpp"

namespace qb {

// The configuration a widget definition's body() builds.
template <AppIntentTimelineProvider Provider>
requires WidgetConfigurationIntent<typename Provider::Intent>
struct AppIntentConfiguration {
    using Intent = typename Provider::Intent;
    using Entry = typename Provider::Entry;

    using Content = std::function<ui::View(const Entry&, const ui::Environment&)>;

    AppIntentConfiguration(std::string widgetKind, Provider timelineProvider, Content entryContent)
        : kind(std::move(widgetKind)),
          provider(std::move(timelineProvider)),
          content(std::move(entryContent)) {}

    std::string kind;
    Provider provider;
    // The entry view for an entry, drawn in an environment, with its container background.
    Content content;
    std::string displayName;  // a localization key
    std::string description;  // a localization key
    std::vector<WidgetFamily> families;
    // The intent's parameters; an entity parameter's query reads what this widget reads.
    std::vector<IntentParameter<Intent>> parameters = Intent::parameters();

    AppIntentConfiguration&& configurationDisplayName(std::string name) && {
        displayName = std::move(name);
        return std::move(*this);
    }
    AppIntentConfiguration&& descriptionText(std::string text) && {
        description = std::move(text);
        return std::move(*this);
    }
    AppIntentConfiguration&& supportedFamilies(std::vector<WidgetFamily> list) && {
        families = std::move(list);
        return std::move(*this);
    }
    AppIntentConfiguration&& intentParameters(std::vector<IntentParameter<Intent>> list) && {
        parameters = std::move(list);
        return std::move(*this);
    }
};

// A widget definition: a value with a `kind` and a `body()` that builds its configuration. A widget that
// reads files or the network says so with `DataSources sources() const`; one without reads nothing.
template <class W>
concept Widget = requires(const W& w) {
    { w.kind } -> std::convertible_to<std::string>;
    w.body();
};

// One entry, erased: its date, its JSON (every field under its own name) and its view.
struct ErasedEntry {
    Date date;
    nlohmann::json json;
    std::function<ui::View(const ui::Environment&)> view;
};

struct ErasedTimeline {
    std::vector<ErasedEntry> entries;
    TimelineReloadPolicy policy;
};

struct ParameterInfo {
    std::string name;
    std::string title;
    std::string typeDisplayName;
    bool isEntity = false;
    std::string defaultValue;
};

// One configured instance of a widget: the widget and its intent's current values.
class WidgetInstance {
  public:
    struct Interface {
        virtual ~Interface() = default;
        virtual std::unique_ptr<Interface> clone() const = 0;
        virtual bool set(std::string_view name, std::string_view value) = 0;
        virtual std::map<std::string, std::string> values() const = 0;
        virtual ErasedEntry placeholder(const TimelineContext& context) const = 0;
        virtual ErasedEntry snapshot(const TimelineContext& context) const = 0;
        virtual ErasedTimeline timeline(const TimelineContext& context) const = 0;
    };

    explicit WidgetInstance(std::unique_ptr<Interface> self) : self_(std::move(self)) {}
    WidgetInstance(const WidgetInstance& other) : self_(other.self_->clone()) {}
    WidgetInstance& operator=(const WidgetInstance& other) {
        self_ = other.self_->clone();
        return *this;
    }
    WidgetInstance(WidgetInstance&&) noexcept = default;
    WidgetInstance& operator=(WidgetInstance&&) noexcept = default;

    // Sets a parameter from its raw value or id; false for an unknown parameter or value.
    bool set(std::string_view name, std::string_view value) { return self_->set(name, value); }
    std::map<std::string, std::string> values() const { return self_->values(); }
    ErasedEntry placeholder(const TimelineContext& context) const { return self_->placeholder(context); }
    ErasedEntry snapshot(const TimelineContext& context) const { return self_->snapshot(context); }
    ErasedTimeline timeline(const TimelineContext& context) const { return self_->timeline(context); }

  private:
    std::unique_ptr<Interface> self_;
};

// A widget as the host sees it.
class AnyWidget {
  public:
    template <Widget W>
    explicit AnyWidget(const W& widget);

    const std::string& kind() const { return info_->kind; }
    const std::string& displayName() const { return info_->displayName; }
    const std::string& description() const { return info_->description; }
    const std::vector<WidgetFamily>& families() const { return info_->families; }
    const std::vector<ParameterInfo>& parameters() const { return info_->parameters; }
    // What the widget reads.
    const DataSources& sources() const { return info_->sources; }
    // The choices of a parameter (with a search text, the matches); nothing for an unknown parameter.
    std::optional<std::vector<ParameterOption>> options(std::string_view parameter,
                                                        const std::optional<std::string>& search = {}) const {
        return info_->options(parameter, search);
    }
    // A new instance with the intent's defaults.
    WidgetInstance makeInstance() const { return info_->makeInstance(); }

  private:
    struct Info {
        std::string kind, displayName, description;
        std::vector<WidgetFamily> families;
        std::vector<ParameterInfo> parameters;
        DataSources sources;
        std::function<std::optional<std::vector<ParameterOption>>(std::string_view,
                                                                  const std::optional<std::string>&)>
            options;
        std::function<WidgetInstance()> makeInstance;
    };
    std::shared_ptr<const Info> info_;
};

// ---- Implementation ----------------------------------------------------------------------------------

namespace detail {

template <class Config>
class ConfiguredInstance final : public WidgetInstance::Interface {
  public:
    using Intent = typename Config::Intent;
    using Entry = typename Config::Entry;

    explicit ConfiguredInstance(std::shared_ptr<const Config> config) : config_(std::move(config)) {}

    std::unique_ptr<WidgetInstance::Interface> clone() const override {
        return std::make_unique<ConfiguredInstance>(*this);
    }
    bool set(std::string_view name, std::string_view value) override {
        for (const auto& parameter : config_->parameters)
            if (parameter.name == name) return parameter.set(intent_, value);
        return false;
    }
    std::map<std::string, std::string> values() const override {
        std::map<std::string, std::string> values;
        for (const auto& parameter : config_->parameters) values[parameter.name] = parameter.value(intent_);
        return values;
    }
    ErasedEntry placeholder(const TimelineContext& context) const override {
        return erase(config_->provider.placeholder(context));
    }
    ErasedEntry snapshot(const TimelineContext& context) const override {
        return erase(config_->provider.snapshot(intent_, context));
    }
    ErasedTimeline timeline(const TimelineContext& context) const override {
        auto timeline = config_->provider.timeline(intent_, context);
        ErasedTimeline erased{{}, timeline.policy};
        for (auto& entry : timeline.entries) erased.entries.push_back(erase(std::move(entry)));
        return erased;
    }

  private:
    ErasedEntry erase(Entry entry) const {
        ErasedEntry erased{entry.date, nlohmann::json(entry), {}};
        erased.view = [config = config_, entry = std::move(entry)](const ui::Environment& environment) {
            return config->content(entry, environment);
        };
        return erased;
    }

    std::shared_ptr<const Config> config_;
    Intent intent_{};
};

}  // namespace detail

template <Widget W>
AnyWidget::AnyWidget(const W& widget) {
    using Config = std::decay_t<decltype(widget.body())>;
    using Intent = typename Config::Intent;
    auto config = std::make_shared<const Config>(widget.body());
    auto info = std::make_shared<Info>();
    info->kind = config->kind;
    info->displayName = config->displayName;
    info->description = config->description;
    info->families = config->families;
    if constexpr (requires { widget.sources(); }) info->sources = widget.sources();
    Intent defaults{};
    for (const auto& parameter : config->parameters)
        info->parameters.push_back({parameter.name, parameter.title, parameter.typeDisplayName,
                                    parameter.isEntity, parameter.value(defaults)});
    info->options =
        [config](std::string_view name,
                 const std::optional<std::string>& search) -> std::optional<std::vector<ParameterOption>> {
        for (const auto& parameter : config->parameters)
            if (parameter.name == name) return parameter.options(search);
        return std::nullopt;
    };
    info->makeInstance = [config] {
        return WidgetInstance(std::make_unique<detail::ConfiguredInstance<Config>>(config));
    };
    info_ = std::move(info);
}

// A bundle of widgets, in the order the host shows them.
struct WidgetBundle {
    std::vector<AnyWidget> widgets;
};

}  // namespace qb
