#include "audio/audio_renderer_factory.h"

#include "audio/desktop_audio_renderer.h"
#include "audio/null_audio_renderer.h"

namespace nerla {

std::unique_ptr<IAudioRenderer2> makeAudioRenderer(int32_t choice) {
    if (choice == kNullAudioRendererChoice) {
        return std::make_unique<INullAudioRenderer>();
    }
    return std::make_unique<IDesktopAudioRenderer>();
}

}  // namespace nerla
