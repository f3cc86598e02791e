// A resume from sleep, as logind announces it, on a private system bus: a reload date that passed while
// the machine slept is honoured within a second.

#include <fcntl.h>
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "host/engine/engine.hpp"
#include "probe_widget.hpp"
#include "support/test_support.hpp"

extern char** environ;

namespace qb::test {
namespace {

using namespace std::chrono_literals;

// A message bus of its own that lets anyone own any name and send anything.
class PrivateBus {
  public:
    explicit PrivateBus(const std::filesystem::path& folder) {
        const auto config = folder / "bus.conf";
        std::ofstream(config)
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><listen>unix:path="
            << (folder / "bus").string()
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
               "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
               "<allow receive_sender=\"*\"/></policy></busconfig>\n";
        int out[2];
        if (pipe(out) != 0) return;
        std::string program = "dbus-daemon", file = "--config-file=" + config.string(),
                    print = "--print-address", nofork = "--nofork";
        char* argv[] = {program.data(), file.data(), print.data(), nofork.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char c = 0;
        while (pid_ != 0 && read(out[0], &c, 1) == 1 && c != '\n') address_ += c;
        close(out[0]);
    }
    ~PrivateBus() {
        if (pid_ == 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& address() const { return address_; }

  private:
    pid_t pid_ = 0;
    std::string address_;
};

// Sends logind's signal as logind would: from the owner of its name, on its path.
void announceResume(const std::string& address) {
    GError* error = nullptr;
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    ASSERT_NE(bus, nullptr) << error->message;
    GVariant* owned = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "RequestName",
                                                  g_variant_new("(su)", "org.freedesktop.login1", 0u),
                                                  nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    ASSERT_NE(owned, nullptr) << error->message;
    g_variant_unref(owned);
    EXPECT_TRUE(g_dbus_connection_emit_signal(bus, nullptr, "/org/freedesktop/login1",
                                              "org.freedesktop.login1.Manager", "PrepareForSleep",
                                              g_variant_new("(b)", FALSE), &error));
    EXPECT_TRUE(g_dbus_connection_flush_sync(bus, nullptr, &error));
    g_object_unref(bus);
}

TEST(ResumeTest, APassedDateReloadsWithinASecondOfWaking) {
    TempDir folder;
    PrivateBus bus(folder.path());
    if (bus.address().empty())
        GTEST_SKIP() << "dbus-daemon could not be started (scripts/setup.sh installs it)";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().c_str(), 1);

    GMainContext* context = g_main_context_new();
    {
        MovableClock clock;
        auto state = std::make_shared<ProbeState>();
        state->clock = clock.clock();
        state->reloadAt = [](Date now) { return now.addingTimeInterval(3600); };
        engine::EngineOptions options;
        options.clock = clock.clock();
        options.watchNetwork = false;
        options.localtime.clear();
        engine::Engine engine(context, options);
        const AnyWidget widget(ProbeWidget{"ProbeWidget", state});
        engine.add({widget, widget.makeInstance(), WidgetFamily::systemMedium, true}, {});
        ASSERT_TRUE(runUntil(
            context, [&] { return state->calls == 1 && engine.listensForResume(); }, 5s));

        // The machine slept for two hours; the engine's timer has not noticed.
        clock.advance(7200);
        runFor(context, 100ms);
        EXPECT_EQ(state->calls, 1);
        announceResume(bus.address());
        EXPECT_TRUE(runUntil(
            context, [&] { return state->calls == 2; }, 1s))
            << "no reload within a second";
    }
    g_main_context_unref(context);
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

}  // namespace
}  // namespace qb::test
