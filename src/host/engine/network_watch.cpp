#include "host/engine/network_watch.hpp"

namespace qb::engine {

NetworkWatch::NetworkWatch(GMainContext* context, std::function<void(bool available)> changed)
    : changed_(std::move(changed)) {
    g_main_context_push_thread_default(context);
    monitor_ = g_network_monitor_get_default();
    g_main_context_pop_thread_default(context);
    if (!monitor_) return;
    g_object_ref(monitor_);
    handler_ = g_signal_connect_data(monitor_, "network-changed",
                                     reinterpret_cast<GCallback>(&NetworkWatch::networkChanged), this,
                                     nullptr, G_CONNECT_DEFAULT);
}

NetworkWatch::~NetworkWatch() {
    if (!monitor_) return;
    g_signal_handler_disconnect(monitor_, handler_);
    g_object_unref(monitor_);
}

void NetworkWatch::networkChanged(GNetworkMonitor*, gboolean available, gpointer self) {
    static_cast<NetworkWatch*>(self)->changed_(available != FALSE);
}

}  // namespace qb::engine
