// Flushes denormal floats to zero while an effect runs: decaying feedback
// paths would otherwise crawl through denormal arithmetic.
#pragma once

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace nerla {

class DenormalGuard {
  public:
#if defined(__SSE__)
    DenormalGuard() : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalGuard() {
        _mm_setcsr(saved_);
    }
#else
    DenormalGuard() = default;
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

  private:
#if defined(__SSE__)
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved_;
#endif
};

}  // namespace nerla
