// SLEEF's AVX-512F functions over rows; this file alone is compiled for AVX-512F.
#include "synth/fast/VectorMathKernel.h"

#include <sleef.h>

namespace tarmel::synth {

namespace {
struct Avx512 {
    using Reg = __m512d;
    static constexpr int kWidth = 8;
    static Reg load(const double* p) { return _mm512_loadu_pd(p); }
    static void store(double* p, Reg v) { _mm512_storeu_pd(p, v); }
    static Reg broadcast(double v) { return _mm512_set1_pd(v); }
    static Reg add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
    static Reg div(Reg a, Reg b) { return _mm512_div_pd(a, b); }
    static Reg sin(Reg v) { return Sleef_sind8_u35avx512f(v); }
    static Reg tan(Reg v) { return Sleef_tand8_u35avx512f(v); }
    static void sinCos(Reg v, Reg& s, Reg& c) {
        const Sleef___m512d_2 r = Sleef_sincosd8_u35avx512f(v);
        s = r.x;
        c = r.y;
    }
};
} // namespace

const VectorMath kAvx512VectorMath = simd::ArrayMath<Avx512>::table("AVX-512F");

} // namespace tarmel::synth
