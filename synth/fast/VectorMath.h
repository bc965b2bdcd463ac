// The fast generation's arithmetic on whole rows of samples, one implementation per x86-64
// instruction set, the widest the CPU has chosen at run time: sines, cosines and tangents
// (FmaTrig's where the set has a fused multiply-add, SLEEF's 3.5-ulp functions otherwise), and the
// plain products and roundings, which are the same IEEE operations in every set. Sines and cosines
// are within 2e-15 of the C library's over the synthesis's arguments (below 7e9), tangents of sines
// within 5e-15: far closer than the fast generation's margins need (FastRounding.h).
#pragma once

#include "synth/Argument.h"

#include <cstdint>
#include <vector>

namespace tarmel::synth {

struct VectorMath {
    const char* name;
    // out[i] = sin(x) with x = argumentAt(a, first + i), for i < count; x is computed with exactly
    // the operations of argumentAt. With need given, out[i] may be 0 instead where need[i] is 0.
    void (*sinAt)(const Argument& a, int first, int count, const double* need, double* out);
    // The same with the cosine as well.
    void (*sinCosAt)(const Argument& a, int first, int count, double* sinOut, double* cosOut);
    // out[i] = tan(x[i]) for i < count; out may be x.
    void (*tan)(const double* x, double* out, int count);

    // out[i] = ((((((a b) f0) f1) f2) f3) f4) with fk = factors[k][i]: envLevel times car times
    // the five outputs, in the program's order. A factor of 1 leaves the product as it is.
    void (*product)(const double* a, const double* b, const double* const* factors, double* out,
                    int count);
    // out[i] = (x[i] a) + (y[i] b).
    void (*weightedSum)(const double* x, double a, const double* y, double b, double* out,
                        int count);
    // out[i] = a[i] b[i].
    void (*multiply)(const double* a, const double* b, double* out, int count);
    // rounded[i] = values[i] rounded half-even; true when every value has a safe magnitude and is
    // clear of a rounding tie, so that the rounded values are final. unusual is working space.
    bool (*round)(const double* values, double* rounded, double* unusual, int count);
    // out[i] = floor(v[i]) for a sine v[i]: -1 below zero, else 0; true when every v[i] is clear
    // of -1, 0 and 1, so that the floors are final. unusual is working space.
    bool (*gate)(const double* v, double* out, double* unusual, int count);
    // out[i] = rounded[i] (an integer of 16 bits) as a sample.
    void (*toSamples)(const double* rounded, int16_t* out, int count);
};

// One implementation per instruction set; each runs only on a CPU that has its set.
extern const VectorMath kSse2VectorMath;
extern const VectorMath kAvx2VectorMath;   // AVX2 and FMA
extern const VectorMath kAvx512VectorMath; // AVX-512F

// Every implementation this CPU can run, narrowest first.
std::vector<const VectorMath*> supportedVectorMaths();

// The widest implementation this CPU can run.
const VectorMath& bestVectorMath();

} // namespace tarmel::synth
