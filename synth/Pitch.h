// The pitch rule shared by the pitch sliders, the generate request and the renderer.
#pragma once

#include <cstdint>

namespace tarmel::synth {

// pitchN = offset + pitch1: the slider value as a 32-bit integer plus pitch1 sign-extended, in
// 32-bit arithmetic, narrowed to 16 bits. Throws OverflowError outside either range.
int16_t pitchWithOffset(int32_t offset, int16_t pitch1);

// A slider value narrowed to a 16-bit pitch. Throws OverflowError outside -32768..32767.
int16_t pitchFromSlider(int32_t value);

} // namespace tarmel::synth
