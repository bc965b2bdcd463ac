// Random and mutate: new sounds drawn from a generator of their own (never the random
// modulator's), seeded from the clock or by the user so that a run can be repeated.
#pragma once

#include "sound/Controls.h"

#include <cstdint>
#include <random>

namespace tarmel::explore {

// How random shapes a sound so that most results are worth hearing.
struct RandomShape {
    // Oscillator 1's pitch stays within the letter keys' range.
    static constexpr int kPitchMin = 65;
    static constexpr int kPitchMax = 277;
    // Oscillators 2 and 3 stay at least this high (their offsets are limited from below).
    static constexpr int kLowestPitch = 20;
    // Modulators switched on in all, each on a heard oscillator and with a multiplier of at
    // least 1 (a multiplier of 0 silences its oscillator).
    static constexpr int kModulatorsOnMin = 1;
    static constexpr int kModulatorsOnMax = 4;
};

// How far mutate goes: at most kMaxChanges values, each by at most its step (and never out of
// its control's range). A box is a change of one: ticked or cleared.
struct MutateLimits {
    static constexpr int kMaxChanges = 3;
    static constexpr int kPitch = 12;     // hertz, oscillator 1
    static constexpr int kOffset = 12;    // hertz, oscillators 2 and 3
    static constexpr int kAttack = 150;   // of 1500
    static constexpr int kMultiplier = 2; // a multiplier bar
    static constexpr int kRatio = 2;      // a ratio bar: one arrow step
};

class Draws {
public:
    explicit Draws(uint64_t seed) : engine_(seed) {}

    // A seed from the clock, for a run that need not be repeated.
    static uint64_t clockSeed();

    // Every control drawn within its range, shaped as RandomShape says: oscillator 1 always
    // plays, oscillators 2 and 3 each play half of the time.
    sound::Controls random();

    // One to MutateLimits::kMaxChanges values of from moved a little (see MutateLimits); never
    // the same sound as from.
    sound::Controls mutate(const sound::Controls& from);

private:
    int uniform(int lo, int hi);

    std::mt19937_64 engine_;
};

} // namespace tarmel::explore
