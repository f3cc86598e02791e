#include "host/engine/sleep_signal.hpp"

#include "platform/log.hpp"

namespace qb::engine {
namespace {

const Logger& logger() {
    static const Logger instance(logSubsystem, "LiveEngine");
    return instance;
}

bool cancelled(const GError* error) {
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
}

// Makes GIO call back on the context while alive: GIO delivers to the thread-default context of the
// thread that starts an operation.
class ContextScope {
  public:
    explicit ContextScope(GMainContext* context) : context_(context) {
        g_main_context_push_thread_default(context_);
    }
    ~ContextScope() { g_main_context_pop_thread_default(context_); }
    ContextScope(const ContextScope&) = delete;
    ContextScope& operator=(const ContextScope&) = delete;

  private:
    GMainContext* context_;
};

}  // namespace

SleepSignal::SleepSignal(GMainContext* context, std::function<void()> resumed)
    : context_(context), resumed_(std::move(resumed)), cancellable_(g_cancellable_new()) {
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, cancellable_, &error);
    if (!address) {
        logger().debug(std::string("No system bus, so a resume is noticed by the clock alone: ") +
                       error->message);
        g_error_free(error);
        return;
    }
    ContextScope scope(context_);
    // A connection of our own: the process-wide one would end the process should the bus go away.
    g_dbus_connection_new_for_address(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, cancellable_, &SleepSignal::connected, this);
    g_free(address);
}

SleepSignal::~SleepSignal() {
    // Cancelled operations still call back, with G_IO_ERROR_CANCELLED, and then leave `this` alone.
    g_cancellable_cancel(cancellable_);
    if (connection_) {
        if (subscription_ != 0) g_dbus_connection_signal_unsubscribe(connection_, subscription_);
        g_dbus_connection_close(connection_, nullptr, nullptr, nullptr);
        g_object_unref(connection_);
    }
    g_object_unref(cancellable_);
}

void SleepSignal::connected(GObject*, GAsyncResult* result, gpointer self) {
    GError* error = nullptr;
    GDBusConnection* connection = g_dbus_connection_new_for_address_finish(result, &error);
    if (!connection) {
        if (!cancelled(error))
            logger().debug(std::string("No system bus, so a resume is noticed by the clock alone: ") +
                           error->message);
        g_error_free(error);
        return;
    }
    static_cast<SleepSignal*>(self)->connection_ = connection;
    static_cast<SleepSignal*>(self)->subscribe();
}

void SleepSignal::subscribe() {
    ContextScope scope(context_);
    subscription_ = g_dbus_connection_signal_subscribe(
        connection_, "org.freedesktop.login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        "/org/freedesktop/login1", nullptr, G_DBUS_SIGNAL_FLAGS_NONE, &SleepSignal::signalled, this, nullptr);
    // The bus handles one connection's messages in order: once this call is answered, the match rule
    // that the subscription added is in place.
    g_dbus_connection_call(connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "GetId", nullptr, G_VARIANT_TYPE("(s)"),
                           G_DBUS_CALL_FLAGS_NONE, -1, cancellable_, &SleepSignal::confirmed, this);
}

void SleepSignal::confirmed(GObject* source, GAsyncResult* result, gpointer self) {
    GError* error = nullptr;
    GVariant* reply =
        g_dbus_connection_call_finish(reinterpret_cast<GDBusConnection*>(source), result, &error);
    if (!reply) {
        if (!cancelled(error))
            logger().debug(std::string("The system bus did not answer: ") + error->message);
        g_error_free(error);
        return;
    }
    g_variant_unref(reply);
    static_cast<SleepSignal*>(self)->listening_ = true;
}

void SleepSignal::signalled(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                            GVariant* parameters, gpointer self) {
    gboolean starting = TRUE;
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)"))) return;
    g_variant_get(parameters, "(b)", &starting);
    if (!starting) static_cast<SleepSignal*>(self)->resumed_();
}

}  // namespace qb::engine
