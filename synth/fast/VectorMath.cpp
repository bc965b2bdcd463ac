// Chooses the widest SLEEF implementation the CPU (and the operating system) supports.
#include "synth/fast/VectorMath.h"

namespace tarmel::synth {

std::vector<const VectorMath*> supportedVectorMaths() {
    std::vector<const VectorMath*> result{&kSse2VectorMath};
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        result.push_back(&kAvx2VectorMath);
    }
    if (__builtin_cpu_supports("avx512f")) {
        result.push_back(&kAvx512VectorMath);
    }
    return result;
}

const VectorMath& bestVectorMath() {
    static const VectorMath* const best = supportedVectorMaths().back();
    return *best;
}

} // namespace tarmel::synth
