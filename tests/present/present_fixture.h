// Channels with the stereoscopic renderer for the presenter tests, and
// reading the presented picture back.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "frame/channel_list.h"
#include "graph/direct_show.h"
#include "graph/playback.h"
#include "nerla.h"
#include "video/presenter/allocator.h"
#include "video/renderer/vmr9_renderer_3d.h"

namespace present {

struct Pixel {
    int r, g, b;
};

inline Pixel pixelAt(const nerla::CAllocator::Picture& picture, int x, int y) {
    const uint8_t* p = picture.rgba.data() + (static_cast<size_t>(y) * picture.width + x) * 4;
    return {p[0], p[1], p[2]};
}

inline bool hasDisplay() {
    const char* headless = std::getenv("NERLA_TEST_HEADLESS");
    return std::getenv("DISPLAY") && !(headless && headless[0] == '1');
}

// The engine started once per suite, with the silent audio renderer.
class PresenterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_NE(Nerla_Init(0, 0), 0);
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, NERLA_AUDIO_RENDERER_NULL);
    }
    static void TearDownTestSuite() { Nerla_Free(); }

    void TearDown() override {
        if (handle_) {
            Nerla_StreamFree(handle_);
        }
    }

    // Opens the side-by-side fixture (left eye red, right eye blue).
    nerla::IVMR9Renderer3D* open(const char* name = "sbs.mp4") {
        handle_ =
            Nerla_StreamCreateFile(playback::fixture(name).c_str(), 0, 0, NERLA_FLAG_SIDE_BY_SIDE);
        if (!handle_) {
            ADD_FAILURE() << "cannot open " << name << ": error " << Nerla_ErrorGetCode();
            return nullptr;
        }
        nerla::IDirectShow* channel = nerla::ChannelList::instance().find(handle_);
        auto* renderer = dynamic_cast<nerla::IVMR9Renderer3D*>(channel->videoRenderer());
        if (!renderer || !renderer->presenter()) {
            ADD_FAILURE() << "the channel has no stereoscopic renderer";
            return nullptr;
        }
        return renderer;
    }

    // Plays until the presenter has shown `frames` more frames, then pauses.
    bool playFrames(nerla::CAllocator& presenter, uint64_t frames) {
        const uint64_t start = presenter.framesPresented();
        if (!Nerla_ChannelPlay(handle_)) {
            return false;
        }
        const bool shown =
            playback::pumpUntil([&] { return presenter.framesPresented() >= start + frames; });
        return Nerla_ChannelPause(handle_) != 0 && shown;
    }

    NerlaHandle handle_ = 0;
};

}  // namespace present
