#include "frame/geoclue_location.h"

#include <gio/gio.h>

#include <string>

#include "frame/gst_ptr.h"
#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_frame_debug

namespace nerla {
namespace {

constexpr const char* kService = "org.freedesktop.GeoClue2";
constexpr const char* kClientInterface = "org.freedesktop.GeoClue2.Client";
constexpr const char* kLocationInterface = "org.freedesktop.GeoClue2.Location";
constexpr guint32 kAccuracyExact = 8;

using Clock = std::chrono::steady_clock;

class GeoClueSession {
  public:
    GeoClueSession(GDBusConnection* bus, Clock::time_point deadline)
        : bus_(bus), deadline_(deadline) {}

    ~GeoClueSession() {
        if (subscription_) {
            g_dbus_connection_signal_unsubscribe(bus_, subscription_);
        }
        if (started_) {
            call(client_.c_str(), kClientInterface, "Stop", nullptr);
        }
    }

    std::optional<GeoLocation> run() {
        VariantPtr reply = call("/org/freedesktop/GeoClue2/Manager",
                                "org.freedesktop.GeoClue2.Manager", "GetClient", nullptr);
        if (!reply) {
            return std::nullopt;
        }
        const gchar* path = nullptr;
        g_variant_get(reply.get(), "(&o)", &path);
        client_ = path;
        if (!setProperty("DesktopId", g_variant_new_string("corvane")) ||
            !setProperty("RequestedAccuracyLevel", g_variant_new_uint32(kAccuracyExact))) {
            return std::nullopt;
        }
        subscription_ = g_dbus_connection_signal_subscribe(
            bus_, kService, kClientInterface, "LocationUpdated", client_.c_str(), nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, &GeoClueSession::onLocationUpdated, this, nullptr);
        if (!call(client_.c_str(), kClientInterface, "Start", nullptr)) {
            return std::nullopt;
        }
        started_ = true;
        location_ = currentLocationPath();
        while (location_.empty() && Clock::now() < deadline_) {
            g_main_context_iteration(g_main_context_get_thread_default(), FALSE);
            if (location_.empty()) {
                g_usleep(10000);
            }
        }
        if (location_.empty()) {
            return std::nullopt;
        }
        VariantPtr latitude = property(location_, kLocationInterface, "Latitude");
        VariantPtr longitude = property(location_, kLocationInterface, "Longitude");
        if (!latitude || !longitude ||
            !g_variant_is_of_type(latitude.get(), G_VARIANT_TYPE_DOUBLE) ||
            !g_variant_is_of_type(longitude.get(), G_VARIANT_TYPE_DOUBLE)) {
            return std::nullopt;
        }
        return GeoLocation{g_variant_get_double(latitude.get()),
                           g_variant_get_double(longitude.get())};
    }

  private:
    static void onLocationUpdated(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                  const gchar*, GVariant* parameters, gpointer self) {
        const gchar* oldPath = nullptr;
        const gchar* newPath = nullptr;
        if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(oo)"))) {
            g_variant_get(parameters, "(&o&o)", &oldPath, &newPath);
            if (std::string(newPath) != "/") {
                static_cast<GeoClueSession*>(self)->location_ = newPath;
            }
        }
    }

    int remainingMs() const {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
        return left > 1 ? static_cast<int>(left) : 1;
    }

    VariantPtr call(const char* path, const char* interface, const char* method,
                    GVariant* parameters) {
        GError* raw = nullptr;
        VariantPtr reply(g_dbus_connection_call_sync(bus_, kService, path, interface, method,
                                                     parameters, nullptr, G_DBUS_CALL_FLAGS_NONE,
                                                     remainingMs(), nullptr, &raw));
        ErrorPtr error(raw);
        if (error) {
            GST_DEBUG("location service: %s.%s failed: %s", interface, method, error->message);
        }
        return reply;
    }

    bool setProperty(const char* name, GVariant* value) {
        return call(client_.c_str(), "org.freedesktop.DBus.Properties", "Set",
                    g_variant_new("(ssv)", kClientInterface, name, value)) != nullptr;
    }

    VariantPtr property(const std::string& path, const char* interface, const char* name) {
        VariantPtr reply = call(path.c_str(), "org.freedesktop.DBus.Properties", "Get",
                                g_variant_new("(ss)", interface, name));
        if (!reply) {
            return nullptr;
        }
        GVariant* value = nullptr;
        g_variant_get(reply.get(), "(v)", &value);
        return VariantPtr(value);
    }

    std::string currentLocationPath() {
        VariantPtr value = property(client_, kClientInterface, "Location");
        if (!value || !g_variant_is_of_type(value.get(), G_VARIANT_TYPE_OBJECT_PATH)) {
            return {};
        }
        const std::string path = g_variant_get_string(value.get(), nullptr);
        return path == "/" ? std::string() : path;
    }

    GDBusConnection* bus_;
    Clock::time_point deadline_;
    std::string client_;
    std::string location_;
    guint subscription_ = 0;
    bool started_ = false;
};

}  // namespace

std::optional<GeoLocation> queryGeoClueLocation(std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    MainContextPtr context(g_main_context_new());
    g_main_context_push_thread_default(context.get());
    std::optional<GeoLocation> result;
    {
        GError* raw = nullptr;
        GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &raw));
        ErrorPtr error(raw);
        if (bus) {
            result = GeoClueSession(bus.get(), deadline).run();
        } else {
            GST_DEBUG("no system bus: %s", error ? error->message : "?");
        }
    }
    g_main_context_pop_thread_default(context.get());
    return result;
}

}  // namespace nerla
