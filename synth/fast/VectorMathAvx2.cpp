// SLEEF's AVX2 functions over rows; this file alone is compiled for AVX2 and FMA.
#include "synth/fast/VectorMathKernel.h"

#include <sleef.h>

namespace tarmel::synth {

namespace {
struct Avx2 {
    using Reg = __m256d;
    static constexpr int kWidth = 4;
    static Reg load(const double* p) { return _mm256_loadu_pd(p); }
    static void store(double* p, Reg v) { _mm256_storeu_pd(p, v); }
    static Reg broadcast(double v) { return _mm256_set1_pd(v); }
    static Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
    static Reg div(Reg a, Reg b) { return _mm256_div_pd(a, b); }
    static Reg sin(Reg v) { return Sleef_sind4_u35avx2(v); }
    static Reg tan(Reg v) { return Sleef_tand4_u35avx2(v); }
    static void sinCos(Reg v, Reg& s, Reg& c) {
        const Sleef___m256d_2 r = Sleef_sincosd4_u35avx2(v);
        s = r.x;
        c = r.y;
    }
};
} // namespace

const VectorMath kAvx2VectorMath = simd::ArrayMath<Avx2>::table("AVX2");

} // namespace tarmel::synth
