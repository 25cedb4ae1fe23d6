// The audio options the player sets (mixing on or off, matrix, layout),
// shared by every audio element of the plug-in in the process.
#pragma once

#include <atomic>
#include <cstdint>

#include "velmarc/mix_matrix.h"

namespace velmarc {

struct MixChoice {
    bool mixing = false;
    MatrixEncoding encoding = MatrixEncoding::None;
    SpeakerLayout layout = SpeakerLayout::Mono;
};

class MixSettings {
  public:
    static MixSettings& instance();

    // Option 1 mixing, 2 matrix index, 3 layout index; false for an unknown
    // option or a value out of its range (the setting stays).
    bool set(int32_t option, int32_t value);

    MixChoice choice() const;
    // Changes with every setting taken, so elements know to renegotiate.
    uint32_t generation() const { return generation_.load(); }

  private:
    std::atomic<bool> mixing_{false};
    std::atomic<int> encoding_{0};
    std::atomic<int> layout_{0};
    std::atomic<uint32_t> generation_{0};
};

}  // namespace velmarc
