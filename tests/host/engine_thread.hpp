#pragma once

// The live engine on a main context that a thread of its own runs, as `serve` runs it beside its server,
// for the dashboard's tests. What belongs to the engine's thread (the dashboard) is made before start()
// and destroyed after stop(), on the test's thread, which owns the engine while the thread does not run.

#include <glib.h>

#include <future>
#include <optional>
#include <thread>

#include "host/engine/engine.hpp"

namespace qb::test {

// No system bus, network monitor or time-zone watch; the given clock.
inline engine::EngineOptions quietEngineOptions(Clock clock = systemClock()) {
    engine::EngineOptions options;
    options.clock = std::move(clock);
    options.watchSleep = false;
    options.watchNetwork = false;
    options.localtime.clear();
    return options;
}

class EngineThread {
  public:
    explicit EngineThread(engine::EngineOptions options)
        : engine_(std::in_place, context_, std::move(options)) {}
    ~EngineThread() {
        stop();
        engine_.reset();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
    }
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    GMainContext* context() const { return context_; }
    engine::Engine& engine() { return *engine_; }

    void start() {
        thread_ = std::thread([this] {
            g_main_context_push_thread_default(context_);
            g_main_loop_run(loop_);
            g_main_context_pop_thread_default(context_);
        });
    }
    void stop() {
        if (!thread_.joinable()) return;
        // Quit on the loop's own thread: a quit made before the loop runs would be lost.
        g_main_context_invoke(
            context_,
            [](gpointer loop) {
                g_main_loop_quit(static_cast<GMainLoop*>(loop));
                return G_SOURCE_REMOVE;
            },
            loop_);
        thread_.join();
    }

    // Waits until the engine's thread has run what was handed to it before now (sources that were ready
    // then, the dashboard's mailbox among them, run before an idle source of the same priority).
    void sync() {
        std::promise<void> done;
        g_main_context_invoke(
            context_,
            [](gpointer promise) {
                static_cast<std::promise<void>*>(promise)->set_value();
                return G_SOURCE_REMOVE;
            },
            &done);
        done.get_future().wait();
    }

  private:
    GMainContext* context_ = g_main_context_new();
    GMainLoop* loop_ = g_main_loop_new(context_, FALSE);
    std::optional<engine::Engine> engine_;
    std::thread thread_;
};

}  // namespace qb::test
