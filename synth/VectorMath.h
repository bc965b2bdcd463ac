// Sines, cosines and tangents of whole rows of samples through SLEEF, one implementation per x86-64
// instruction set, the widest the CPU has chosen at run time. SLEEF's 3.5-ulp functions: twice as
// fast as its 1-ulp ones, and far closer to std::sin than the fast generation's margins need
// (the bound holds for arguments up to 1e15; the synthesis stays below 7e9).
#pragma once

#include "Argument.h"

#include <vector>

namespace tarmel::synth {

struct VectorMath {
    const char* name;
    // out[i] = sin(x) with x = argumentAt(a, first + i), for i < count; x is computed with exactly
    // the operations of argumentAt.
    void (*sinAt)(const Argument& a, int first, int count, double* out);
    // The same with the cosine as well.
    void (*sinCosAt)(const Argument& a, int first, int count, double* sinOut, double* cosOut);
    // out[i] = tan(x[i]) for i < count; out may be x.
    void (*tan)(const double* x, double* out, int count);
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
