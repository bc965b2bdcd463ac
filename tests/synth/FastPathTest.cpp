// The fast generation against the straightforward one: the same samples, outputs, generator
// state and errors, over the key pitches, every modulator, the envelope balances and the offsets.
#include "SynthTestSupport.h"
#include "synth/Errors.h"
#include "synth/Modulators.h"
#include "synth/fast/FastGenerate.h"
#include "synth/fast/VectorMath.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

namespace tarmel::synth {
namespace {

using test::newWaves;
using test::pitches;
using test::withModulators;

// The pitches of the 26 letter keys.
constexpr std::array<int16_t, 26> kKeyPitches{65,  69,  73,  77,  82,  87,  92,  98,  104,
                                              110, 116, 123, 130, 138, 146, 155, 164, 174,
                                              185, 196, 207, 220, 233, 246, 261, 277};

// Distinct multipliers and ratios, so no two modulators share a phase.
Parameters allFifteenOn(Parameters p) {
    for (int k = 0; k < kModulators; ++k) {
        p.modulators[static_cast<std::size_t>(k)] = {true, static_cast<int16_t>(2 + k % 9),
                                                     static_cast<int16_t>(2 + k)};
    }
    return p;
}

Parameters onlyModulator(Parameters p, int k, int16_t F, int16_t H) {
    p.modulators[static_cast<std::size_t>(k)] = {true, F, H};
    return p;
}

Parameters withOffsets(int16_t pitch1, int offset2, int offset3, int16_t attack) {
    return pitches(pitch1, static_cast<int16_t>(pitch1 + offset2),
                   static_cast<int16_t>(pitch1 + offset3), attack);
}

std::string describe(const Parameters& p) {
    std::string s = "pitches " + std::to_string(p.pitch1) + "/" + std::to_string(p.pitch2) + "/" +
                    std::to_string(p.pitch3) + " a " + std::to_string(p.attack) + " on:";
    for (int k = 0; k < kModulators; ++k) {
        const auto& m = p.modulators[static_cast<std::size_t>(k)];
        if (m.on) {
            s += " " + std::to_string(k + 1) + "(F" + std::to_string(m.F) + ",H" +
                 std::to_string(m.H) + ")";
        }
    }
    return s;
}

// Differences between the two generations of one parameter set.
struct Comparison {
    long differing = 0; // samples that differ
    int largest = 0;    // largest difference of one sample
    bool sameState = false;
    FastReport report;
};

// Runs one generation of each from the given states, which carry on to the next call.
Comparison compareOnce(const Parameters& p, SynthState& refState, SynthState& fastState,
                       const FastOptions& options = {nullptr, 0}) {
    auto ref = newWaves();
    auto fast = newWaves();
    generateReference(p, refState, *ref);
    Comparison c;
    c.report = generateFast(p, fastState, *fast, options);
    for (std::size_t j = 0; j < kOscillators; ++j) {
        for (std::size_t n = 0; n < kSampleCount; ++n) {
            const int d = std::abs(int{(*ref)[j][n]} - int{(*fast)[j][n]});
            c.differing += d != 0 ? 1 : 0;
            c.largest = std::max(c.largest, d);
        }
    }
    c.sameState = refState == fastState;
    return c;
}

// Compares fresh generations of each parameter set; returns the largest sample difference.
int expectSameForAll(const std::vector<Parameters>& sets) {
    int largest = 0;
    for (const Parameters& p : sets) {
        SynthState refState;
        SynthState fastState;
        const Comparison c = compareOnce(p, refState, fastState);
        EXPECT_EQ(c.differing, 0) << describe(p) << ", largest difference " << c.largest;
        EXPECT_TRUE(c.sameState) << describe(p);
        EXPECT_FALSE(c.report.usedReference) << describe(p);
        largest = std::max(largest, c.largest);
    }
    return largest;
}

TEST(FastPathSweep, EveryKeyPitchWithNoneAndAllFifteenModulators) {
    std::vector<Parameters> sets;
    for (int16_t pitch : kKeyPitches) {
        sets.push_back(pitches(pitch, pitch, pitch));
        sets.push_back(allFifteenOn(withOffsets(pitch, 0, 0, 750)));
    }
    EXPECT_EQ(expectSameForAll(sets), 0);
}

TEST(FastPathSweep, EachModulatorAloneAtSeveralPitchesAndSettings) {
    std::vector<Parameters> sets;
    for (int k = 0; k < kModulators; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        const int16_t low = kKeyPitches[(ku * 7) % kKeyPitches.size()];
        const int16_t high = kKeyPitches[(ku * 7 + 13) % kKeyPitches.size()];
        sets.push_back(onlyModulator(pitches(low, low, low), k, 2, 2));
        sets.push_back(onlyModulator(withOffsets(high, 170, -170, 1500), k,
                                     static_cast<int16_t>(2 + k % 9), static_cast<int16_t>(2 + k)));
    }
    EXPECT_EQ(expectSameForAll(sets), 0);
}

TEST(FastPathSweep, EnvelopeBalancesTimesOffsetsWithAllFifteenOn) {
    std::vector<Parameters> sets;
    std::size_t i = 0;
    for (int16_t attack : {0, 750, 1500}) {
        for (int offset2 : {-170, 0, 170}) {
            for (int offset3 : {-170, 0, 170}) {
                const int16_t pitch = kKeyPitches[(i++ * 5) % kKeyPitches.size()];
                sets.push_back(allFifteenOn(withOffsets(pitch, offset2, offset3, attack)));
            }
        }
    }
    EXPECT_EQ(expectSameForAll(sets), 0);
}

TEST(FastPathSweep, RandomCombinationsOfEverySetting) {
    std::mt19937 rng(20240611); // fixed: the same combinations on every run
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<Parameters> sets;
    for (int i = 0; i < 30; ++i) {
        const int16_t pitch = i % 2 == 0 ? kKeyPitches[static_cast<std::size_t>(pick(0, 25))]
                                         : static_cast<int16_t>(pick(kPitchMin, kPitchMax));
        Parameters p =
            withOffsets(pitch, pick(kOffsetMin, kOffsetMax), pick(kOffsetMin, kOffsetMax),
                        static_cast<int16_t>(pick(0, 1500)));
        for (int k = 0; k < kModulators; ++k) {
            const int lowestF = k % kModulatorsPerOscillator == 1 ? kMultiplierMinSecond : 0;
            p.modulators[static_cast<std::size_t>(k)] = {
                pick(0, 1) == 1, static_cast<int16_t>(pick(lowestF, kMultiplierMax)),
                static_cast<int16_t>(pick(kRatioMin, kRatioMax))};
        }
        sets.push_back(p);
    }
    EXPECT_EQ(expectSameForAll(sets), 0);
}

TEST(FastPath, EveryInstructionSetAndChunkingGivesTheReferenceResult) {
    const std::vector<Parameters> sets{
        allFifteenOn(withOffsets(311, -170, 170, 321)),
        withModulators(withOffsets(98, 12, -40, 0), 2, {3, 4, 5}, 3, 2),
    };
    for (const VectorMath* math : supportedVectorMaths()) {
        for (int chunks : {1, 2, 3, 7, 64}) {
            for (const Parameters& p : sets) {
                SynthState refState;
                SynthState fastState;
                const Comparison c = compareOnce(p, refState, fastState, {math, chunks});
                EXPECT_EQ(c.differing, 0)
                    << math->name << " in " << chunks << " chunks, " << describe(p);
                EXPECT_TRUE(c.sameState) << math->name << " in " << chunks << " chunks";
                EXPECT_FALSE(c.report.usedReference);
            }
        }
    }
}

TEST(FastPath, SeveralGenerationsInARowCarryTheSameStateForward) {
    SynthState refState;
    SynthState fastState;
    const Parameters random = withModulators(pitches(146, 120, 200, 300), 2, {3}, 4, 6);
    const Parameters all = allFifteenOn(pitches(220, 390, 50, 1000));
    const Parameters othersOnly = withModulators(pitches(98, 98, 98), 1, {1, 3, 5}, 5, 3);
    // The random modulator draws on, pauses while another set runs, then draws again.
    for (const Parameters* p : {&random, &random, &all, &othersOnly, &random, &all}) {
        const Comparison c = compareOnce(*p, refState, fastState);
        ASSERT_EQ(c.differing, 0) << describe(*p);
        ASSERT_TRUE(c.sameState) << describe(*p);
        ASSERT_FALSE(c.report.usedReference);
    }
    EXPECT_NE(refState.random, RandomGenerator{}); // the generator really moved on
}

TEST(FastPath, StoredOutputsOfSwitchedOffModulatorsMultiplyIn) {
    SynthState refState;
    for (int k = 0; k < kModulators; ++k) {
        refState.modOut[static_cast<std::size_t>(k)] = 0.25 * (k % 7) - 0.6;
    }
    SynthState fastState = refState;
    const Parameters p = withModulators(withOffsets(164, -90, 33, 200), 2, {2, 3}, 6, 8);
    const Comparison c = compareOnce(p, refState, fastState);
    EXPECT_EQ(c.differing, 0);
    EXPECT_TRUE(c.sameState);
}

TEST(FastPath, EdgeCasesMatchTheReference) {
    // The same edge cases as the straightforward evaluation, compared sample by sample.
    const std::vector<Parameters> sets{
        withModulators(pitches(98, 0, -98), 1, {1, 3}),             // silent and negated pitches
        withModulators(pitches(200, 210, 220), 3, {1, 3, 4}, 0, 6), // F = 0 silences
        withModulators(pitches(98, 98, 98), 2, {3}, 0, 2),          // F = 0 on the random one
        withModulators(pitches(98, 150, 150), 1, {1, 4}),           // gates at pitch 1
        withModulators(pitches(98, 150, 40), 2, {1, 4}, 3, 4),      // gates of oscillator 2
        allFifteenOn(pitches(1000, 1170, -169, 1500)),              // the largest pitches
        allFifteenOn(pitches(1, -169, 1, 0)),                       // the smallest ones
    };
    EXPECT_EQ(expectSameForAll(sets), 0);
}

TEST(FastPath, ValuesAtARoundingTieAreRoundedLikeTheReference) {
    // A stored output that puts sample 1000 of oscillator 1 on, or next to, 700.5.
    const Parameters p = pitches(98, 98, 98);
    const double level = envelopeLevel(0, 1000);
    const double car = std::sin((TWO_PI * 98 * 1000.0) / 44100.0);
    for (double target : {700.5, 701.5, -3.5}) {
        SynthState refState;
        refState.modOut[0] = target / (level * car);
        SynthState fastState = refState;
        const Comparison c = compareOnce(p, refState, fastState);
        EXPECT_EQ(c.differing, 0) << target;
        EXPECT_TRUE(c.sameState);
        EXPECT_GE(c.report.tiesRecomputed, 1) << target;
        EXPECT_FALSE(c.report.usedReference);
    }
}

TEST(FastPath, SamplesNearTheTopOfTheRangeStillMatch) {
    SynthState refState;
    refState.modOut[0] = 21.8; // peaks near 32700, inside 16 bits
    SynthState fastState = refState;
    const Comparison c = compareOnce(pitches(98, 98, 98), refState, fastState);
    EXPECT_EQ(c.differing, 0);
    EXPECT_TRUE(c.sameState);
    EXPECT_TRUE(c.report.usedReference); // beyond the fast path's range: the reference decides
}

// Runs both on arrays filled with 77 from the same state and expects the same error, the same
// samples stored before it and the same state after it.
void expectSameFailure(const Parameters& p, const SynthState& start, const char* why) {
    SCOPED_TRACE(why);
    SynthState refState = start;
    SynthState fastState = start;
    auto ref = newWaves();
    auto fast = newWaves();
    for (std::size_t j = 0; j < kOscillators; ++j) {
        (*ref)[j].fill(77);
        (*fast)[j].fill(77);
    }
    std::string refError;
    std::string fastError;
    const std::type_info* refType = nullptr;
    const std::type_info* fastType = nullptr;
    try {
        generateReference(p, refState, *ref);
    } catch (const SynthError& e) {
        refError = e.what();
        refType = &typeid(e);
    }
    try {
        generate(p, fastState, *fast);
    } catch (const SynthError& e) {
        fastError = e.what();
        fastType = &typeid(e);
    }
    ASSERT_NE(refType, nullptr) << "the reference raised no error";
    ASSERT_NE(fastType, nullptr) << "the fast path raised no error";
    EXPECT_EQ(*refType, *fastType);
    EXPECT_EQ(refError, fastError);
    EXPECT_TRUE(*ref == *fast) << "samples stored before the error differ";
    EXPECT_EQ(refState, fastState);
}

TEST(FastPathFailures, SameErrorSamplesAndStateAsTheReference) {
    const SynthState fresh;
    expectSameFailure(withModulators(pitches(5000, 98, 98), 1, {2}, 7, 2), fresh,
                      "pitch1 times F outside 16 bits");
    expectSameFailure(pitches(98, 98, 98, -32000), fresh, "1500 - a outside 16 bits");
    expectSameFailure(withModulators(pitches(98, 98, 98), 3, {1}, 2, 0), fresh,
                      "a divided phase with H = 0");

    SynthState loud;
    loud.modOut[0] = 30.0; // oscillator 1 overflows within the first period
    expectSameFailure(withModulators(pitches(98, 98, 98), 2, {1, 3}), loud,
                      "a sample beyond 16 bits while the random modulator draws");
    SynthState loudTwo;
    loudTwo.modOut[5] = 40.0; // oscillator 2, whose random modulator has drawn up to there
    expectSameFailure(withModulators(pitches(98, 98, 98), 2, {3}, 3, 2), loudTwo,
                      "a sample of the random modulator's oscillator beyond 16 bits");
    SynthState invalid;
    invalid.modOut[12] = std::numeric_limits<double>::infinity();
    invalid.modOut[13] = 0.0;
    expectSameFailure(pitches(98, 98, 98), invalid, "an invalid product at the first sample");
}

TEST(FastPathFailures, AnErrorLeavesTheStateForTheNextGenerationLikeTheReference) {
    SynthState refState;
    refState.modOut[0] = 30.0;
    SynthState fastState = refState;
    const Parameters failing = withModulators(pitches(98, 98, 98), 2, {3});
    auto w = newWaves();
    EXPECT_THROW(generateReference(failing, refState, *w), OverflowError);
    EXPECT_THROW(generate(failing, fastState, *w), OverflowError);
    refState.setFifteenOutputs();
    fastState.setFifteenOutputs();
    const Comparison c = compareOnce(failing, refState, fastState);
    EXPECT_EQ(c.differing, 0);
    EXPECT_TRUE(c.sameState);
}

} // namespace
} // namespace tarmel::synth
