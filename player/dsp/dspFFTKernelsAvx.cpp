// Four complex values per register, with fused multiply-add; chosen at run
// time on processors with AVX2 and FMA.
#include "dspFFTKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#define NERLA_AVX __attribute__((target("avx2,fma")))

namespace corvane::dsp::kernels {
namespace {

NERLA_AVX inline __m256 swapPairs(__m256 z) {
    return _mm256_permute_ps(z, _MM_SHUFFLE(2, 3, 0, 1));
}

// i z = (-im, re): addsub of zero and the swapped pairs gives (-im, +re)
NERLA_AVX inline __m256 timesI(__m256 z) {
    return _mm256_addsub_ps(_mm256_setzero_ps(), swapPairs(z));
}

// z w: re = z.re w.re - z.im w.im, im = z.im w.re + z.re w.im
NERLA_AVX inline __m256 mul(__m256 z, __m256 w) {
    return _mm256_fmaddsub_ps(z, _mm256_moveldup_ps(w),
                              _mm256_mul_ps(swapPairs(z), _mm256_movehdup_ps(w)));
}

NERLA_AVX inline __m256 mulConj(__m256 z, __m256 w) {
    return _mm256_fmsubadd_ps(z, _mm256_moveldup_ps(w),
                              _mm256_mul_ps(swapPairs(z), _mm256_movehdup_ps(w)));
}

NERLA_AVX inline __m256 load(const TComplex* p) {
    return _mm256_loadu_ps(&p->re);
}
NERLA_AVX inline void store(TComplex* p, __m256 v) {
    _mm256_storeu_ps(&p->re, v);
}

NERLA_AVX void forwardPass(TComplex* p, const TComplex* w, int q) {
    int i = 0;
    for (; i + 4 <= q; i += 4) {
        const __m256 a = load(p + i), b = load(p + i + q);
        const __m256 c = load(p + i + 2 * q), d = load(p + i + 3 * q);
        store(p + i, _mm256_add_ps(a, c));
        store(p + i + q, _mm256_add_ps(b, d));
        const __m256 t1 = _mm256_sub_ps(a, c);
        const __m256 it2 = timesI(_mm256_sub_ps(b, d));
        const __m256 wi = load(w + i);
        store(p + i + 2 * q, mul(_mm256_add_ps(t1, it2), wi));
        store(p + i + 3 * q, mulConj(_mm256_sub_ps(t1, it2), wi));
    }
    ForwardPassRange(p, w, q, i);
}

NERLA_AVX void inversePass(TComplex* p, const TComplex* w, int q) {
    int i = 0;
    for (; i + 4 <= q; i += 4) {
        const __m256 e0 = load(p + i), e1 = load(p + i + q);
        const __m256 wi = load(w + i);
        const __m256 a = mulConj(load(p + i + 2 * q), wi);
        const __m256 b = mul(load(p + i + 3 * q), wi);
        const __m256 s = _mm256_add_ps(a, b);
        const __m256 id = timesI(_mm256_sub_ps(a, b));
        store(p + i, _mm256_add_ps(e0, s));
        store(p + i + 2 * q, _mm256_sub_ps(e0, s));
        store(p + i + q, _mm256_sub_ps(e1, id));
        store(p + i + 3 * q, _mm256_add_ps(e1, id));
    }
    InversePassRange(p, w, q, i);
}

NERLA_AVX void scale(TComplex* p, int n, float factor) {
    float* f = &p[0].re;
    const __m256 k = _mm256_set1_ps(factor);
    int i = 0;
    for (; i + 8 <= 2 * n; i += 8) {
        _mm256_storeu_ps(f + i, _mm256_mul_ps(_mm256_loadu_ps(f + i), k));
    }
    for (; i < 2 * n; ++i) {
        f[i] *= factor;
    }
}

const KernelSet kAvx{"avx2+fma", forwardPass, inversePass, scale};

}  // namespace

const KernelSet* AvxKernels() {
    static const bool supported = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return supported ? &kAvx : nullptr;
}

}  // namespace corvane::dsp::kernels

#else

namespace corvane::dsp::kernels {
const KernelSet* AvxKernels() {
    return nullptr;
}
}  // namespace corvane::dsp::kernels

#endif
