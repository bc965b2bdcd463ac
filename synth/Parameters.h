// What one generation reads: pitches, envelope balance and the fifteen modulators' settings.
#pragma once

#include <array>
#include <cstdint>

namespace tarmel::synth {

inline constexpr int kOscillators = 3;
inline constexpr int kModulatorsPerOscillator = 5;
inline constexpr int kModulators = kOscillators * kModulatorsPerOscillator;
inline constexpr int kSampleCount = 44101;   // indices 0..44100 are computed
inline constexpr int kBufferSamples = 44100; // indices 0..44099 are heard
inline constexpr int kSampleRate = 44100;

// Slider ranges of a modulator, the same in every window.
inline constexpr int kMultiplierMin = 0;
inline constexpr int kMultiplierMinSecond = 2; // modulator 2 (index 1) never goes below 2
inline constexpr int kMultiplierMax = 10;
inline constexpr int kRatioMin = 2;
inline constexpr int kRatioMax = 16;
inline constexpr int kStartMultiplier = 2;
inline constexpr int kStartRatio = 2;

inline constexpr int kPitchMin = 1;
inline constexpr int kPitchMax = 1000;
inline constexpr int kOffsetMin = -170;
inline constexpr int kOffsetMax = 170;
inline constexpr int kAttackMax = 1500;
inline constexpr int16_t kStartPitch = 98;

// One modulator: its box (on), its multiplier bar (F) and its ratio bar (H).
struct ModulatorSetting {
    bool on = false;
    int16_t F = kStartMultiplier;
    int16_t H = kStartRatio;

    friend bool operator==(const ModulatorSetting&, const ModulatorSetting&) = default;
};

// The five modulators of one oscillator, indexed 0..4 as on screen "1".."5".
using ModulatorBank = std::array<ModulatorSetting, kModulatorsPerOscillator>;

// A snapshot of everything the sample computation reads.
struct Parameters {
    int16_t pitch1 = kStartPitch;
    int16_t pitch2 = kStartPitch;
    int16_t pitch3 = kStartPitch;
    int16_t attack = 0; // envelope balance a, 0 = pure decay, 1500 = pure attack
    // Oscillator 1's modulators first, then oscillator 2's, then oscillator 3's.
    std::array<ModulatorSetting, kModulators> modulators{};

    ModulatorSetting& modulator(int oscillator, int index) {
        return modulators[static_cast<std::size_t>((oscillator - 1) * kModulatorsPerOscillator +
                                                   index)];
    }
    const ModulatorSetting& modulator(int oscillator, int index) const {
        return modulators[static_cast<std::size_t>((oscillator - 1) * kModulatorsPerOscillator +
                                                   index)];
    }
    friend bool operator==(const Parameters&, const Parameters&) = default;

    void setBank(int oscillator, const ModulatorBank& bank) {
        for (int i = 0; i < kModulatorsPerOscillator; ++i) {
            modulator(oscillator, i) = bank[static_cast<std::size_t>(i)];
        }
    }
};

// One oscillator's samples, indices 0..44100.
using Wave = std::array<int16_t, kSampleCount>;

// wave1, wave2, wave3.
using Waves = std::array<Wave, kOscillators>;

} // namespace tarmel::synth
