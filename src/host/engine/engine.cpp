#include "host/engine/engine.hpp"

#include <algorithm>
#include <exception>

#include <fmt/format.h>

#include "host/engine/folder_watch.hpp"
#include "host/engine/glib_source.hpp"
#include "host/engine/network_watch.hpp"
#include "host/engine/realtime_timer.hpp"
#include "host/engine/sleep_signal.hpp"
#include "host/engine/time_zone_watch.hpp"
#include "host/engine/worker_pool.hpp"
#include "platform/log.hpp"

namespace qb::engine {
namespace {

const Logger& logger() {
    static const Logger instance(logSubsystem, "LiveEngine");
    return instance;
}

// The timer wakes at whole milliseconds: a date less than one away counts as come.
constexpr double dueSlack = 0.001;

// The schedule runs one provider call per widget kind at a time, so the pool needs no more threads than
// there are kinds; this bound only guards against a host that makes instances of very many kinds.
constexpr unsigned maxWorkerThreads = 32;

}  // namespace

struct Engine::Instance {
    Instance(InstanceSetup instanceSetup, ChangeCallback callback)
        : setup(std::move(instanceSetup)), changed(std::make_shared<ChangeCallback>(std::move(callback))) {}

    InstanceSetup setup;
    std::shared_ptr<ChangeCallback> changed;
    std::shared_ptr<const ErasedEntry> entry;
    TimelineReloadPolicy policy;
    nlohmann::json shown;            // the entry's JSON without its date: what tells a change
    std::uint64_t generation = 0;    // counts the configurations; an answer for an older one is dropped
    std::optional<Date> lastReload;  // when the last answer came, on the schedule's clock
    bool tellNext = false;           // the next entry is told even when it did not change
    bool awaitingNetwork = false;
};

struct Engine::Result {
    std::optional<ErasedTimeline> timeline;  // none when the provider threw
    std::string failure;
    bool networkSatisfied = true;
};

// The event sources and the worker pool, in the order in which they are made. The pool is destroyed
// first, so that no provider call outlives the engine, and then the mailbox with the answers that did
// not reach the engine.
class Sources {
  public:
    Sources(GMainContext* context, Engine& engine, const EngineOptions& options)
        : mailbox(context),
          timer(context, [&engine](bool) { engine.wallClockChanged(); }),
          folders(context,
                  [&engine](const auto& folder, const auto& name) { engine.folderChanged(folder, name); }),
          quiet(context, [&engine] { engine.burstEnded(); }),
          pool(maxWorkerThreads) {
        if (options.watchSleep) sleep.emplace(context, [&engine] { engine.wallClockChanged(); });
        if (!options.localtime.empty())
            zone.emplace(
                context, [&engine] { engine.timeZoneChanged(); }, options.localtime);
    }

