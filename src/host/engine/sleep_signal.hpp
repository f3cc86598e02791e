#pragma once

// The machine waking from sleep: logind's PrepareForSleep(false) on the system bus, received through
// GDBus. The engine only listens for the signal; it never calls logind. Without a system bus it stays
// silent, and the real-time timer still notices a resume (the kernel cancels it then).

#include <functional>

#include <gio/gio.h>

namespace qb::engine {

class SleepSignal {
  public:
    // Connects to the system bus ($DBUS_SYSTEM_BUS_ADDRESS, else the standard socket) without blocking;
    // `resumed()` is called on the context's thread each time the machine woke.
    SleepSignal(GMainContext* context, std::function<void()> resumed);
    ~SleepSignal();
    SleepSignal(const SleepSignal&) = delete;
    SleepSignal& operator=(const SleepSignal&) = delete;

    // Whether the subscription is in place at the bus (for tests that send the signal).
    bool listening() const { return listening_; }

  private:
    static void connected(GObject* source, GAsyncResult* result, gpointer self);
    static void confirmed(GObject* source, GAsyncResult* result, gpointer self);
    static void signalled(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                          GVariant* parameters, gpointer self);
    void subscribe();

    GMainContext* context_;
    std::function<void()> resumed_;
    GCancellable* cancellable_;
    GDBusConnection* connection_ = nullptr;
    guint subscription_ = 0;
    bool listening_ = false;
};

}  // namespace qb::engine
