#include "dspFFTKernels.h"

#include <cmath>
#include <vector>

namespace corvane::dsp::kernels {
namespace {

class TwiddleTables {
  public:
    TwiddleTables() {
        for (int n = 8; n <= kMaxFFTSize; n *= 2) {
            std::vector<TComplex>& w = tables_[index(n)];
            w.resize(n / 4);
            for (int i = 0; i < n / 4; ++i) {
                const double angle = 2.0 * M_PI * i / n;
                w[i] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
            }
        }
    }
    const TComplex* table(int n) const { return tables_[index(n)].data(); }

  private:
    static int index(int n) { return __builtin_ctz(static_cast<unsigned>(n)) - 3; }
    std::vector<TComplex> tables_[11];
};

}  // namespace

void ForwardPassRange(TComplex* p, const TComplex* w, int q, int begin) {
    for (int i = begin; i < q; ++i) {
        const TComplex a = p[i], b = p[i + q], c = p[i + 2 * q], d = p[i + 3 * q];
        p[i] = {a.re + c.re, a.im + c.im};
        p[i + q] = {b.re + d.re, b.im + d.im};
        const TComplex t1{a.re - c.re, a.im - c.im};
        const TComplex t2{b.re - d.re, b.im - d.im};
        const TComplex z3{t1.re - t2.im, t1.im + t2.re};  // t1 + i t2
        const TComplex z4{t1.re + t2.im, t1.im - t2.re};  // t1 - i t2
        const TComplex wi = w[i];
        p[i + 2 * q] = {z3.re * wi.re - z3.im * wi.im, z3.re * wi.im + z3.im * wi.re};
        p[i + 3 * q] = {z4.re * wi.re + z4.im * wi.im, z4.im * wi.re - z4.re * wi.im};
    }
}

void InversePassRange(TComplex* p, const TComplex* w, int q, int begin) {
    for (int i = begin; i < q; ++i) {
        const TComplex e0 = p[i], e1 = p[i + q], z1 = p[i + 2 * q], z3 = p[i + 3 * q];
        const TComplex wi = w[i];
        const TComplex a{z1.re * wi.re + z1.im * wi.im, z1.im * wi.re - z1.re * wi.im};
        const TComplex b{z3.re * wi.re - z3.im * wi.im, z3.re * wi.im + z3.im * wi.re};
        const TComplex s{a.re + b.re, a.im + b.im};
        const TComplex d{a.re - b.re, a.im - b.im};
        p[i] = {e0.re + s.re, e0.im + s.im};
        p[i + 2 * q] = {e0.re - s.re, e0.im - s.im};
        p[i + q] = {e1.re + d.im, e1.im - d.re};      // e1 - i d
        p[i + 3 * q] = {e1.re - d.im, e1.im + d.re};  // e1 + i d
    }
}

namespace {

void forwardPass(TComplex* p, const TComplex* w, int q) {
    ForwardPassRange(p, w, q, 0);
}
void inversePass(TComplex* p, const TComplex* w, int q) {
    InversePassRange(p, w, q, 0);
}

void scale(TComplex* p, int n, float factor) {
    float* f = &p[0].re;
    for (int i = 0; i < 2 * n; ++i) {
        f[i] *= factor;
    }
}

inline void butterfly2(TComplex* p) {
    const TComplex a = p[0], b = p[1];
    p[0] = {a.re + b.re, a.im + b.im};
    p[1] = {a.re - b.re, a.im - b.im};
}

// Size 4 forward: X0, X2, X1, X3. The inverse takes the same layout.
inline void forward4(TComplex* p) {
    const TComplex a = p[0], b = p[1], c = p[2], d = p[3];
    const TComplex s0{a.re + c.re, a.im + c.im}, s1{b.re + d.re, b.im + d.im};
    const TComplex t1{a.re - c.re, a.im - c.im}, t2{b.re - d.re, b.im - d.im};
    p[0] = {s0.re + s1.re, s0.im + s1.im};
    p[1] = {s0.re - s1.re, s0.im - s1.im};
    p[2] = {t1.re - t2.im, t1.im + t2.re};
    p[3] = {t1.re + t2.im, t1.im - t2.re};
}

inline void inverse4(TComplex* p) {
    const TComplex x0 = p[0], x2 = p[1], x1 = p[2], x3 = p[3];
    const TComplex e0{x0.re + x2.re, x0.im + x2.im}, e1{x0.re - x2.re, x0.im - x2.im};
    const TComplex s{x1.re + x3.re, x1.im + x3.im}, d{x1.re - x3.re, x1.im - x3.im};
    p[0] = {e0.re + s.re, e0.im + s.im};
    p[2] = {e0.re - s.re, e0.im - s.im};
    p[1] = {e1.re + d.im, e1.im - d.re};
    p[3] = {e1.re - d.im, e1.im + d.re};
}

const TComplex kEighth[2] = {{1.0f, 0.0f}, {0.70710678f, 0.70710678f}};

inline void forward8(TComplex* p) {
    ForwardPassRange(p, kEighth, 2, 0);
    butterfly2(p + 4);
    butterfly2(p + 6);
    forward4(p);
}

inline void inverse8(TComplex* p) {
    inverse4(p);
    butterfly2(p + 4);
    butterfly2(p + 6);
    InversePassRange(p, kEighth, 2, 0);
}

const KernelSet kScalar{"scalar", forwardPass, inversePass, scale};

const TwiddleTables& twiddleTables() {
    static const TwiddleTables tables;
    return tables;
}

void forward(const KernelSet& set, const TwiddleTables& tw, TComplex* p, int n) {
    switch (n) {
        case 1:
            return;
        case 2:
            butterfly2(p);
            return;
        case 4:
            forward4(p);
            return;
        case 8:
            forward8(p);
            return;
        default:
            set.forwardPass(p, tw.table(n), n / 4);
            forward(set, tw, p + n / 2, n / 4);
            forward(set, tw, p + 3 * n / 4, n / 4);
            forward(set, tw, p, n / 2);
    }
}

void inverse(const KernelSet& set, const TwiddleTables& tw, TComplex* p, int n) {
    switch (n) {
        case 1:
            return;
        case 2:
            butterfly2(p);
            return;
        case 4:
            inverse4(p);
            return;
        case 8:
            inverse8(p);
            return;
        default:
            inverse(set, tw, p, n / 2);
            inverse(set, tw, p + n / 2, n / 4);
            inverse(set, tw, p + 3 * n / 4, n / 4);
            set.inversePass(p, tw.table(n), n / 4);
    }
}

}  // namespace

const TComplex* Twiddles(int n) {
    return twiddleTables().table(n);
}

const KernelSet& ScalarKernels() {
    return kScalar;
}

const KernelSet& ActiveKernels() {
    static const KernelSet& active = []() -> const KernelSet& {
        if (const KernelSet* avx = AvxKernels()) {
            return *avx;
        }
        if (const KernelSet* sse = Sse2Kernels()) {
            return *sse;
        }
        return kScalar;
    }();
    return active;
}

void Forward(const KernelSet& set, TComplex* p, int n) {
    forward(set, twiddleTables(), p, n);
}

void Inverse(const KernelSet& set, TComplex* p, int n) {
    inverse(set, twiddleTables(), p, n);
}

}  // namespace corvane::dsp::kernels
