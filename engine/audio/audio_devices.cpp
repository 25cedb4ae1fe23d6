#include "audio/audio_devices.h"

#include "frame/guid.h"
#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_audio_debug

namespace nerla {
namespace {

// The sound server's own name of the device where it has one, so that the
// GUID survives a renamed description.
std::string stableId(GstDevice* device) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(device), "internal-name")) {
        GCharPtr internal;
        gchar* raw = nullptr;
        g_object_get(device, "internal-name", &raw, nullptr);
        internal.reset(raw);
        if (internal && *internal) {
            return internal.get();
        }
    }
    GCharPtr display(gst_device_get_display_name(device));
    return display ? display.get() : "";
}

}  // namespace

std::vector<AudioDevice> listAudioSinks() {
    std::vector<AudioDevice> devices;
    GstPtr<GstDeviceMonitor> monitor(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Audio/Sink", nullptr);
    GList* found = gst_device_monitor_get_devices(monitor.get());
    for (GList* d = found; d; d = d->next) {
        auto* device = GST_DEVICE(d->data);
        GCharPtr name(gst_device_get_display_name(device));
        devices.push_back({name ? name.get() : "", factoryGuid("audio-sink:" + stableId(device)),
                           refGst(device)});
    }
    g_list_free_full(found, gst_object_unref);
    GST_DEBUG("%zu audio outputs", devices.size());
    return devices;
}

}  // namespace nerla
