// The renderer's volume percent as an attenuation in hundredths of a decibel.
#pragma once

#include <cmath>
#include <cstdint>

namespace nerla {

// 100 gives 0 (full level), 50 gives -752, 1 gives -5000; below 1, silence.
inline int32_t volumeToHundredthsDb(double percent) {
    if (percent < 1.0) {
        return -10000;
    }
    return static_cast<int32_t>(std::log(percent * 100.0) * 1085.73 - 10000.0);
}

}  // namespace nerla
