#pragma once

// GLib sources owned by C++ objects. Each is attached to a main context when made and detached when its
// owner lets it go, so that no callback outlives the object it calls: declare the source after what its
// callback uses.

#include <chrono>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include <glib.h>

namespace qb::engine {

// An attached source, detached and released with its owner. Move-only.
class AttachedSource {
  public:
    AttachedSource() = default;
    explicit AttachedSource(GSource* source) : source_(source) {}
    ~AttachedSource() { reset(); }
    AttachedSource(AttachedSource&& other) noexcept : source_(std::exchange(other.source_, nullptr)) {}
    AttachedSource& operator=(AttachedSource&& other) noexcept;
    AttachedSource(const AttachedSource&) = delete;
    AttachedSource& operator=(const AttachedSource&) = delete;

    void reset();
    GSource* get() const { return source_; }
    explicit operator bool() const { return source_ != nullptr; }

  private:
    GSource* source_ = nullptr;
};

// Calls `ready` on the context's thread whenever the descriptor reports one of the conditions (errors
// and hang-ups are always reported). The descriptor stays the caller's.
AttachedSource watchDescriptor(GMainContext* context, int fd, GIOCondition conditions,
                               std::function<void(GIOCondition)> ready);

// Calls `received` on the context's thread when the process receives the signal (SIGINT, SIGTERM, SIGHUP,
// SIGUSR1, SIGUSR2 or SIGWINCH), instead of the signal's default action.
AttachedSource watchSignal(GMainContext* context, int signal, std::function<void()> received);

// Jobs handed to the context's thread from any thread. The jobs pass through a lock of the standard
// library, which the thread sanitizer sees (GLib's own locks are futexes that it cannot see). Jobs still
// waiting when the mailbox goes are dropped.
class Mailbox {
  public:
    explicit Mailbox(GMainContext* context);
    Mailbox(Mailbox&&) = delete;
    Mailbox& operator=(Mailbox&&) = delete;

    // Safe from any thread; the job runs on the context's thread.
    void post(std::function<void()> job);

  private:
    void deliver();

    std::mutex mutex_;
    std::vector<std::function<void()>> jobs_;
    std::function<void()> deliver_;
    AttachedSource source_;
};

// A one-shot alarm on the monotonic clock, re-armed at will: for short waits only (a quiet period), since
// the monotonic clock stops while the machine sleeps.
class Alarm {
  public:
    Alarm(GMainContext* context, std::function<void()> fired);
    Alarm(Alarm&&) = delete;  // the source calls this object's own callback
    Alarm& operator=(Alarm&&) = delete;
    // Fires `delay` from now, in place of any earlier arming.
    void armIn(std::chrono::milliseconds delay);
    void disarm();
    bool armed() const;

  private:
    std::function<void()> fired_;
    AttachedSource source_;
};

}  // namespace qb::engine
