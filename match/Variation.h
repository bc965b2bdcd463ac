// The moves of the search over the control table: a candidate's canonical form (values that
// cannot change what is heard set to their start), random sounds, mutation, crossover and the
// single-value neighbours of a sound.
#pragma once

#include "sound/Controls.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace tarmel::match {

using Random = std::mt19937_64;

// The controls' values in table order: the key under which a candidate is remembered.
using ControlValues = std::array<int16_t, sound::kControlCount>;
ControlValues valuesOf(const sound::Controls& controls);

// The same heard sound with every value that cannot change it at its start value: the offset
// and modulators of an oscillator that does not play, Multiply and Divide of a modulator off.
sound::Controls canonical(sound::Controls controls);

// A sound drawn over the table: pitch 1 near one of pitches (any when empty), oscillator 1
// playing, each other oscillator now and then, a few modulators on.
sound::Controls randomSound(Random& random, const std::vector<int>& pitches, int attack);

// One to three values moved, by a little or anywhere in their range.
sound::Controls mutated(const sound::Controls& from, Random& random);

// Each oscillator's part (play box, offset, modulators) from a or b at random; pitch 1 and the
// envelope from one of them.
sound::Controls crossed(const sound::Controls& a, const sound::Controls& b, Random& random);

// Every sound one small step away from from in one value that can change what is heard.
std::vector<sound::Controls> neighbours(const sound::Controls& from);

// Every setting of one modulator of from: off, and on at each Multiply and Divide.
std::vector<sound::Controls> modulatorSweep(const sound::Controls& from, int oscillator,
                                            int modulator);

} // namespace tarmel::match
