// Signals and helpers shared by the sound layer's tests.
#pragma once

#include "SoundOutput.h"

#include <cstdint>
#include <vector>

namespace tarmel::audio::test {

// One second of samples that differ from buffer to buffer and are never zero, so the start of a
// signal can be found in silence. Three of them sum without clamping.
inline std::vector<int16_t> testSignal(int seed) {
    std::vector<int16_t> s(kBufferFrames);
    for (int i = 0; i < kBufferFrames; ++i) {
        const int v = (i * (37 + 2 * seed) + seed * 1009) % 16001 - 8000;
        s[i] = static_cast<int16_t>(v == 0 ? 1 : v);
    }
    return s;
}

inline std::vector<int16_t> silence(int frames) {
    return std::vector<int16_t>(frames, 0);
}

// a followed by b.
inline std::vector<int16_t> joined(std::vector<int16_t> a, const std::vector<int16_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace tarmel::audio::test
