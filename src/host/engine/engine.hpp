#pragma once

// The live engine that every long-running host shares: it keeps each widget instance's next reload date
// and sleeps until the earliest one on the real-time clock, reloads the instances whose files changed
// (within a second, one reload for a burst of writes), reloads on resume, clock and time-zone changes,
// retries a failed download when the network returns, refreshes an instance shortly after one of its
// links was opened, and leaves hidden instances alone. Otherwise it makes no wakeups of its own.
//
// Threads: the engine belongs to the thread that runs its main context; call it only there. Providers
// run on worker threads, one call per widget kind at a time (so that a kind whose provider hangs, a feed
// download, holds up none of the others), and their results come back to the context, where the change
// callbacks run. No lock is held while a provider runs.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "host/engine/schedule.hpp"
#include "platform/date.hpp"
#include "widgetkit/widget.hpp"

typedef struct _GMainContext GMainContext;

namespace qb::engine {

class Sources;

// One widget on screen: the widget (which says what it reads), its configured instance and its family.
struct InstanceSetup {
    AnyWidget widget;
    WidgetInstance instance;
    WidgetFamily family = WidgetFamily::systemMedium;
    bool visible = true;
};

// An instance's new entry with the reload policy its provider answered, and the date at which the
// engine reloads it next (unless something changes first).
struct EntryUpdate {
    InstanceId id = 0;
    const ErasedEntry& entry;
    TimelineReloadPolicy policy;
    Date nextReload;
};
using ChangeCallback = std::function<void(const EntryUpdate&)>;

struct EngineOptions {
    Clock clock = systemClock();  // the schedule's clock; tests move it
    // A burst of file changes reloads once it has been quiet this long, and at the latest this long after
    // its first change.
    std::chrono::milliseconds quietPeriod{200};
    std::chrono::milliseconds burstLimit{1000};
    double afterLinkSeconds = 2;      // a reload this soon after a link was opened
    double minimumReloadSeconds = 5;  // a provider asking for a date already past waits this long
    double afterFailureSeconds = 60;  // a provider that threw is asked again this much later
    double networkRetrySeconds = 60;  // at most one retry per this when the network returns
    bool watchSleep = true;           // logind's resume signal on the system bus
    bool watchNetwork = true;         // GIO's network monitor, made when an instance downloads
    std::filesystem::path localtime = "/etc/localtime";  // empty: no time-zone watch
};

class Engine {
  public:
    Engine(GMainContext* context, EngineOptions options = {});
    ~Engine();  // waits for running provider calls; drops queued ones
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // A new instance, reloaded at once; `changed` is called with its first entry and whenever its entry
    // changes (its date aside), or after a time-zone change when its entry follows the zone.
    InstanceId add(InstanceSetup setup, ChangeCallback changed);
    void remove(InstanceId id);
    // New parameters (and family): reloaded at once; an answer for the old ones is dropped.
    void reconfigure(InstanceId id, WidgetInstance instance, std::optional<WidgetFamily> family = {});
    // Ask again at once.
    void reload(InstanceId id);
    // One of the instance's links was opened: the data behind it may change, so reload shortly.
    void linkOpened(InstanceId id);
    // A hidden instance does not reload; shown again after its date passed, it reloads at once.
    void setVisible(InstanceId id, bool visible);

    // What the event sources report; public so that hosts and tests can report them too.
    void wallClockChanged();  // resumed from sleep, or the clock was set
    void timeZoneChanged();   // the system's zone may be another
    void networkChanged(bool available);
    void fileChanged(const std::filesystem::path& path);

    const ErasedEntry* entry(InstanceId id) const;
    std::optional<Date> nextReload(InstanceId id) const;
    // Provider calls running now.
    std::size_t reloadsRunning() const;
    // Whether logind's resume signal reaches the engine (there is a system bus and the match is in place).
    bool listensForResume() const;

  private:
    friend class Sources;
    struct Instance;
    struct Result;

    void folderChanged(const std::filesystem::path& folder, const std::optional<std::string>& name);
    void burstEnded();
    void evaluate();
    void start(InstanceId id);
    void finish(InstanceId id, std::uint64_t generation, Result result);
    void deliver(InstanceId id, Date nextReload);
    void watchFiles();

    GMainContext* context_;
    EngineOptions options_;
    Schedule schedule_;
    std::map<InstanceId, Instance> instances_;
    InstanceId nextId_ = 1;
    std::size_t running_ = 0;
    std::set<InstanceId> changedFiles_;  // instances whose files changed in the current burst
    std::optional<std::chrono::steady_clock::time_point> burstStart_;
    std::optional<Date> lastNetworkRetry_;
    // The sources, the worker pool and the token that results use to find the engine; last, so that they
    // go first.
    std::unique_ptr<Sources> sources_;
};

}  // namespace qb::engine
