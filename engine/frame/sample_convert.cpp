#include "frame/sample_convert.h"

#include <atomic>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#define NERLA_HAVE_SSE2 1
#endif

namespace nerla {
namespace {

template <typename T>
T saturate(double value, double low, double high) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= low) {
        return static_cast<T>(low);
    }
    if (value >= high) {
        return static_cast<T>(high);
    }
    return static_cast<T>(value);  // truncates toward zero
}

int32_t read24(const uint8_t* p) {
    int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
    return (v & 0x800000) ? v - 0x1000000 : v;
}

void write24(uint8_t* p, int32_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    p[2] = static_cast<uint8_t>((v >> 16) & 0xFF);
}

std::atomic<ConversionRoutine> selected{ConversionRoutine::Plain};

}  // namespace

void int2FloatReference(const void* source, float* destination, uint32_t count, int bytes) {
    const auto* in = static_cast<const uint8_t*>(source);
    for (uint32_t i = 0; i < count; ++i) {
        switch (bytes) {
            case 1:
                destination[i] = static_cast<float>((in[i] - 128) / 128.0);
                break;
            case 2: {
                int16_t s;
                std::memcpy(&s, in + 2 * i, 2);
                destination[i] = static_cast<float>(s / 32768.0);
                break;
            }
            case 3:
                destination[i] = static_cast<float>(read24(in + 3 * i) / 8388608.0);
                break;
            case 4: {
                int32_t s;
                std::memcpy(&s, in + 4 * i, 4);
                destination[i] = static_cast<float>(s / 2147483648.0);
                break;
            }
            default:
                return;
        }
    }
}

void float2IntReference(const float* source, void* destination, uint32_t count, int bytes) {
    auto* out = static_cast<uint8_t*>(destination);
    for (uint32_t i = 0; i < count; ++i) {
        const double x = source[i];
        switch (bytes) {
            case 1:
                out[i] = static_cast<uint8_t>(saturate<int32_t>(x * 128.0, -128, 127) + 128);
                break;
            case 2: {
                const int16_t v = saturate<int16_t>(x * 32768.0, -32768, 32767);
                std::memcpy(out + 2 * i, &v, 2);
                break;
            }
            case 3:
                write24(out + 3 * i, saturate<int32_t>(x * 8388608.0 + 0.5, -8388608, 8388607));
                break;
            case 4: {
                const int32_t v =
                    saturate<int32_t>(x * 2147483648.0 + 0.5, -2147483648.0, 2147483647.0);
                std::memcpy(out + 4 * i, &v, 4);
                break;
            }
            default:
                return;
        }
    }
}

#ifdef NERLA_HAVE_SSE2

void int2FloatSse2(const void* source, float* destination, uint32_t count, int bytes) {
    uint32_t i = 0;
    if (bytes == 2) {
        const auto* in = static_cast<const int16_t*>(source);
        const __m128 scale = _mm_set1_ps(1.0f / 32768.0f);
        for (; i + 8 <= count; i += 8) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            const __m128i lo = _mm_srai_epi32(_mm_unpacklo_epi16(s, s), 16);
            const __m128i hi = _mm_srai_epi32(_mm_unpackhi_epi16(s, s), 16);
            _mm_storeu_ps(destination + i, _mm_mul_ps(_mm_cvtepi32_ps(lo), scale));
            _mm_storeu_ps(destination + i + 4, _mm_mul_ps(_mm_cvtepi32_ps(hi), scale));
        }
        int2FloatReference(in + i, destination + i, count - i, bytes);
        return;
    }
    if (bytes == 4) {
        const auto* in = static_cast<const int32_t*>(source);
        const __m128 scale = _mm_set1_ps(1.0f / 2147483648.0f);
        for (; i + 4 <= count; i += 4) {
            const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            _mm_storeu_ps(destination + i, _mm_mul_ps(_mm_cvtepi32_ps(s), scale));
        }
        int2FloatReference(in + i, destination + i, count - i, bytes);
        return;
    }
    int2FloatReference(source, destination, count, bytes);
}

void float2IntSse2(const float* source, void* destination, uint32_t count, int bytes) {
    uint32_t i = 0;
    if (bytes == 2) {
        auto* out = static_cast<int16_t*>(destination);
        const __m128 scale = _mm_set1_ps(32768.0f);
        const __m128 low = _mm_set1_ps(-32768.0f);
        const __m128 high = _mm_set1_ps(32767.0f);
        for (; i + 8 <= count; i += 8) {
            __m128 a = _mm_loadu_ps(source + i);
            __m128 b = _mm_loadu_ps(source + i + 4);
            a = _mm_and_ps(a, _mm_cmpord_ps(a, a));  // NaN gives 0
            b = _mm_and_ps(b, _mm_cmpord_ps(b, b));
            a = _mm_min_ps(_mm_max_ps(_mm_mul_ps(a, scale), low), high);
            b = _mm_min_ps(_mm_max_ps(_mm_mul_ps(b, scale), low), high);
            const __m128i packed = _mm_packs_epi32(_mm_cvttps_epi32(a), _mm_cvttps_epi32(b));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
        }
        float2IntReference(source + i, out + i, count - i, bytes);
        return;
    }
    float2IntReference(source, destination, count, bytes);
}

ConversionRoutine detectConversionRoutine() {
    return __builtin_cpu_supports("sse2") ? ConversionRoutine::Sse2 : ConversionRoutine::Plain;
}

#else

void int2FloatSse2(const void* source, float* destination, uint32_t count, int bytes) {
    int2FloatReference(source, destination, count, bytes);
}
void float2IntSse2(const float* source, void* destination, uint32_t count, int bytes) {
    float2IntReference(source, destination, count, bytes);
}
ConversionRoutine detectConversionRoutine() {
    return ConversionRoutine::Plain;
}

#endif

void selectConversionRoutine(ConversionRoutine routine) {
    selected.store(routine);
}
ConversionRoutine selectedConversionRoutine() {
    return selected.load();
}

void int2Float(const void* source, float* destination, uint32_t count, int bytes) {
    if (selected.load(std::memory_order_relaxed) == ConversionRoutine::Sse2) {
        int2FloatSse2(source, destination, count, bytes);
    } else {
        int2FloatReference(source, destination, count, bytes);
    }
}

void float2Int(const float* source, void* destination, uint32_t count, int bytes) {
    if (selected.load(std::memory_order_relaxed) == ConversionRoutine::Sse2) {
        float2IntSse2(source, destination, count, bytes);
    } else {
        float2IntReference(source, destination, count, bytes);
    }
}

}  // namespace nerla
