// Whole generations through every engine: the reference, generate(), and the fast path on each
// instruction set this CPU runs, in one chunk and in seven (so blocks end inside a register); and
// the reference against envelope levels and samples worked out by hand.
#include "synth/Errors.h"
#include "synth/fast/FastGenerate.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <ranges>
#include <string>
#include <typeinfo>
#include <vector>

namespace tarmel::synth {
namespace {

using Run = std::function<void(const Parameters&, SynthState&, Waves&)>;
using Engine = std::pair<std::string, Run>;
using On = std::array<int16_t, 3>; // a modulator switched on: its index k (0..14), F and H
constexpr std::array<int16_t, 3> k98{98, 98, 98};

std::vector<Engine> engines() {
    std::vector<Engine> all{{"reference", generateReference},
                            {"generate", generate},
                            {"thisThread", generateOnThisThread}};
    for (const VectorMath* math : supportedVectorMaths()) {
        for (int chunks : {1, 7}) {
            std::string name = math->name + std::string("_chunks") + std::to_string(chunks);
            std::erase(name, '-'); // a test name: letters, digits and _
            all.emplace_back(name, [=](auto&... args) { generateFast(args..., {math, chunks}); });
        }
    }
    return all;
}

class Engines : public testing::TestWithParam<Engine> {};

INSTANTIATE_TEST_SUITE_P(All, Engines, testing::ValuesIn(engines()),
                         [](const auto& info) { return info.param.first; });

Parameters params(std::array<int16_t, 3> pitch, int16_t attack, const std::vector<On>& on = {}) {
    Parameters p{pitch[0], pitch[1], pitch[2], attack, {}};
    for (const auto& [k, F, H] : on) {
        p.modulators[static_cast<std::size_t>(k)] = {true, F, H};
    }
    return p;
}

// The values independent_digests.py --check lists, worked out by hand: envelope levels, and wave1
// at pitch 98 and a = 0 from a fresh state with the given modulators on.
TEST(WorkedValues, EnvelopeAndOscillatorOne) {
    const std::vector<std::array<int, 3>> levels{
        {0, 0, 1500},  {0, 1, 1500},      {0, 22050, 1061},    {0, 44099, 0},
        {0, 44100, 0}, {1500, 0, 0},      {1500, 22050, 1061}, {1500, 44100, 1500},
        {750, 0, 750}, {750, 44100, 750}, {750, 22050, 1061}}; // a, n, level
    for (const auto& [a, n, level] : levels) {
        EXPECT_EQ(envelopeLevel(int16_t(a), n), level) << "a " << a << ", n " << n;
    }
    const On m0{0, 2, 2}, m1{1, 2, 2}, m2{2, 2, 2}, m4{4, 2, 2}; // oscillator 1's at F = H = 2
    const std::vector<std::tuple<std::vector<On>, int, int>> samples{
        {{}, 1, 21},       {{}, 50, 964},        {{}, 100, 1477},    {{}, 112, 1500},
        {{}, 225, 0},      {{}, 1000, 1476},     {{m1}, 100, 950},   {{m1}, 5000, -324},
        {{m2}, 100, 2226}, {{m2}, 5000, 711},    {{m4}, 100, -1106}, {{m4}, 5000, 338},
        {{m0}, 100, 0},    {{m0, m2}, 300, 1323}}; // on, n, wave1[n]
    Waves waves;
    for (const auto& [on, n, sample] : samples) {
        SynthState state;
        generateReference(params(k98, 0, on), state, waves);
        EXPECT_EQ(waves[0][std::size_t(n)], sample) << testing::PrintToString(on) << ", n " << n;
    }
}

// FNV-1a 64 over wave1, wave2 and wave3, each sample as 16 bits, low byte first.
uint64_t digest(const Waves& waves) {
    uint64_t h = 0xcbf29ce484222325;
    for (const int16_t s : waves | std::views::join) {
        const auto u = static_cast<uint16_t>(s);
        h = (((h ^ (u & 0xffU)) * 0x100000001b3) ^ (u >> 8U)) * 0x100000001b3;
    }
    return h;
}

// The cases of independent_digests.py (a separate implementation of the documented computation)
// with the digests it prints; each runs its generations in order from a fresh state. A digest of
// 0 is not checked: that generation only leaves its state to the next one.
TEST_P(Engines, WholeGenerationsMatchTheIndependentDigestsAndTheReferenceState) {
    constexpr std::array<uint64_t, kModulators> alone{
        0xe4d647cfb034ea02, 0x316e2fc0989e83de, 0x64a79d9a526a9c30, 0xe4d647cfb034ea02,
        0x7701701ac62fb2fd, 0x295187c7e21813b0, 0xd92cb17583493a34, 0xeea01fb046a53f6d,
        0xd641caffc41ade60, 0xd92cb17583493a34, 0xe83f796dad16c8a2, 0xe83f796dad16c8a2,
        0xe83f796dad16c8a2, 0x2fcc61c80a714fe4, 0xe83f796dad16c8a2};
    const Parameters random = params(k98, 0, {{7, 2, 2}});
    constexpr std::array<int16_t, 3> ties{4657, 11025, 3675};
    std::vector<std::vector<std::pair<Parameters, uint64_t>>> cases{
        {{params(k98, 0), 0x11852c82865fcf19}},
        {{random, 0x2af4467be1a5e790}, {random, 0x3ff0da6f765a4e0a}},
        // random-hold
        {{params(k98, 0, {{7, 3, 2}}), 0}, {params(k98, 0, {{7, 0, 2}}), 0x6bc8050a767c910b}},
        // off-keeps-output
        {{params({200, 210, 220}, 300, {{0, 3, 4}, {6, 3, 4}, {13, 3, 4}}), 0},
         {params({200, 210, 220}, 300), 0x30df2371e804781d}},
        {{params({1, 0, -169}, 750, {{5, 2, 2}, {10, 2, 2}}), 0xb3e0a81be51030bd}},
        // round-ties
        {{params(ties, 0, {{7, 1, 10}}), 0}, {params(ties, 0, {{7, 0, 10}}), 0xde71f30ac4f7ed8c}},
        {{params({4681, 98, 98}, 0, {{1, 7, 2}, {13, 2, 0}}), 0xbd6b03362eac79e7}},
        // shared-gated
        {{params({98, 110, 87}, 500,
                 {{0, 3, 4}, {1, 5, 6}, {6, 5, 6}, {8, 3, 4}, {9, 2, 3}, {10, 5, 6}}),
          0xad2c3471a54d07c9}}};
    std::vector<On> max, varied;
    for (int16_t k = 0; k < kModulators; ++k) {
        cases.push_back({{params({311, 353, 277}, 600, {{k, 7, 10}}), alone[std::size_t(k)]}});
        max.push_back({k, 10, 16});
        varied.push_back({k, static_cast<int16_t>(2 + k % 9), static_cast<int16_t>(2 + k)});
    }
    cases.push_back({{params({1000, 1170, -169}, 1500, max), 0xc42298e84c9dd294}});
    // all-varied twice: both generations the same
    cases.emplace_back(2, std::pair(params({98, 110, 87}, 500, varied), 0x0c0199858ee9fe4dULL));
    Waves waves;
    for (const auto& generations : cases) {
        SynthState state, reference;
        for (const auto& [p, expected] : generations) {
            GetParam().second(p, state, waves);
            EXPECT_EQ(expected == 0 ? 0 : digest(waves), expected);
            generateReference(p, reference, waves); // the waves are checked already
            EXPECT_EQ(state, reference) << "outputs or generator differ; digest " << expected;
        }
    }
}

// Sample n of oscillator 1 before its modulators scale it: the envelope level times the sine, by
// the documented formulas as independent_digests.py has them.
double carrier(const Parameters& p, int n) {
    const double x = 3.14159265358979 * n / 88200;
    return std::nearbyint(std::sin(x) * p.attack + std::cos(x) * (1500 - p.attack)) *
           std::sin(6.28318530717958 * p.pitch1 * n / 44100.0);
}

// A generation from one stored output set beforehand, which either fails at a known sample or puts
// samples on or next to rounding ties. The failing samples and the generator's values were worked
// out with independent_digests.py's formulas. The ties: m = 1/2 with the carrier exactly +-1 at odd
// n (pitch 11025); m placing sample 1000 next to 700.5 or -3.5; a = 1425, whose envelope at
// n = 16647 lies 3e-9 below 858.5 (found by trying every a and n with the C library's sin and
// cos), with pitch 51, whose carrier is near 1 there.
struct FromStored {
    Parameters p;
    int k; // modOut[k] = stored before the generation
    double stored;
    const char* type = "none";        // the error's type
    const char* where = "";           // the end of its message
    int firstLeft = 3 * kSampleCount; // 3 n + j of the first sample left alone, as are all after it
    double random = 1.0;              // modOut[7], the random modulator's output, after it
};

// What a run from f's stored output leaves: the error's type and message, the waves (77 before)
// and the state.
struct Outcome {
    std::string error = "none";
    Waves waves;
    SynthState state;
    bool operator==(const Outcome&) const = default;
};

Outcome run(const Run& engine, const FromStored& f) {
    Outcome o;
    std::ranges::fill(o.waves | std::views::join, int16_t{77});
    o.state.modOut[std::size_t(f.k)] = f.stored;
    try {
        engine(f.p, o.state, o.waves);
    } catch (const SynthError& e) {
        o.error = typeid(e).name() + std::string(" ") + e.what();
    }
    return o;
}

TEST_P(Engines, FromStoredOutputsTiesRoundByTheFormulaAndFailuresKeepWhatCameBefore) {
    const std::vector<FromStored> cases{
        // pitch1 F = 32768; 1500 - a = 32768; H = 0 in a divided phase
        {params({4096, 98, 98}, 0, {{1, 8, 2}}), 0, 1.0, "OverflowError",
         "(modulator 2 of oscillator 1, sample 0)", 0},
        {params(k98, -31268), 0, 1.0, "OverflowError", "(envelope, sample 0)", 0},
        {params(k98, 0, {{10, 2, 0}}), 0, 1.0, "DivisionByZeroError",
         "(modulator 1 of oscillator 3, sample 0)", 0},
        {params(k98, 0, {{6, 2, 2}, {7, 2, 2}}), 0, 30.0, "OverflowError",
         "(oscillator 1, sample 59)", 3 * 59, 0.4655134677886963},
        {params(k98, 0, {{7, 3, 2}}), 5, 40.0, "OverflowError", "(oscillator 2, sample 51)",
         3 * 51 + 1, 0.9223682880401611},
        // The ties, which raise nothing.
        {params({11025, 98, 98}, 0), 0, 0.5},
        {params(k98, 0), 0, 700.5 / carrier(params(k98, 0), 1000)},
        {params(k98, 0), 0, -3.5 / carrier(params(k98, 0), 1000)},
        {params({51, 98, 98}, 1425), 0, 1.0}};
    for (const FromStored& f : cases) {
        SCOPED_TRACE(f.where + (" m " + std::to_string(f.stored)));
        const Outcome got = run(GetParam().second, f);
        const Outcome reference = run(generateReference, f);
        // The mangled type name holds the class's own.
        EXPECT_TRUE(got.error.find(f.type) != std::string::npos && got.error.ends_with(f.where))
            << got.error;
        EXPECT_TRUE(got == reference) << "the reference: " << reference.error;
        EXPECT_DOUBLE_EQ(got.state.modOut[7], f.random);
        // Oscillator 1's samples before the failing one (none of its modulators is on by then)
        // follow the formula, scaled by what was stored for it; from the failing one on, every
        // sample keeps its old value.
        const double m = f.k == 0 ? f.stored : 1.0;
        for (int n = 0; kOscillators * n < f.firstLeft; ++n) {
            ASSERT_EQ(got.waves[0][std::size_t(n)], std::nearbyint(carrier(f.p, n) * m)) << n;
        }
        for (int i = f.firstLeft; i < kOscillators * kSampleCount; ++i) {
            ASSERT_EQ(got.waves[std::size_t(i % kOscillators)][std::size_t(i / kOscillators)], 77)
                << "oscillator " << i % kOscillators + 1 << ", sample " << i / kOscillators;
        }
    }
}

// Stored outputs up to tan(1) (the C library's), the largest a modulator makes, stay on the fast
// path; one step past it goes to the reference, with the same waves and state either way.
TEST(FastPath, StoredOutputsBeyondAnyModulatorsGoToTheReference) {
    const double largest = std::tan(1.0), past = std::nextafter(largest, 2.0);
    const Parameters p = params(k98, 0, {{1, 2, 2}});
    for (const double stored : {largest, -largest, past, -past}) {
        SynthState state, expected;
        state.modOut[3] = expected.modOut[3] = stored;
        Waves waves, plain;
        const bool reference = std::fabs(stored) == past;
        EXPECT_EQ(generateFast(p, state, waves, {nullptr, 0}).usedReference, reference) << stored;
        generateReference(p, expected, plain);
        EXPECT_TRUE(waves == plain && state == expected) << stored;
    }
}

} // namespace
} // namespace tarmel::synth
