// The pitch rule: slider offset plus pitch1, in 32 bits, narrowed to 16 bits.
#include "synth/Pitch.h"

#include "synth/CheckedMath.h"

namespace tarmel::synth {

int16_t pitchWithOffset(int32_t offset, int16_t pitch1) {
    const Where where{"pitch from offset slider", -1};
    return narrow16(add32(offset, int32_t{pitch1}, where), where);
}

int16_t pitchFromSlider(int32_t value) {
    return narrow16(value, {"pitch slider", -1});
}

} // namespace tarmel::synth
