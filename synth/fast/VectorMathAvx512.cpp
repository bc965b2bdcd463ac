// The row functions for AVX-512F: this file alone is compiled for that set. Sines, cosines and
// tangents are FmaTrig's, with SLEEF's for what lies beyond them.
#include "synth/fast/FmaTrig.h"
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
    static Reg sub(Reg a, Reg b) { return _mm512_sub_pd(a, b); }
    static Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
    static Reg div(Reg a, Reg b) { return _mm512_div_pd(a, b); }
    static bool allZero(Reg v) {
        return _mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_NEQ_UQ) == 0;
    }
    static Reg fma(Reg a, Reg b, Reg c) { return _mm512_fmadd_pd(a, b, c); }
    static Reg fnma(Reg a, Reg b, Reg c) { return _mm512_fnmadd_pd(a, b, c); }
    static Reg bitsToSign(Reg v, int bit) {
        // The zero-masked form: the plain one trips GCC 12's uninitialised-value warning.
        const __m512i moved =
            _mm512_maskz_sll_epi64(0xFF, _mm512_castpd_si512(v), _mm_cvtsi32_si128(63 - bit));
        return _mm512_castsi512_pd(_mm512_and_si512(moved, _mm512_set1_epi64(INT64_MIN)));
    }
    static Reg xorBits(Reg a, Reg b) {
        return _mm512_castsi512_pd(
            _mm512_xor_si512(_mm512_castpd_si512(a), _mm512_castpd_si512(b)));
    }
    static Reg select(Reg m, Reg a, Reg b) {
        const __mmask8 sign =
            _mm512_cmplt_epi64_mask(_mm512_castpd_si512(m), _mm512_setzero_si512());
        return _mm512_mask_blend_pd(sign, b, a);
    }
    static bool allBelow(Reg x, double limit) {
        return _mm512_cmp_pd_mask(_mm512_abs_pd(x), broadcast(limit), _CMP_LT_OQ) == 0xFF;
    }
    static Reg generalSin(Reg v) { return Sleef_sind8_u35avx512f(v); }
    static Reg generalTan(Reg v) { return Sleef_tand8_u35avx512f(v); }
    static void generalSinCos(Reg v, Reg& s, Reg& c) {
        const Sleef___m512d_2 r = Sleef_sincosd8_u35avx512f(v);
        s = r.x;
        c = r.y;
    }
    static Reg sin(Reg v) { return simd::FmaTrig<Avx512>::sin(v); }
    static Reg tan(Reg v) { return simd::FmaTrig<Avx512>::tan(v); }
    static void sinCos(Reg v, Reg& s, Reg& c) { simd::FmaTrig<Avx512>::sinCos(v, s, c); }
};
} // namespace

const VectorMath kAvx512VectorMath = simd::ArrayMath<Avx512>::table("AVX-512F");

} // namespace tarmel::synth
