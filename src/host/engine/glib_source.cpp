#include "host/engine/glib_source.hpp"

#include <glib-unix.h>

namespace qb::engine {
namespace {

using Job = std::function<void()>;

// GLib keeps one untyped callback per source; the typed ones below go through it.
template <class Function>
GSourceFunc asSourceFunc(Function* function) {
    return reinterpret_cast<GSourceFunc>(reinterpret_cast<void (*)()>(function));
}

gboolean runDescriptorCallback(gint, GIOCondition condition, gpointer data) {
    (*static_cast<std::function<void(GIOCondition)>*>(data))(condition);
    return G_SOURCE_CONTINUE;
}

gboolean runRepeating(gpointer data) {
    (*static_cast<Job*>(data))();
    return G_SOURCE_CONTINUE;
}

template <class T>
void deleteAs(gpointer data) {
    delete static_cast<T*>(data);
}

// An alarm's source: ready when its ready time has come, then disarmed until armed again.
gboolean dispatchAlarm(GSource* source, GSourceFunc callback, gpointer data) {
    g_source_set_ready_time(source, -1);
    return callback ? callback(data) : G_SOURCE_CONTINUE;
}

GSourceFuncs alarmFunctions{nullptr, nullptr, dispatchAlarm, nullptr, nullptr, nullptr};

AttachedSource attach(GSource* source, GMainContext* context) {
    g_source_attach(source, context);
    return AttachedSource(source);
}

}  // namespace

AttachedSource& AttachedSource::operator=(AttachedSource&& other) noexcept {
    if (this != &other) {
        reset();
        source_ = std::exchange(other.source_, nullptr);
    }
    return *this;
}

void AttachedSource::reset() {
    if (!source_) return;
    g_source_destroy(source_);
    g_source_unref(source_);
    source_ = nullptr;
}

AttachedSource watchDescriptor(GMainContext* context, int fd, GIOCondition conditions,
                               std::function<void(GIOCondition)> ready) {
    GSource* source = g_unix_fd_source_new(fd, conditions);
    g_source_set_callback(source, asSourceFunc(&runDescriptorCallback),
                          new std::function<void(GIOCondition)>(std::move(ready)),
                          &deleteAs<std::function<void(GIOCondition)>>);
    return attach(source, context);
}

AttachedSource watchSignal(GMainContext* context, int signal, std::function<void()> received) {
    GSource* source = g_unix_signal_source_new(signal);
    g_source_set_callback(source, &runRepeating, new Job(std::move(received)), &deleteAs<Job>);
    return attach(source, context);
}

Mailbox::Mailbox(GMainContext* context) : deliver_([this] { deliver(); }) {
    GSource* source = g_source_new(&alarmFunctions, sizeof(GSource));
    g_source_set_callback(source, &runRepeating, &deliver_, nullptr);
    g_source_set_ready_time(source, -1);
    source_ = attach(source, context);
}

void Mailbox::post(std::function<void()> job) {
    {
        std::scoped_lock lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    // Wakes the context (GLib allows this from any thread).
    g_source_set_ready_time(source_.get(), 0);
}

void Mailbox::deliver() {
    // The source was disarmed before this runs: a job posted from now on arms it again.
    std::vector<std::function<void()>> jobs;
    {
        std::scoped_lock lock(mutex_);
        jobs.swap(jobs_);
    }
    for (auto& job : jobs) job();
}

Alarm::Alarm(GMainContext* context, std::function<void()> fired) : fired_(std::move(fired)) {
    GSource* source = g_source_new(&alarmFunctions, sizeof(GSource));
    g_source_set_callback(source, &runRepeating, &fired_, nullptr);
    g_source_set_ready_time(source, -1);
    source_ = attach(source, context);
}

void Alarm::armIn(std::chrono::milliseconds delay) {
    g_source_set_ready_time(source_.get(), g_get_monotonic_time() + delay.count() * 1000);
}

void Alarm::disarm() {
    g_source_set_ready_time(source_.get(), -1);
}

bool Alarm::armed() const {
    return g_source_get_ready_time(source_.get()) >= 0;
}

}  // namespace qb::engine
