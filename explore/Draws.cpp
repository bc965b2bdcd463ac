// The random and mutate draws.
#include "explore/Draws.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace tarmel::explore {

namespace {

// The lowest value of the modulator's multiplier bar, from the control table.
int multiplierMin(std::size_t modulator) {
    const auto k = static_cast<int>(modulator);
    return sound::control(sound::modulatorControl(sound::ControlKind::Multiply,
                                                  k / synth::kModulatorsPerOscillator + 1,
                                                  k % synth::kModulatorsPerOscillator + 1))
        .minimum;
}

std::size_t oscillatorOf(std::size_t modulator) {
    return modulator / synth::kModulatorsPerOscillator;
}

// value moved by delta, kept within lo..hi.
int16_t moved(int value, int delta, int lo, int hi) {
    return static_cast<int16_t>(std::clamp(value + delta, lo, hi));
}

} // namespace

uint64_t Draws::clockSeed() {
    return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
           static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

int Draws::uniform(int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(engine_);
}

sound::Controls Draws::random() {
    sound::Controls s;
    s.pitch1 = static_cast<int16_t>(uniform(RandomShape::kPitchMin, RandomShape::kPitchMax));
    s.play = {true, uniform(0, 1) == 1, uniform(0, 1) == 1};
    for (auto& offset : s.offsets) {
        offset = static_cast<int16_t>(uniform(
            std::max(synth::kOffsetMin, RandomShape::kLowestPitch - s.pitch1), synth::kOffsetMax));
    }
    s.attack = static_cast<int16_t>(uniform(0, synth::kAttackMax));
    for (std::size_t k = 0; k < s.modulators.size(); ++k) {
        auto& m = s.modulators[k];
        m.on = false;
        m.F = static_cast<int16_t>(uniform(multiplierMin(k), synth::kMultiplierMax));
        // The ratio bar's arrows step by 2: the even ratios.
        m.H = static_cast<int16_t>(2 * uniform(synth::kRatioMin / 2, synth::kRatioMax / 2));
    }
    // Switch modulators on among those of the oscillators heard.
    std::vector<std::size_t> heard;
    for (std::size_t k = 0; k < s.modulators.size(); ++k) {
        if (s.play[oscillatorOf(k)]) {
            heard.push_back(k);
        }
    }
    std::shuffle(heard.begin(), heard.end(), engine_);
    const int on = uniform(RandomShape::kModulatorsOnMin, RandomShape::kModulatorsOnMax);
    for (int i = 0; i < on; ++i) {
        auto& m = s.modulators[heard[static_cast<std::size_t>(i)]];
        m.on = true;
        m.F = std::max<int16_t>(m.F, 1);
    }
    return s;
}

sound::Controls Draws::mutate(const sound::Controls& from) {
    // The values worth moving: the pitches heard, the envelope, the bars of the modulators on
    // and, as one value, the box of one modulator of an oscillator heard.
    enum class What { Pitch, Offset, Attack, Multiplier, Ratio, Box };
    struct Value {
        What what;
        std::size_t index;
    };
    std::vector<Value> values{{What::Pitch, 0}, {What::Attack, 0}};
    for (std::size_t j = 1; j < synth::kOscillators; ++j) {
        if (from.play[j]) {
            values.push_back({What::Offset, j - 1});
        }
    }
    std::vector<std::size_t> heard;
    for (std::size_t k = 0; k < from.modulators.size(); ++k) {
        if (!from.play[oscillatorOf(k)]) {
            continue;
        }
        heard.push_back(k);
        if (from.modulators[k].on) {
            values.push_back({What::Multiplier, k});
            values.push_back({What::Ratio, k});
        }
    }
    if (!heard.empty()) {
        values.push_back({What::Box, 0});
    }
    const auto step = [this](int most) {
        const int size = uniform(1, most);
        return uniform(0, 1) == 1 ? size : -size;
    };
    for (;;) {
        sound::Controls s = from;
        std::shuffle(values.begin(), values.end(), engine_);
        const int changes = uniform(1, MutateLimits::kMaxChanges);
        for (int i = 0; i < changes && i < static_cast<int>(values.size()); ++i) {
            const Value v = values[static_cast<std::size_t>(i)];
            switch (v.what) {
            case What::Pitch:
                s.pitch1 =
                    moved(s.pitch1, step(MutateLimits::kPitch), synth::kPitchMin, synth::kPitchMax);
                break;
            case What::Offset:
                s.offsets[v.index] = moved(s.offsets[v.index], step(MutateLimits::kOffset),
                                           synth::kOffsetMin, synth::kOffsetMax);
                break;
            case What::Attack:
                s.attack = moved(s.attack, step(MutateLimits::kAttack), 0, synth::kAttackMax);
                break;
            case What::Multiplier: {
                // A multiplier that was not 0 does not fall to 0, which silences its oscillator.
                auto& m = s.modulators[v.index];
                const int lo =
                    m.F >= 1 ? std::max(1, multiplierMin(v.index)) : multiplierMin(v.index);
                m.F = moved(m.F, step(MutateLimits::kMultiplier), lo, synth::kMultiplierMax);
                break;
            }
            case What::Ratio:
                s.modulators[v.index].H =
                    moved(s.modulators[v.index].H,
                          uniform(0, 1) == 1 ? MutateLimits::kRatio : -MutateLimits::kRatio,
                          synth::kRatioMin, synth::kRatioMax);
                break;
            case What::Box: {
                const std::size_t k =
                    heard[static_cast<std::size_t>(uniform(0, static_cast<int>(heard.size()) - 1))];
                s.modulators[k].on = !s.modulators[k].on;
                break;
            }
            }
        }
        // A value at the end of its range may not move: draw again until something changed.
        if (s != from) {
            return s;
        }
    }
}

} // namespace tarmel::explore
