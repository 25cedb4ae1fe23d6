// Split-radix kernels behind TDCFFT, one set per instruction set.
#pragma once

#include "dspFastFourier.h"

namespace corvane::dsp::kernels {

// w^n = e^(+2 pi i n/N) for n = 0..N/4-1, per size N >= 8.
const TComplex* Twiddles(int n);

// One combining pass over a block of n points (n >= 8).
using PassFn = void (*)(TComplex* p, const TComplex* w, int quarter);

struct KernelSet {
    const char* name;
    PassFn forwardPass;
    PassFn inversePass;
    void (*scale)(TComplex* p, int n, float factor);
};

const KernelSet& ScalarKernels();
// The scalar passes from index begin on; vector sets finish with them.
void ForwardPassRange(TComplex* p, const TComplex* w, int quarter, int begin);
void InversePassRange(TComplex* p, const TComplex* w, int quarter, int begin);

const KernelSet* Sse2Kernels();  // null where the build has no SSE2
const KernelSet* AvxKernels();   // null where the processor lacks AVX2 and FMA

// The fastest set this processor runs, picked once.
const KernelSet& ActiveKernels();

// Forward kernel: natural order in, unordered layout out. Inverse: the mirror.
void Forward(const KernelSet& set, TComplex* p, int n);
void Inverse(const KernelSet& set, TComplex* p, int n);

}  // namespace corvane::dsp::kernels
