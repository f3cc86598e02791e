#pragma once

// Whether the network is there, as GIO's network monitor says (NetworkManager's view where it runs, else
// the kernel's routes). Event-driven: nothing is polled.

#include <functional>

#include <gio/gio.h>

namespace qb::engine {

class NetworkWatch {
  public:
    // `changed(available)` on the context's thread each time the network changed. The monitor is the
    // process's one: its events come on the context that was current where it was first made, which is
    // this one unless the host made it elsewhere before.
    NetworkWatch(GMainContext* context, std::function<void(bool available)> changed);
    ~NetworkWatch();
    NetworkWatch(const NetworkWatch&) = delete;
    NetworkWatch& operator=(const NetworkWatch&) = delete;

  private:
    static void networkChanged(GNetworkMonitor*, gboolean available, gpointer self);

    std::function<void(bool)> changed_;
    GNetworkMonitor* monitor_ = nullptr;
    gulong handler_ = 0;
};

}  // namespace qb::engine
