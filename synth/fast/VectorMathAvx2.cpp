// The row functions for AVX2 with FMA: this file alone is compiled for those sets. Sines, cosines
// and tangents are FmaTrig's, with SLEEF's for what lies beyond them.
#include "synth/fast/FmaTrig.h"
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
    static Reg sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
    static Reg div(Reg a, Reg b) { return _mm256_div_pd(a, b); }
    static bool allZero(Reg v) {
        return _mm256_movemask_pd(_mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_NEQ_UQ)) == 0;
    }
    static Reg fma(Reg a, Reg b, Reg c) { return _mm256_fmadd_pd(a, b, c); }
    static Reg fnma(Reg a, Reg b, Reg c) { return _mm256_fnmadd_pd(a, b, c); }
    static Reg bitsToSign(Reg v, int bit) {
        const __m256i moved = _mm256_sll_epi64(_mm256_castpd_si256(v), _mm_cvtsi32_si128(63 - bit));
        return _mm256_and_pd(_mm256_castsi256_pd(moved), _mm256_set1_pd(-0.0));
    }
    static Reg xorBits(Reg a, Reg b) { return _mm256_xor_pd(a, b); }
    static Reg select(Reg m, Reg a, Reg b) { return _mm256_blendv_pd(b, a, m); }
    static bool allBelow(Reg x, double limit) {
        const Reg magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x);
        return _mm256_movemask_pd(_mm256_cmp_pd(magnitude, broadcast(limit), _CMP_LT_OQ)) == 0xF;
    }
    static Reg generalSin(Reg v) { return Sleef_sind4_u35avx2(v); }
    static Reg generalTan(Reg v) { return Sleef_tand4_u35avx2(v); }
    static void generalSinCos(Reg v, Reg& s, Reg& c) {
        const Sleef___m256d_2 r = Sleef_sincosd4_u35avx2(v);
        s = r.x;
        c = r.y;
    }
    static Reg sin(Reg v) { return simd::FmaTrig<Avx2>::sin(v); }
    static Reg tan(Reg v) { return simd::FmaTrig<Avx2>::tan(v); }
    static void sinCos(Reg v, Reg& s, Reg& c) { simd::FmaTrig<Avx2>::sinCos(v, s, c); }
};
} // namespace

const VectorMath kAvx2VectorMath = simd::ArrayMath<Avx2>::table("AVX2");

} // namespace tarmel::synth
