#include "host/server/serve.hpp"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include <fmt/format.h>

#include "core/quillbrook_widget_bundle.hpp"
#include "host/demo_setup.hpp"
#include "host/server/api.hpp"
#include "host/server/dashboard.hpp"

namespace qb::host {
namespace {

// Blocks SIGINT and SIGTERM in every thread started from here on, and waits for them on a thread of
// its own, which stops the server. Stopping is repeated until the server has really stopped, so that a
// signal that arrives before the server runs is not lost.
class StopOnSignal {
  public:
    explicit StopOnSignal(httplib::Server& server) : server_(server) {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
        thread_ = std::thread([this] { run(); });
    }
    ~StopOnSignal() {
        finished_ = true;
        thread_.join();
        // Signals that arrived after the server stopped are consumed, not delivered once unblocked.
        timespec none{0, 0};
        while (sigtimedwait(&signals_, nullptr, &none) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    bool interrupted() const { return interrupted_; }

  private:
    void run() {
        while (!finished_) {
            timespec pause{0, 100'000'000};
            if (!interrupted_) {
                const int signal = sigtimedwait(&signals_, nullptr, &pause);
                if (signal == SIGINT || signal == SIGTERM) interrupted_ = true;
            } else {
                nanosleep(&pause, nullptr);
            }
            if (interrupted_) server_.stop();
        }
    }

    httplib::Server& server_;
    sigset_t signals_{};
    sigset_t previous_{};
    std::atomic<bool> finished_{false};
    std::atomic<bool> interrupted_{false};
    std::thread thread_;
};

}  // namespace

int serveWidgets(const ServeOptions& options, const std::function<std::vector<AnyWidget>()>& makeWidgets) {
    if (options.port < 1 || options.port > 65535) {
        fmt::print(stderr, "quillbrook-widgets: the port {} is not a TCP port; choose one from 1 to 65535\n",
                   options.port);
        return 2;
    }
    httplib::Server server;
    std::optional<StopOnSignal> stopper;
    stopper.emplace(server);  // before any other thread starts, so that all of them block the signals
    std::unique_ptr<DemoSetup> demo;
    if (options.demo) {
        std::string error;
        demo = DemoSetup::start(error);
        if (!demo) {
            fmt::print(stderr, "quillbrook-widgets: cannot serve the demo: {}\n", error);
            return 1;
        }
    }
    // Made only now: the stores take their files' locations when first used, after the demo set them.
    Dashboard dashboard(makeWidgets());
    installRoutes(server, dashboard);
    server.set_keep_alive_timeout(5);
    if (!server.bind_to_port("127.0.0.1", options.port)) {
        fmt::print(stderr,
                   "quillbrook-widgets: cannot listen on 127.0.0.1:{}: the port is in use or not allowed; "
                   "choose another with --port N\n",
                   options.port);
        return 2;
    }
    fmt::print("Quillbrook widgets dashboard on http://127.0.0.1:{}/ (Ctrl-C stops it)\n", options.port);
    std::fflush(stdout);
    const bool ok = server.listen_after_bind();
    const bool interrupted = stopper->interrupted();
    stopper.reset();
    if (!ok && !interrupted) {
        fmt::print(stderr, "quillbrook-widgets: the dashboard stopped unexpectedly; start it again\n");
        return 1;
    }
    fmt::print("Dashboard stopped.\n");
    return 0;
}

int serve(const ServeOptions& options) {
    return serveWidgets(options, [] { return QuillbrookWidgetBundle{}.body(); });
}

}  // namespace qb::host
