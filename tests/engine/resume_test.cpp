// A resume from sleep, as logind announces it, on a private system bus: a reload date that passed while
// the machine slept is honoured within a second.

#include <gio/gio.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "host/engine/engine.hpp"
#include "probe_widget.hpp"
#include "support/test_support.hpp"

namespace qb::test {
namespace {

using namespace std::chrono_literals;

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
    // A message bus of the test's own, which lets anyone own any name, stands in for the system bus.
    if (g_autofree gchar* daemon = g_find_program_in_path("dbus-daemon"); !daemon)
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/setup.sh installs it)";
    GTestDBus* bus = g_test_dbus_new(G_TEST_DBUS_NONE);
    g_test_dbus_up(bus);
    const std::string address = g_test_dbus_get_bus_address(bus);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);

    GMainContext* context = g_main_context_new();
    {
        MovableClock clock;
        auto state = std::make_shared<ProbeState>();
        state->clock = clock.clock();
        state->reloadAt = [](Date now) { return now.addingTimeInterval(3600); };
        auto settings = quietEngineOptions(clock.clock());
        settings.watchSleep = true;
        engine::Engine engine(context, settings);
        engine.add(probe(state), {});
        ASSERT_TRUE(runUntil(
            context, [&] { return state->calls == 1 && engine.listensForResume(); }, 5s));

        // The machine slept for two hours; the engine's timer has not noticed.
        clock.advance(7200);
        runFor(context, 100ms);
        EXPECT_EQ(state->calls, 1);
        announceResume(address);
        EXPECT_TRUE(runUntil(
            context, [&] { return state->calls == 2; }, 1s))
            << "no reload within a second";
    }
    g_main_context_unref(context);
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    g_test_dbus_stop(bus);
    g_object_unref(bus);
}

}  // namespace
}  // namespace qb::test
