// Two complex values per register; baseline on x86-64.
#include "dspFFTKernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace corvane::dsp::kernels {
namespace {

// [re0 im0 re1 im1] -> [im0 re0 im1 re1]
inline __m128 swapPairs(__m128 z) {
    return _mm_shuffle_ps(z, z, _MM_SHUFFLE(2, 3, 0, 1));
}

const __m128 kNegRe = _mm_castsi128_ps(_mm_set_epi32(0, INT32_MIN, 0, INT32_MIN));

// i z = (-im, re)
inline __m128 timesI(__m128 z) {
    return _mm_xor_ps(swapPairs(z), kNegRe);
}

inline __m128 mul(__m128 z, __m128 w) {
    const __m128 wr = _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 0, 0));
    const __m128 wi = _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 1, 1));
    return _mm_add_ps(_mm_mul_ps(z, wr), _mm_xor_ps(_mm_mul_ps(swapPairs(z), wi), kNegRe));
}

inline __m128 mulConj(__m128 z, __m128 w) {
    const __m128 wr = _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 0, 0));
    const __m128 wi = _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 1, 1));
    return _mm_sub_ps(_mm_mul_ps(z, wr), _mm_xor_ps(_mm_mul_ps(swapPairs(z), wi), kNegRe));
}

inline __m128 load(const TComplex* p) {
    return _mm_loadu_ps(&p->re);
}
inline void store(TComplex* p, __m128 v) {
    _mm_storeu_ps(&p->re, v);
}

void forwardPass(TComplex* p, const TComplex* w, int q) {
    int i = 0;
    for (; i + 2 <= q; i += 2) {
        const __m128 a = load(p + i), b = load(p + i + q);
        const __m128 c = load(p + i + 2 * q), d = load(p + i + 3 * q);
        store(p + i, _mm_add_ps(a, c));
        store(p + i + q, _mm_add_ps(b, d));
        const __m128 t1 = _mm_sub_ps(a, c);
        const __m128 it2 = timesI(_mm_sub_ps(b, d));
        const __m128 wi = load(w + i);
        store(p + i + 2 * q, mul(_mm_add_ps(t1, it2), wi));
        store(p + i + 3 * q, mulConj(_mm_sub_ps(t1, it2), wi));
    }
    ForwardPassRange(p, w, q, i);
}

void inversePass(TComplex* p, const TComplex* w, int q) {
    int i = 0;
    for (; i + 2 <= q; i += 2) {
        const __m128 e0 = load(p + i), e1 = load(p + i + q);
        const __m128 wi = load(w + i);
        const __m128 a = mulConj(load(p + i + 2 * q), wi);
        const __m128 b = mul(load(p + i + 3 * q), wi);
        const __m128 s = _mm_add_ps(a, b);
        const __m128 id = timesI(_mm_sub_ps(a, b));
        store(p + i, _mm_add_ps(e0, s));
        store(p + i + 2 * q, _mm_sub_ps(e0, s));
        store(p + i + q, _mm_sub_ps(e1, id));
        store(p + i + 3 * q, _mm_add_ps(e1, id));
    }
    InversePassRange(p, w, q, i);
}

void scale(TComplex* p, int n, float factor) {
    float* f = &p[0].re;
    const __m128 k = _mm_set1_ps(factor);
    int i = 0;
    for (; i + 4 <= 2 * n; i += 4) {
        _mm_storeu_ps(f + i, _mm_mul_ps(_mm_loadu_ps(f + i), k));
    }
    for (; i < 2 * n; ++i) {
        f[i] *= factor;
    }
}

const KernelSet kSse2{"sse2", forwardPass, inversePass, scale};

}  // namespace

const KernelSet* Sse2Kernels() {
    return &kSse2;
}

}  // namespace corvane::dsp::kernels

#else

namespace corvane::dsp::kernels {
const KernelSet* Sse2Kernels() {
    return nullptr;
}
}  // namespace corvane::dsp::kernels

#endif