    Mailbox mailbox;
    RealtimeTimer timer;
    FolderWatch folders;
    Alarm quiet;
    std::optional<SleepSignal> sleep;
    std::optional<TimeZoneWatch> zone;
    std::optional<NetworkWatch> network;
    WorkerPool pool;
};

Engine::Engine(GMainContext* context, EngineOptions options)
    : context_(context),
      options_(std::move(options)),
      sources_(std::make_unique<Sources>(context, *this, options_)) {}

Engine::~Engine() = default;

InstanceId Engine::add(InstanceSetup setup, ChangeCallback changed) {
    const InstanceId id = nextId_++;
    const bool network = setup.widget.sources().usesNetwork;
    const bool visible = setup.visible;
    instances_.try_emplace(id, std::move(setup), std::move(changed));
    schedule_.add(id, options_.clock(), network, instances_.at(id).setup.widget.kind());
    schedule_.setVisible(id, visible);
    if (network && options_.watchNetwork && !sources_->network)
        sources_->network.emplace(context_, [this](bool available) { networkChanged(available); });
    watchFiles();
    evaluate();
    return id;
}

void Engine::remove(InstanceId id) {
    if (instances_.erase(id) == 0) return;
    schedule_.remove(id);
    changedFiles_.erase(id);
    watchFiles();
    evaluate();
}

void Engine::reconfigure(InstanceId id, WidgetInstance instance, std::optional<WidgetFamily> family) {
    auto found = instances_.find(id);
    if (found == instances_.end()) return;
    found->second.setup.instance = std::move(instance);
    if (family) found->second.setup.family = *family;
    ++found->second.generation;
    found->second.tellNext = true;  // the same entry drawn for another family is news to the host
    reload(id);
}

void Engine::reload(InstanceId id) {
    schedule_.requestBy(id, options_.clock());
    evaluate();
}

void Engine::linkOpened(InstanceId id) {
    schedule_.requestBy(id, options_.clock().addingTimeInterval(options_.afterLinkSeconds));
    evaluate();
}

void Engine::setVisible(InstanceId id, bool visible) {
    auto found = instances_.find(id);
    if (found == instances_.end()) return;
    found->second.setup.visible = visible;
    schedule_.setVisible(id, visible);
    evaluate();
}

void Engine::wallClockChanged() {
    // A clock set back leaves dates computed on the old clock too far ahead: an instance whose last
    // answer lies in the future now is asked again at once.
    const Date now = options_.clock();
    for (const auto& [id, instance] : instances_)
        if (instance.lastReload && *instance.lastReload > now.addingTimeInterval(dueSlack))
            schedule_.requestBy(id, now);
    evaluate();
}

void Engine::timeZoneChanged() {
    if (!resetProcessTimeZone()) return;
    const Date now = options_.clock();
    for (auto& [id, instance] : instances_) {
        if (!instance.setup.widget.sources().followsTimeZone) continue;
        instance.tellNext = true;  // the same entry may read differently in the new zone
        schedule_.requestBy(id, now);
    }
    evaluate();
}

void Engine::networkChanged(bool available) {
    if (!available) return;
    const Date now = options_.clock();
    if (lastNetworkRetry_ && *lastNetworkRetry_ > now) return;  // a retry is already on its way
    const Date at = lastNetworkRetry_
                        ? std::max(now, lastNetworkRetry_->addingTimeInterval(options_.networkRetrySeconds))
                        : now;
    bool retrying = false;
    for (auto& [id, instance] : instances_) {
        if (!instance.awaitingNetwork) continue;
        schedule_.requestBy(id, at);
        retrying = true;
    }
    if (!retrying) return;
    lastNetworkRetry_ = at;
    evaluate();
}

void Engine::fileChanged(const std::filesystem::path& path) {
    folderChanged(path.parent_path(), path.filename().string());
}

void Engine::folderChanged(const std::filesystem::path& folder, const std::optional<std::string>& name) {
    bool affected = false;
    for (const auto& [id, instance] : instances_)
        for (const auto& file : instance.setup.widget.sources().files)
            if (file.parent_path() == folder && (!name || file.filename() == *name)) {
                changedFiles_.insert(id);
                affected = true;
            }
    if (!affected) return;
    // One reload for a burst: after a quiet period, or at the burst's limit should it never go quiet.
    const auto now = std::chrono::steady_clock::now();
    if (!burstStart_) burstStart_ = now;
    const auto end = std::min(now + options_.quietPeriod, *burstStart_ + options_.burstLimit);
    sources_->quiet.armIn(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
}

void Engine::burstEnded() {
    burstStart_.reset();
    const Date now = options_.clock();
    for (InstanceId id : changedFiles_) schedule_.requestBy(id, now);
    changedFiles_.clear();
    evaluate();
}

void Engine::watchFiles() {
    std::vector<std::filesystem::path> folders;
    for (const auto& [id, instance] : instances_)
        for (const auto& file : instance.setup.widget.sources().files) folders.push_back(file.parent_path());
    sources_->folders.setFolders(std::move(folders));
}

void Engine::evaluate() {
    const Date now = options_.clock().addingTimeInterval(dueSlack);
    for (InstanceId id : schedule_.due(now)) start(id);
    // The timer runs on the real clock; the schedule's clock may be another (tests move it).
    std::optional<Date> wake = schedule_.nextWake(now);
    if (wake) wake = Date::now().addingTimeInterval(wake->sinceReferenceDate - now.sinceReferenceDate);
    sources_->timer.arm(wake);
}

void Engine::start(InstanceId id) {
    const Instance& instance = instances_.at(id);
    schedule_.started(id);
    ++running_;
    const auto& sources = instance.setup.widget.sources();
    std::function<bool()> probe;
    if (sources.usesNetwork) probe = sources.networkSatisfied;
    // The job reaches the engine only through the mailbox, whose answers are dropped once the engine
    // goes; the pool itself is joined before that.
    sources_->pool.post([this, mailbox = &sources_->mailbox, id, generation = instance.generation,
                         widget = instance.setup.instance, family = instance.setup.family, probe] {
        Result result;
        try {
            result.timeline = widget.timeline(TimelineContext{family, false});
        } catch (const std::exception& error) {
            result.failure = error.what();
        } catch (...) {
            result.failure = "an unknown error";
        }
        if (probe) result.networkSatisfied = probe();
        mailbox->post([this, id, generation, result = std::move(result)]() mutable {
            finish(id, generation, std::move(result));
        });
    });
}

void Engine::finish(InstanceId id, std::uint64_t generation, Result result) {
    --running_;
    auto found = instances_.find(id);
    if (found == instances_.end()) return evaluate();
    Instance& instance = found->second;
    const Date now = options_.clock();
    instance.lastReload = now;
    if (generation != instance.generation) {
        schedule_.finished(id, now);  // answered for an older configuration: ask again at once
        return evaluate();
    }
    if (!result.timeline || result.timeline->entries.empty()) {
        logger().error(fmt::format(
            "The {} provider failed ({}); asking again in {} seconds", instance.setup.widget.kind(),
            result.failure.empty() ? "no entry" : result.failure, options_.afterFailureSeconds));
        schedule_.finished(id, now.addingTimeInterval(options_.afterFailureSeconds));
        return evaluate();
    }
    instance.awaitingNetwork = !result.networkSatisfied;
    // A provider asking for a date already past is asked again after a short pause, not at once.
    schedule_.finished(
        id, std::max(result.timeline->policy.date, now.addingTimeInterval(options_.minimumReloadSeconds)));
    auto entry = std::make_shared<const ErasedEntry>(std::move(result.timeline->entries.front()));
    nlohmann::json shown = entry->json;
    if (shown.is_object()) shown.erase("date");
    const bool changed = !instance.entry || instance.tellNext || shown != instance.shown;
    instance.entry = entry;
    instance.policy = result.timeline->policy;
    instance.shown = std::move(shown);
    instance.tellNext = false;
    evaluate();
    if (changed) deliver(id, schedule_.dateOf(id).value_or(now));
}

void Engine::deliver(InstanceId id, Date nextReload) {
    // Held here, so that a callback may remove or reconfigure its own instance.
    const auto& instance = instances_.at(id);
    const auto callback = instance.changed;
    const auto entry = instance.entry;
    if (*callback) (*callback)(EntryUpdate{id, *entry, instance.policy, nextReload});
}

const ErasedEntry* Engine::entry(InstanceId id) const {
    auto found = instances_.find(id);
    return found == instances_.end() ? nullptr : found->second.entry.get();
}

std::optional<Date> Engine::nextReload(InstanceId id) const {
    return schedule_.dateOf(id);
}

std::size_t Engine::reloadsRunning() const {
    return running_;
}

bool Engine::listensForResume() const {
    return sources_->sleep && sources_->sleep->listening();
}

}  // namespace qb::engine
