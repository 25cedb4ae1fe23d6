// Plugins/Velmarc.so, the suite's decoder plug-in: hardware decoder choice
// and audio mixing for the player, a filter-class container for the engine.
#include "velmarc/velmarc.h"

#include "common/plugin_export.h"
#include "nerla_plugin.h"
#include "velmarc/class_table.h"
#include "velmarc/hardware_decoders.h"
#include "velmarc/mix_settings.h"

namespace {

bool isFamily(int32_t decoder) {
    return decoder >= VELMARC_DECODER_SOFTWARE && decoder <= VELMARC_DECODER_QUICKSYNC;
}

}  // namespace

int32_t NERLA_CALL Nerla_CheckHardwareDecoder(int32_t decoder) {
    try {
        return decoder != VELMARC_DECODER_SOFTWARE && isFamily(decoder) &&
                       velmarc::HardwareDecoders::instance().available(
                           static_cast<velmarc::DecoderFamily>(decoder))
                   ? 1
                   : 0;
    } catch (...) {
        return 0;
    }
}

int32_t NERLA_CALL Nerla_EnableHardwareDecoder(int32_t decoder) {
    try {
        if (!isFamily(decoder)) {
            return 0;
        }
        velmarc::HardwareDecoders::instance().prefer(static_cast<velmarc::DecoderFamily>(decoder));
        return 1;
    } catch (...) {
        return 0;
    }
}

int32_t NERLA_CALL Nerla_AUDIODEC_SetConfig(int32_t option, int32_t value) {
    return velmarc::MixSettings::instance().set(option, value) ? 1 : 0;
}

NERLA_PLUGIN_API uintptr_t NERLA_CALL NerlaPlugin(uint32_t query) {
    return query == 4 ? reinterpret_cast<uintptr_t>(velmarc::classTable()) : 0;
}
