#pragma once

// A widget whose provider the engine tests watch: it counts its calls, can take its time, reads a file
// when given one (so that its entry changes only when the file does), and asks to be reloaded at a date
// the test chooses.

#include <glib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "host/engine/engine.hpp"
#include "host/engine_thread.hpp"
#include "platform/files.hpp"
#include "widgetkit/widget.hpp"

namespace qb::test {

struct ProbeState {
    std::atomic<int> calls{0};
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};
    std::chrono::milliseconds takes{0};
    std::filesystem::path file;              // the entry's text, when given
    std::function<Date(Date now)> reloadAt;  // the reload date for a timeline built at `now`
    Clock clock = systemClock();
};

struct ProbeIntent {
    static constexpr std::string_view title = "Probe";
    static constexpr std::string_view description = "Counts its calls.";
    static std::vector<IntentParameter<ProbeIntent>> parameters() { return {}; }
};

struct ProbeEntry {
    Date date;
    std::string text;
};
inline void to_json(nlohmann::json& json, const ProbeEntry& entry) {
    json = {{"date", iso8601(entry.date)}, {"text", entry.text}};
}

struct ProbeProvider {
    using Intent = ProbeIntent;
    using Entry = ProbeEntry;
    std::shared_ptr<ProbeState> state;

    Entry placeholder(const TimelineContext&) const { return {state->clock(), "placeholder"}; }
    Entry snapshot(const Intent&, const TimelineContext&) const { return {state->clock(), "snapshot"}; }
    Timeline<Entry> timeline(const Intent&, const TimelineContext&) const {
        const int now = ++state->running;
        for (int most = state->mostAtOnce;
             now > most && !state->mostAtOnce.compare_exchange_weak(most, now);) {
        }
        std::this_thread::sleep_for(state->takes);
        const Date date = state->clock();
        Entry entry{date, state->file.empty() ? "probe" : readFile(state->file).value_or("(none)")};
        ++state->calls;
        --state->running;
        return {{entry},
                TimelineReloadPolicy::after(state->reloadAt ? state->reloadAt(date)
                                                            : date.addingTimeInterval(300))};
    }
};

struct ProbeWidget {
    std::string kind = "ProbeWidget";
    std::shared_ptr<ProbeState> state;
    DataSources reads = {};  // and the state's file, when it has one

    DataSources sources() const {
        auto all = reads;
        if (!state->file.empty()) all.files.push_back(state->file);
        return all;
    }
    AppIntentConfiguration<ProbeProvider> body() const {
        return AppIntentConfiguration<ProbeProvider>(
                   kind, ProbeProvider{state},
                   [](const ProbeEntry& entry, const ui::Environment&) { return ui::verbatim(entry.text); })
            .supportedFamilies({WidgetFamily::systemMedium});
    }
};

// The real clock, plus jumps that tests make (a resume, a clock set by hand).
struct MovableClock {
    std::shared_ptr<std::atomic<double>> offset = std::make_shared<std::atomic<double>>(0);
    Clock clock() const {
        return [offset = offset] { return Date::now().addingTimeInterval(offset->load()); };
    }
    void advance(double seconds) const { *offset = *offset + seconds; }
};

// The probe as the engine takes it, in the medium family.
inline engine::InstanceSetup probe(const std::shared_ptr<ProbeState>& state, DataSources sources = {}) {
    const AnyWidget widget(ProbeWidget{"ProbeWidget", state, std::move(sources)});
    return {widget, widget.makeInstance(), WidgetFamily::systemMedium, true};
}

// Runs the context until the condition holds or the time is up; whether it held.
inline bool runUntil(GMainContext* context, const std::function<bool()>& condition,
                     std::chrono::milliseconds limit = std::chrono::seconds(2)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (!g_main_context_iteration(context, FALSE))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Runs the context for a while, whatever happens.
inline void runFor(GMainContext* context, std::chrono::milliseconds span) {
    runUntil(
        context, [] { return false; }, span);
}

}  // namespace qb::test
