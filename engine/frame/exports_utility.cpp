// Stateless helpers: monitors, memory, sample conversion, device type,
// location and the decoder record.
#include <cstdlib>
#include <cstring>
#include <string>

#include "frame/export_guard.h"
#include "frame/geoclue_location.h"
#include "frame/sample_convert.h"
#include "frame/text.h"
#include "frame/x11_display.h"
#include "nerla.h"

using nerla::guarded;

namespace {

constexpr std::chrono::milliseconds kLocationTimeout{3000};

int32_t deviceTypeOf(const std::string& name) {
    const auto contains = [&](const char* word) { return name.find(word) != std::string::npos; };
    if (contains("S/PDIF") || contains("Digital")) {
        return 2;
    }
    if (contains("HDMI") || contains("NVIDIA") || contains("ATI") || contains("AMD")) {
        return 1;
    }
    return 0;
}

}  // namespace

extern "C" {

NERLA_API int32_t NERLA_CALL Nerla_GetMonitorsCount(void) {
    return guarded(0, [] {
        const auto monitors = nerla::X11Display::monitors();
        return monitors ? static_cast<int32_t>(monitors->size()) : 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_GetMonitorRect(int32_t monitor, NerlaRect* rect) {
    return guarded(0, [&] {
        const auto monitors = nerla::X11Display::monitors();
        if (!monitors) {
            return 0;
        }
        if (rect && monitor >= 1 && static_cast<size_t>(monitor) <= monitors->size()) {
            *rect = (*monitors)[static_cast<size_t>(monitor) - 1];
        }
        return 1;
    });
}

NERLA_API void* NERLA_CALL Nerla_AllocMem(uint32_t bytes) {
    return std::malloc(bytes);
}

NERLA_API int32_t NERLA_CALL Nerla_FreeMem(void* block) {
    if (!block) {
        return 0;
    }
    std::free(block);
    return 1;
}

NERLA_API int32_t NERLA_CALL Nerla_Int2Float(const void* source, float* destination, uint32_t count,
                                             int32_t bytesPerSample) {
    if (source && destination) {
        nerla::int2Float(source, destination, count, bytesPerSample);
    }
    return 0;
}

NERLA_API int32_t NERLA_CALL Nerla_Float2Int(const float* source, void* destination, uint32_t count,
                                             int32_t bytesPerSample) {
    if (source && destination) {
        nerla::float2Int(source, destination, count, bytesPerSample);
    }
    return 0;
}

NERLA_API int32_t NERLA_CALL Nerla_GetAudioDeviceType(const void* name, uint32_t encoding) {
    return guarded(0, [&] {
        const auto form = nerla::encodingFromExactForm(encoding);
        if (!form) {
            return -1;
        }
        const auto text = nerla::readText(name, *form);
        return text ? deviceTypeOf(*text) : 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_GetGPSLocation(double* longitudeLatitude) {
    return guarded(0, [&] {
        if (!longitudeLatitude) {
            return 0;
        }
        longitudeLatitude[0] = -1.0;
        longitudeLatitude[1] = -1.0;
        const auto location = nerla::queryGeoClueLocation(kLocationTimeout);
        if (!location) {
            return 0;
        }
        longitudeLatitude[0] = location->longitude;
        longitudeLatitude[1] = location->latitude;
        return 1;
    });
}

NERLA_API void* NERLA_CALL Nerla_CreateDecoder(uint32_t a, uint32_t b) {
    auto* record = static_cast<uint32_t*>(std::malloc(2 * sizeof(uint32_t)));
    if (record) {
        record[0] = b;
        record[1] = a;
    }
    return record;
}

}  // extern "C"
