// Row arithmetic, cloned for AVX-512F, AVX2 and the x86-64 baseline.
#include "RowMath.h"

#include <bit>

namespace tarmel::synth::rows {

#define TARMEL_ROW_CLONES [[gnu::target_clones("avx512f", "avx2", "default")]]

TARMEL_ROW_CLONES
void product(const double* a, const double* b, const Factors& f, double* out, int count) {
    const double* f0 = f[0];
    const double* f1 = f[1];
    const double* f2 = f[2];
    const double* f3 = f[3];
    const double* f4 = f[4];
    for (int i = 0; i < count; ++i) {
        double s = a[i] * b[i];
        s *= f0[i];
        s *= f1[i];
        s *= f2[i];
        s *= f3[i];
        s *= f4[i];
        out[i] = s;
    }
}

TARMEL_ROW_CLONES
void weightedSum(const double* x, double a, const double* y, double b, double* out, int count) {
    for (int i = 0; i < count; ++i) {
        out[i] = x[i] * a + y[i] * b;
    }
}

TARMEL_ROW_CLONES
void multiply(const double* a, const double* b, double* out, int count) {
    for (int i = 0; i < count; ++i) {
        out[i] = a[i] * b[i];
    }
}

// Two loops without branches, so that both vectorise.
TARMEL_ROW_CLONES
bool round(const double* values, double* rounded, double* unusual, int count) {
    for (int i = 0; i < count; ++i) {
        const double v = values[i];
        const double r = roundHalfEven(v);
        rounded[i] = r;
        unusual[i] = (std::fabs(v) < kSafeMagnitude ? 0.0 : 1.0) + (nearTie(v, r) ? 1.0 : 0.0);
    }
    std::uint64_t any = 0;
    for (int i = 0; i < count; ++i) {
        any |= std::bit_cast<std::uint64_t>(unusual[i]);
    }
    return any == 0;
}

TARMEL_ROW_CLONES
void toSamples(const double* rounded, int16_t* out, int count) {
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<int16_t>(rounded[i]);
    }
}

} // namespace tarmel::synth::rows
