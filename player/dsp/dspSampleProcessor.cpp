#include "dspSampleProcessor.h"

#include <algorithm>

namespace corvane::dsp {

void TDCSampleProcessor::ForEachChunk(void* buffer, int size, int bits, int channels,
                                      const std::function<void(uint8_t*, int)>& chunk) {
    if (!buffer || size <= 0) {
        return;
    }
    const int frameBytes = bits / 8 * channels;
    const int chunkBytes = fSampleSize > 0 ? fSampleSize * frameBytes : size;
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (int offset = 0; offset < size; offset += chunkBytes) {
        const int length = std::min(chunkBytes, size - offset);
        chunk(bytes + offset, length / frameBytes);
        if (fProcessMessages && fHook) {
            fHook();
        }
    }
}

}  // namespace corvane::dsp
