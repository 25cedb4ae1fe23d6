#include "audio/effect_factory.h"

#include "audio/fx/channel_mix.h"
#include "audio/fx/chorus_fx.h"
#include "audio/fx/compressor.h"
#include "audio/fx/echo_fx.h"
#include "audio/fx/equalizer.h"
#include "audio/fx/flanger_fx.h"
#include "audio/fx/tempo.h"
#include "audio/fx/waves_reverb_fx.h"
#include "nerla.h"

namespace nerla {

std::unique_ptr<CBaseFX> createEffect(int32_t type) {
    switch (type) {
        case NERLA_FX_WAVES_REVERB:
            return std::make_unique<CWaveFX>();
        case NERLA_FX_PARAMEQ:
            return std::make_unique<CEqualizer>();
        case NERLA_FX_CHORUS:
            return std::make_unique<CChorusFX>();
        case NERLA_FX_COMPRESSOR:
            return std::make_unique<CCOMPRESSOR>();
        case NERLA_FX_ECHO:
            return std::make_unique<CEchoFX>();
        case NERLA_FX_FLANGER:
            return std::make_unique<CFLANGERFX>();
        case NERLA_FX_TEMPO:
            return std::make_unique<CTempo>();
        case NERLA_FX_CHANNEL_MIX:
            return std::make_unique<CChannelMix>();
        default:
            return nullptr;
    }
}

}  // namespace nerla
