#pragma once

// Widgets for the dashboard's tests: a provider that counts its timelines, with one enumeration
// parameter and one link, and a variant whose timelines wait while `counterHold` is set (a download
// that hangs).

#include <array>
#include <atomic>
#include <chrono>
#include <thread>

#include <fmt/format.h>

#include "widgetkit/widget.hpp"

namespace qb {

enum class Pace { slow, fast };

template <>
struct AppEnumTraits<Pace> {
    static constexpr std::string_view typeDisplayName = "Pace";
    static constexpr std::array cases = {AppEnumCase<Pace>{Pace::slow, "slow", "Slow"},
                                         AppEnumCase<Pace>{Pace::fast, "fast", "Fast"}};
};

struct CounterIntent {
    static constexpr std::string_view title = "Counter";
    static constexpr std::string_view description = "Counts.";
    Pace pace = Pace::slow;
    static std::vector<IntentParameter<CounterIntent>> parameters() {
        return {enumParameter("pace", "Pace", &CounterIntent::pace)};
    }
};

struct CounterEntry {
    Date date;
    std::string text;
};
inline void to_json(nlohmann::json& json, const CounterEntry& entry) {
    json = {{"text", entry.text}};
}

inline std::atomic<int> counterTimelines{0};
inline std::atomic<double> fakeNow{1000};
inline std::atomic<bool> counterHold{false};
// A base of the tests' fixtures, so that the counters start afresh before any member uses them.
struct FreshCounters {
    FreshCounters() {
        counterTimelines = 0;
        fakeNow = 1000;
        counterHold = false;
    }
};
// The one link every counter tile shows.
inline constexpr std::string_view counterLink = "x-quillbrook-item://A?widget=counter";

struct CounterProvider {
    using Intent = CounterIntent;
    using Entry = CounterEntry;
    Entry placeholder(const TimelineContext&) const { return {Date{0}, "placeholder"}; }
    Entry snapshot(const Intent& intent, const TimelineContext&) const {
        return {Date{0}, std::string(rawValue(intent.pace))};
    }
    Timeline<Entry> timeline(const Intent& intent, const TimelineContext&) const {
        const int count = ++counterTimelines;
        return {{{Date{fakeNow}, fmt::format("{}#{}", rawValue(intent.pace), count)}},
                TimelineReloadPolicy::after(Date{fakeNow + 300})};
    }
};

struct HeldProvider : CounterProvider {
    Timeline<Entry> timeline(const Intent& intent, const TimelineContext& context) const {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (counterHold && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return CounterProvider::timeline(intent, context);
    }
};

template <class Provider>
struct BasicCounterWidget {
    std::string kind = "CounterWidget";
    AppIntentConfiguration<Provider> body() const {
        return AppIntentConfiguration<Provider>{kind, Provider{},
                                                [](const CounterEntry& entry, const ui::Environment&) {
                                                    return ui::link(Url::parse(counterLink),
                                                                    ui::verbatim("<" + entry.text + ">"));
                                                }}
            .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemLarge});
    }
};
using CounterWidget = BasicCounterWidget<CounterProvider>;
using HeldWidget = BasicCounterWidget<HeldProvider>;

}  // namespace qb
