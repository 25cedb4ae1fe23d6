// Reading and writing one interleaved PCM sample of each format.
#pragma once

#include <cstdint>
#include <cstring>

namespace corvane::dsp::samples {

inline int32_t ReadInt24(const uint8_t* p) {
    const int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
    return (v ^ 0x800000) - 0x800000;
}

inline void WriteInt24(uint8_t* p, int32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}

template <typename T>
inline T Load(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
inline void Save(uint8_t* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

template <typename T>
inline T Clamp(T v, T lo, T hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

}  // namespace corvane::dsp::samples
