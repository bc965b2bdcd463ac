// SLEEF's SSE2 functions over rows: the implementation every x86-64 CPU can run.
#include "synth/fast/VectorMathKernel.h"

#include <sleef.h>

namespace tarmel::synth {

namespace {
struct Sse2 {
    using Reg = __m128d;
    static constexpr int kWidth = 2;
    static Reg load(const double* p) { return _mm_loadu_pd(p); }
    static void store(double* p, Reg v) { _mm_storeu_pd(p, v); }
    static Reg broadcast(double v) { return _mm_set1_pd(v); }
    static Reg add(Reg a, Reg b) { return _mm_add_pd(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm_mul_pd(a, b); }
    static Reg div(Reg a, Reg b) { return _mm_div_pd(a, b); }
    static bool allZero(Reg v) { return _mm_movemask_pd(_mm_cmpneq_pd(v, _mm_setzero_pd())) == 0; }
    static Reg sin(Reg v) { return Sleef_sind2_u35sse2(v); }
    static Reg tan(Reg v) { return Sleef_tand2_u35sse2(v); }
    static void sinCos(Reg v, Reg& s, Reg& c) {
        const Sleef___m128d_2 r = Sleef_sincosd2_u35sse2(v);
        s = r.x;
        c = r.y;
    }
};
} // namespace

const VectorMath kSse2VectorMath = simd::ArrayMath<Sse2>::table("SSE2");

} // namespace tarmel::synth
