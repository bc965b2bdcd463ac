// The straightforward evaluation against the values and properties the sound must have.
#include "SynthTestSupport.h"
#include "synth/Errors.h"
#include "synth/Modulators.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarmel::synth {
namespace {

using test::newWaves;
using test::pitches;
using test::withModulators;

Waves& run(const Parameters& p, SynthState& state, Waves& w) {
    generateReference(p, state, w);
    return w;
}

TEST(Envelope, EndsAndMiddleForPureDecayAttackAndBalance) {
    EXPECT_EQ(envelopeLevel(0, 0), 1500);
    EXPECT_EQ(envelopeLevel(0, 1), 1500);
    EXPECT_EQ(envelopeLevel(0, 22050), 1061);
    EXPECT_EQ(envelopeLevel(0, 44099), 0);
    EXPECT_EQ(envelopeLevel(0, 44100), 0);
    EXPECT_EQ(envelopeLevel(1500, 0), 0);
    EXPECT_EQ(envelopeLevel(1500, 22050), 1061);
    EXPECT_EQ(envelopeLevel(1500, 44100), 1500);
    EXPECT_EQ(envelopeLevel(750, 0), 750);
    EXPECT_EQ(envelopeLevel(750, 22050), 1061);
    EXPECT_EQ(envelopeLevel(750, 44100), 750);
}

TEST(Reference, PlainSineAtStartValues) {
    SynthState state;
    auto w = newWaves();
    run(pitches(98, 98, 98), state, *w);
    const Wave& w1 = (*w)[0];
    EXPECT_EQ(w1[0], 0);
    EXPECT_EQ(w1[1], 21);
    EXPECT_EQ(w1[50], 964);
    EXPECT_EQ(w1[100], 1477);
    EXPECT_EQ(w1[112], 1500);
    EXPECT_EQ(w1[225], 0);
    EXPECT_EQ(w1[1000], 1476);
    EXPECT_EQ((*w)[1], w1);
    EXPECT_EQ((*w)[2], w1);
    EXPECT_EQ(state, SynthState{}); // nothing on: outputs stay 1, generator untouched
}

TEST(Reference, SampleZeroIsSilentWhateverTheModulators) {
    Parameters p = pitches(440, 300, -20, 750);
    for (auto& m : p.modulators) {
        m = {true, 7, 5};
    }
    SynthState state;
    auto w = newWaves();
    run(p, state, *w);
    for (const auto& wave : *w) {
        EXPECT_EQ(wave[0], 0);
    }
}

struct ModCase {
    std::vector<int> modulators;
    int n;
    int16_t expected;
};

TEST(Reference, OscillatorOneModulatorValues) {
    const std::vector<ModCase> cases{
        {{2}, 100, 950},   {{2}, 5000, -324}, {{3}, 100, 2226}, {{3}, 5000, 711},
        {{5}, 100, -1106}, {{5}, 5000, 338},  {{1}, 100, 0},    {{1, 3}, 300, 1323},
    };
    for (const auto& c : cases) {
        Parameters p = pitches(98, 98, 98);
        for (int m : c.modulators) {
            p = withModulators(p, 1, {m});
        }
        SynthState state;
        auto w = newWaves();
        run(p, state, *w);
        EXPECT_EQ((*w)[0][static_cast<std::size_t>(c.n)], c.expected)
            << "modulators " << c.modulators.front() << " sample " << c.n;
    }
}

TEST(Reference, ZeroPitchIsSilentAndNegativePitchNegates) {
    for (int osc : {2, 3}) {
        Parameters pos = withModulators(pitches(98, 130, 130, 400), osc, {1, 2, 4, 5}, 3, 4);
        Parameters neg = pos;
        Parameters zero = pos;
        (osc == 2 ? neg.pitch2 : neg.pitch3) = -130;
        (osc == 2 ? zero.pitch2 : zero.pitch3) = 0;
        SynthState s1;
        SynthState s2;
        SynthState s3;
        auto a = newWaves();
        auto b = newWaves();
        auto z = newWaves();
        run(pos, s1, *a);
        run(neg, s2, *b);
        run(zero, s3, *z);
        const auto j = static_cast<std::size_t>(osc - 1);
        for (std::size_t n = 0; n < kSampleCount; ++n) {
            ASSERT_EQ((*b)[j][n], -(*a)[j][n]) << "oscillator " << osc << " sample " << n;
            ASSERT_EQ((*z)[j][n], 0) << "oscillator " << osc << " sample " << n;
        }
    }
}

TEST(Reference, MultiplierZeroSilencesSineTangentAndGatedModulators) {
    for (int osc = 1; osc <= 3; ++osc) {
        for (int m = 1; m <= 5; ++m) {
            if (m == 2 || (osc == 2 && m == 3)) {
                continue; // modulator 2 never goes below 2; the random one is tested below
            }
            Parameters p = withModulators(pitches(200, 210, 220), osc, {m}, 0, 6);
            SynthState state;
            auto w = newWaves();
            run(p, state, *w);
            const auto j = static_cast<std::size_t>(osc - 1);
            for (std::size_t n = 0; n < kSampleCount; n += 7) {
                ASSERT_EQ((*w)[j][n], 0) << "osc " << osc << " mod " << m << " n " << n;
            }
            EXPECT_EQ(state.modOut[j * 5 + static_cast<std::size_t>(m - 1)], 0.0);
        }
    }
}

TEST(Reference, RandomModulatorWithMultiplierZeroHoldsTheLastValue) {
    SynthState state;
    auto w = newWaves();
    run(withModulators(pitches(98, 98, 98), 2, {3}, 3, 2), state, *w);
    const double held = state.modOut[7];
    const SynthState before = state;
    run(withModulators(pitches(98, 98, 98), 2, {3}, 0, 2), state, *w);
    EXPECT_EQ(state, before); // r = 0 at every sample: no draw, the held value stays

    // The same samples as with the modulator off and its output left at the held value.
    SynthState off;
    off.modOut[7] = held;
    auto ref = newWaves();
    run(pitches(98, 98, 98), off, *ref);
    EXPECT_EQ((*w)[1], (*ref)[1]);
}

TEST(Reference, GatedModulatorSilencesWhereOscillatorOnePhaseIsNonNegative) {
    Parameters p = withModulators(pitches(98, 150, 150), 1, {1});
    SynthState state;
    auto w = newWaves();
    run(p, state, *w);
    int silent = 0;
    for (int n = 0; n < kSampleCount; ++n) {
        const double s = std::sin((TWO_PI * 98 * n) / 44100.0);
        if (s >= 0.0 && s < 1.0) {
            ASSERT_EQ((*w)[0][static_cast<std::size_t>(n)], 0) << n;
            ++silent;
        }
    }
    EXPECT_GT(silent, 20000);
}

TEST(Reference, ModulatorsAndGatesOfOscillatorsTwoAndThreeFollowPitchOne) {
    Parameters a = withModulators(pitches(98, 98, 98), 2, {1, 2, 4, 5}, 3, 4);
    a = withModulators(a, 3, {1, 4}, 5, 6);
    Parameters b = a;
    b.pitch2 = 150;
    b.pitch3 = 40;
    SynthState sa;
    SynthState sb;
    auto wa = newWaves();
    auto wb = newWaves();
    run(a, sa, *wa);
    run(b, sb, *wb);
    EXPECT_EQ(sa, sb); // modulator outputs do not depend on the oscillators' own pitches
    EXPECT_EQ((*wa)[0], (*wb)[0]);
    EXPECT_NE((*wa)[1], (*wb)[1]);
    // Oscillator 2's gated modulator silences it exactly where oscillator 1's sine is in [0, 1).
    for (int n = 0; n < kSampleCount; ++n) {
        const double s = std::sin((TWO_PI * 98 * n) / 44100.0);
        if (s >= 0.0 && s < 1.0) {
            ASSERT_EQ((*wb)[1][static_cast<std::size_t>(n)], 0) << n;
        }
    }
}

TEST(Reference, RepeatsAreIdenticalUnlessTheRandomModulatorIsOn) {
    Parameters p = pitches(311, 200, 480, 321);
    for (int k = 0; k < kModulators; ++k) {
        p.modulators[static_cast<std::size_t>(k)] = {k != 7, static_cast<int16_t>(k % 9 + 2),
                                                     static_cast<int16_t>(k + 2)};
    }
    SynthState state;
    auto first = newWaves();
    auto second = newWaves();
    run(p, state, *first);
    run(p, state, *second);
    EXPECT_EQ(*first, *second);

    // Only the samples before the first negative argument draw from the carried state (a
    // negative one reseeds), so let nothing else shape oscillator 2 there.
    const Parameters r = withModulators(pitches(311, 200, 480, 321), 2, {3});
    state.setFifteenOutputs(); // the switched-off modulators' stored outputs back to neutral
    run(r, state, *first);
    run(r, state, *second);
    EXPECT_EQ((*first)[0], (*second)[0]);
    EXPECT_NE((*first)[1], (*second)[1]); // fresh noise for oscillator 2
}

TEST(Reference, RandomModulatorDrawsOnlyForPositiveArguments) {
    // H = 2, F = 2, pitch 98: r = sin(PD) is positive for the first half-period of PD.
    Parameters p = withModulators(pitches(98, 98, 98), 2, {3});
    SynthState state;
    auto w = newWaves();
    run(p, state, *w);
    // Replay the convention by hand with a fresh generator.
    RandomGenerator g;
    double last = 0;
    for (int n = 0; n < kSampleCount; ++n) {
        const double r = std::sin(((TWO_PI * 196) * n) / 88200.0);
        last = g.next(r);
    }
    EXPECT_EQ(state.modOut[7], last);
    EXPECT_EQ(state.random, g);
}

TEST(ReferenceFailures, EachCheckedOperationRaisesItsTypedError) {
    SynthState state;
    auto w = newWaves();
    // q = pitch1 * F outside 16 bits.
    EXPECT_THROW(generateReference(withModulators(pitches(5000, 98, 98), 1, {2}, 7, 2), state, *w),
                 OverflowError);
    // 1500 - a outside 16 bits.
    EXPECT_THROW(generateReference(pitches(98, 98, 98, -32000), state, *w), OverflowError);
    // Division by zero in a divided phase: H = 0 makes L = 0.
    EXPECT_THROW(generateReference(withModulators(pitches(98, 98, 98), 3, {1}, 2, 0), state, *w),
                 DivisionByZeroError);
    // A multiplied phase has no divisor of H: H = 0 is fine there.
    EXPECT_NO_THROW(
        generateReference(withModulators(pitches(98, 98, 98), 3, {4}, 2, 0), state, *w));
}

TEST(ReferenceFailures, SampleOverflowStopsAtThatSampleAndKeepsWhatCameBefore) {
    // Outputs far from 1 push a sample beyond 16 bits once the carrier grows.
    SynthState state;
    state.modOut[0] = 30.0; // a stored output of oscillator 1, modulator off
    auto w = newWaves();
    for (auto& wave : *w) {
        wave.fill(77);
    }
    Parameters p = withModulators(pitches(98, 98, 98), 2, {1});
    try {
        generateReference(p, state, *w);
        FAIL() << "no overflow";
    } catch (const OverflowError& e) {
        EXPECT_NE(std::string(e.what()).find("oscillator 1, sample"), std::string::npos)
            << e.what();
    }
    // 1500 * sin(2 pi 98 n / 44100) * 30 first exceeds 32767 at a small n.
    std::size_t failing = 0;
    while ((*w)[0][failing] != 77) {
        ++failing;
    }
    ASSERT_GT(failing, 1U);
    ASSERT_LT(failing, 200U);
    EXPECT_EQ((*w)[1][failing], 77); // the failing sample's later oscillators were not reached
    for (std::size_t n = failing; n < kSampleCount; ++n) {
        ASSERT_EQ((*w)[0][n], 77);
    }
    for (std::size_t n = 0; n < failing; ++n) {
        const double expected =
            std::nearbyint(envelopeLevel(0, static_cast<int>(n)) *
                           std::sin((TWO_PI * 98 * static_cast<double>(n)) / 44100.0) * 30.0);
        ASSERT_EQ((*w)[0][n], static_cast<int16_t>(expected)) << n;
    }
    // Oscillator 2's modulator 1 was computed up to the failing sample and keeps that value.
    EXPECT_NE(state.modOut[5], 1.0);
}

} // namespace
} // namespace tarmel::synth
