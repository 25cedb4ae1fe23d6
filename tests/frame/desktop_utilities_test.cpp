// Utilities that talk to the desktop: XRandR monitors on the private Xvfb,
// and the location through a GeoClue service on a private bus.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "nerla.h"

namespace {

TEST(Monitors, XvfbHasOneScreenSizedMonitor) {
    if (!std::getenv("DISPLAY")) {
        GTEST_SKIP() << "headless run";
    }
    EXPECT_EQ(Nerla_GetMonitorsCount(), 1);
    NerlaRect rect{-1, -1, -1, -1};
    EXPECT_NE(Nerla_GetMonitorRect(1, &rect), 0);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 1280);
    EXPECT_EQ(rect.bottom, 1024);
    for (int outside : {0, 2, -1}) {
        NerlaRect untouched{5, 6, 7, 8};
        EXPECT_NE(Nerla_GetMonitorRect(outside, &untouched), 0);
        EXPECT_EQ(untouched.left, 5);
        EXPECT_EQ(untouched.bottom, 8);
    }
}

constexpr const char* kIntrospection = R"(<node>
  <interface name="org.freedesktop.GeoClue2.Manager">
    <method name="GetClient"><arg type="o" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.GeoClue2.Client">
    <method name="Start"/>
    <method name="Stop"/>
    <property name="Location" type="o" access="read"/>
    <property name="DesktopId" type="s" access="readwrite"/>
    <property name="RequestedAccuracyLevel" type="u" access="readwrite"/>
    <signal name="LocationUpdated"><arg type="o"/><arg type="o"/></signal>
  </interface>
  <interface name="org.freedesktop.GeoClue2.Location">
    <property name="Latitude" type="d" access="read"/>
    <property name="Longitude" type="d" access="read"/>
  </interface>
</node>)";

constexpr const char* kClientPath = "/org/freedesktop/GeoClue2/Client/1";
constexpr const char* kLocationPath = "/org/freedesktop/GeoClue2/Location/1";

// A minimal GeoClue service: hands out one client whose Start reports a
// fixed location through LocationUpdated.
class FakeGeoClue {
  public:
    FakeGeoClue() {
        context_ = g_main_context_new();
        loop_ = g_main_loop_new(context_, FALSE);
        thread_ = std::thread([this] { run(); });
        while (!ready_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~FakeGeoClue() {
        g_main_loop_quit(loop_);
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
    }
    bool started() const { return started_.load(); }
    std::string desktopId() const { return desktopId_; }

  private:
    void run() {
        g_main_context_push_thread_default(context_);
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            std::getenv("DBUS_SESSION_BUS_ADDRESS"),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        static const GDBusInterfaceVTable vtable = {
            &FakeGeoClue::onCall, &FakeGeoClue::onGet, &FakeGeoClue::onSet, {}};
        g_dbus_connection_register_object(bus, "/org/freedesktop/GeoClue2/Manager",
                                          node->interfaces[0], &vtable, this, nullptr, nullptr);
        g_dbus_connection_register_object(bus, kClientPath, node->interfaces[1], &vtable, this,
                                          nullptr, nullptr);
        g_dbus_connection_register_object(bus, kLocationPath, node->interfaces[2], &vtable, this,
                                          nullptr, nullptr);
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", "org.freedesktop.GeoClue2", 0u), nullptr,
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (reply) {
            g_variant_unref(reply);
        }
        ready_.store(true);
        g_main_loop_run(loop_);
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
        g_dbus_node_info_unref(node);
        g_main_context_pop_thread_default(context_);
    }

    static void onCall(GDBusConnection* bus, const gchar*, const gchar*, const gchar*,
                       const gchar* method, GVariant*, GDBusMethodInvocation* invocation,
                       gpointer self) {
        auto* fake = static_cast<FakeGeoClue*>(self);
        const std::string name = method;
        if (name == "GetClient") {
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", kClientPath));
            return;
        }
        if (name == "Start") {
            fake->started_.store(true);
            g_dbus_method_invocation_return_value(invocation, nullptr);
            g_dbus_connection_emit_signal(bus, nullptr, kClientPath,
                                          "org.freedesktop.GeoClue2.Client", "LocationUpdated",
                                          g_variant_new("(oo)", "/", kLocationPath), nullptr);
            return;
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    static GVariant* onGet(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                           const gchar* property, GError**, gpointer self) {
        const std::string name = property;
        if (name == "Latitude") {
            return g_variant_new_double(48.137);
        }
        if (name == "Longitude") {
            return g_variant_new_double(11.575);
        }
        if (name == "Location") {
            return g_variant_new_object_path("/");  // no fix until Start
        }
        if (name == "DesktopId") {
            return g_variant_new_string(static_cast<FakeGeoClue*>(self)->desktopId_.c_str());
        }
        return g_variant_new_uint32(0);
    }

    static gboolean onSet(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                          const gchar* property, GVariant* value, GError**, gpointer self) {
        if (std::string(property) == "DesktopId") {
            static_cast<FakeGeoClue*>(self)->desktopId_ = g_variant_get_string(value, nullptr);
        }
        return TRUE;
    }

    GMainContext* context_;
    GMainLoop* loop_;
    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> started_{false};
    std::string desktopId_;
};

class Location : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        // The session bus stands in for the system bus.
        setenv("DBUS_SYSTEM_BUS_ADDRESS", std::getenv("DBUS_SESSION_BUS_ADDRESS"), 1);
    }
};

TEST_F(Location, NoServiceGivesZeroQuickly) {
    double where[2] = {5.0, 5.0};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Nerla_GetGPSLocation(where), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(where[0], -1.0);
    EXPECT_EQ(where[1], -1.0);
    EXPECT_EQ(Nerla_GetGPSLocation(nullptr), 0);
}

TEST_F(Location, ReportFromTheService) {
    FakeGeoClue service;
    double where[2] = {0.0, 0.0};
    ASSERT_EQ(Nerla_GetGPSLocation(where), 1);
    EXPECT_TRUE(service.started());
    EXPECT_EQ(service.desktopId(), "corvane");
    EXPECT_DOUBLE_EQ(where[0], 11.575);  // longitude first
    EXPECT_DOUBLE_EQ(where[1], 48.137);
}

}  // namespace
