// One block of the fast generation: vector sines of every distinct argument, the products in the
// program's order, and the scalar formulas wherever the vector values could round differently.
#include "synth/fast/FastBlocks.h"

#include "synth/Formulas.h"
#include "synth/fast/FastRounding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace tarmel::synth {

namespace {

using Factors = std::array<const double*, kModulatorsPerOscillator>;

const ModulatorSetting& settingOf(const Generation& g, int k) {
    return g.params.modulators[static_cast<std::size_t>(k)];
}

const ModulatorKind& kindOf(int k) {
    return kModulatorKinds[static_cast<std::size_t>(k)];
}

const OutputPlan& outputOf(const Generation& g, int k) {
    return g.plan.outputs[static_cast<std::size_t>(k)];
}

int16_t pitchOf(const Generation& g, int j) {
    const auto& p = g.params;
    return j == 0 ? p.pitch1 : (j == 1 ? p.pitch2 : p.pitch3);
}

// Sample n of oscillator j, unrounded, by the scalar formulas of the reference.
double exactSample(const Generation& g, int j, int n, double randomValue) {
    const auto dn = static_cast<double>(n);
    std::array<double, kModulatorsPerOscillator> outputs{};
    for (int f = 0; f < kModulatorsPerOscillator; ++f) {
        const int k = j * kModulatorsPerOscillator + f;
        const OutputPlan& out = outputOf(g, k);
        double& v = outputs[static_cast<std::size_t>(f)];
        if (out.source == OutputSource::Stored) {
            v = out.stored;
        } else if (out.source == OutputSource::Random) {
            v = randomValue;
        } else {
            v = modulatorWave(kindOf(k), settingOf(g, k), g.params.pitch1, dn,
                              {modulatorName(k), n});
        }
    }
    const Where where{oscillatorName(j), n};
    return sampleValue(envelopeLevel(g.plan.attack, n), carrier(pitchOf(g, j), dn, where),
                       outputs.data(), where);
}

// Stores the block's samples of oscillator j, rounded. randomValues, when given, are the random
// modulator's values for an exact recomputation. False when the reference must decide.
bool storeRow(const Generation& g, Block& b, int j, const double* randomValues) {
    int16_t* out = (*g.scratch.waves)[static_cast<std::size_t>(j)].data() + b.first;
    if (g.math.round(b.sample.data(), b.rounded.data(), b.unusual.data(), b.count)) {
        g.math.toSamples(b.rounded.data(), out, b.count);
        return true;
    }
    for (int i = 0; i < b.count; ++i) {
        const double s = b.sample[i];
        if (!rounding::safeMagnitude(s)) {
            return false;
        }
        if (rounding::nearTie(s, b.rounded[i])) {
            const int n = b.first + i;
            const double randomValue = randomValues != nullptr
                                           ? randomValues[i]
                                           : std::numeric_limits<double>::quiet_NaN();
            const double exact = exactSample(g, j, n, randomValue);
            g.tiesRecomputed.fetch_add(1, std::memory_order_relaxed);
            if (!rounding::safeMagnitude(exact)) {
                return false;
            }
            b.rounded[i] = round16(exact, {oscillatorName(j), n});
        }
        out[i] = static_cast<int16_t>(b.rounded[i]);
    }
    return true;
}

bool envelope(const Generation& g, Block& b) {
    g.math.sinCosAt(kEnvelopeArgument, b.first, b.count, b.envSin.data(), b.envCos.data());
    Row& sum = b.sample;
    g.math.weightedSum(b.envSin.data(), g.plan.attackWeight, b.envCos.data(), g.plan.decayWeight,
                       sum.data(), b.count);
    if (g.math.round(sum.data(), b.env.data(), b.unusual.data(), b.count)) {
        return true;
    }
    for (int i = 0; i < b.count; ++i) {
        if (!rounding::safeMagnitude(sum[i])) {
            return false;
        }
        if (rounding::nearTie(sum[i], b.env[i])) {
            b.env[i] = envelopeLevel(g.plan.attack, b.first + i);
            g.tiesRecomputed.fetch_add(1, std::memory_order_relaxed);
        }
    }
    return true;
}

// floor(sin or cos of oscillator 1's phase) from its vector value, exact near the edges.
void gateRow(const Generation& g, Block& b, const Row& trig, bool cosine, Row& out) {
    if (g.math.gate(trig.data(), out.data(), b.unusual.data(), b.count)) {
        return;
    }
    // A few samples near an edge: look for them eight at a time.
    constexpr int kStride = 8;
    static_assert(kBlock % kStride == 0);
    for (int start = 0; start < b.count; start += kStride) {
        double any = 0.0;
        for (int i = start; i < start + kStride; ++i) {
            any += b.unusual[i]; // 0 or 1 up to count, beyond it what an earlier block left
        }
        for (int i = start; any != 0.0 && i < std::min(start + kStride, b.count); ++i) {
            if (b.unusual[i] != 0.0) {
                const int n = b.first + i;
                out[i] = gate(cosine, g.params.pitch1, static_cast<double>(n), {"gate", n});
            }
        }
    }
}

void carriersAndGates(const Generation& g, Block& b) {
    for (int s = 0; s < g.plan.pitchCount; ++s) {
        const Argument& arg = g.plan.pitchArgument[static_cast<std::size_t>(s)];
        Row& car = b.carrier[static_cast<std::size_t>(s)];
        if (s == 0 && g.plan.needsGateC) {
            g.math.sinCosAt(arg, b.first, b.count, car.data(), b.cos1.data());
        } else {
            g.math.sinAt(arg, b.first, b.count, nullptr, car.data());
        }
    }
    if (g.plan.needsGateS) {
        gateRow(g, b, b.carrier[0], false, b.gateS);
    }
    if (g.plan.needsGateC) {
        gateRow(g, b, b.cos1, true, b.gateC);
    }
}

// Where each oscillator that its gates can silence may sound: where GS, GC or both are -1.
void soundingRows(const Generation& g, Block& b) {
    for (std::size_t j = 0; j < kOscillators; ++j) {
        const bool s = g.plan.silentWithoutS[j];
        const bool c = g.plan.silentWithoutC[j];
        if (s && c) {
            g.math.multiply(b.gateS.data(), b.gateC.data(), b.gatesSC.data(), b.count);
        }
        b.sounding[j] =
            s && c ? b.gatesSC.data() : (s ? b.gateS.data() : (c ? b.gateC.data() : nullptr));
    }
}

// Nonzero where one of the oscillators in bits sounds; null when its values are always needed.
const double* neededWhere(Block& b, int bits) {
    if (bits == 0) {
        return nullptr;
    }
    if ((bits & (bits - 1)) == 0) {
        return b.sounding[static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(bits)))];
    }
    Row& any = b.soundingAny[static_cast<std::size_t>(bits)];
    std::fill_n(any.begin(), b.count, 0.0);
    for (std::size_t j = 0; j < kOscillators; ++j) {
        if ((bits & (1 << j)) != 0) {
            for (int i = 0; i < b.count; ++i) {
                any[i] += std::fabs(b.sounding[j][i]);
            }
        }
    }
    return any.data();
}

void modulatorPhases(const Generation& g, Block& b) {
    soundingRows(g, b);
    for (int c = 0; c < g.plan.channelCount; ++c) {
        const PhaseChannel& ch = g.plan.channels[static_cast<std::size_t>(c)];
        Row& sine = b.channelSin[static_cast<std::size_t>(c)];
        g.math.sinAt(ch.argument, b.first, b.count, neededWhere(b, ch.silencedWith), sine.data());
        if (ch.needsTan) {
            g.math.tan(sine.data(), b.channelTan[static_cast<std::size_t>(c)].data(), b.count);
        }
    }
}

// The row of modulator k's outputs in this block (the random one's are known only later).
const double* outputRow(const Generation& g, Block& b, int k) {
    const OutputPlan& out = outputOf(g, k);
    const auto c = static_cast<std::size_t>(out.channel);
    switch (out.source) {
    case OutputSource::Stored:
        return b.stored[static_cast<std::size_t>(k)].data();
    case OutputSource::Random:
        return nullptr;
    case OutputSource::Sine:
        return b.channelSin[c].data();
    case OutputSource::TanSine:
        return b.channelTan[c].data();
    case OutputSource::GatedS:
    case OutputSource::GatedC: {
        const Row& gate = out.source == OutputSource::GatedS ? b.gateS : b.gateC;
        Row& row = b.gated[static_cast<std::size_t>(k)];
        g.math.multiply(gate.data(), b.channelSin[c].data(), row.data(), b.count);
        return row.data();
    }
    }
    return nullptr;
}

// What the random modulator's oscillator needs once the generator's values are known: the
// generator's arguments, the product up to the random output and the outputs after it.
void prepareRandom(const Generation& g, Block& b, const Factors& factors) {
    Scratch& sc = g.scratch;
    const int k = g.plan.randomModulator;
    const auto channel = static_cast<std::size_t>(outputOf(g, k).channel);
    const Row& sine = b.channelSin[channel];
    const Argument& phase = g.plan.channels[channel].argument;
    const double* sounding = b.sounding[static_cast<std::size_t>(g.randomOscillator)];
    for (int i = 0; i < b.count; ++i) {
        const int n = b.first + i;
        double r = sine[i];
        if (r > rounding::kEdgeMargin) {
            // A clearly positive r only asks for the next value.
        } else if (sounding != nullptr && sounding[i] == 0.0 && i + 1 < b.count &&
                   sine[i + 1] < -rounding::kEdgeMargin) {
            // The value goes into a silent sample only, and the next sample reseeds the generator
            // whatever this one leaves: any reseed will do.
            r = -1.0;
        } else {
            // Any other r needs its exact bits: the C library's sine of the phase the plan
            // range-tested, as modulatorWave computes it.
            r = std::sin(argumentAt(phase, static_cast<double>(n)));
        }
        sc.argument[static_cast<std::size_t>(n)] = r;
    }
    Factors upToRandom = factors;
    for (int f = g.randomPosition; f < kModulatorsPerOscillator; ++f) {
        upToRandom[static_cast<std::size_t>(f)] = b.ones.data();
    }
    const auto* car =
        b.carrier[static_cast<std::size_t>(
                      g.plan.pitchSlotOf[static_cast<std::size_t>(g.randomOscillator)])]
            .data();
    g.math.product(b.env.data(), car, upToRandom.data(), b.sample.data(), b.count);
    std::copy_n(b.sample.begin(), b.count, sc.partial.begin() + b.first);
    for (int f = g.randomPosition + 1; f < kModulatorsPerOscillator; ++f) {
        const auto fu = static_cast<std::size_t>(f);
        if (!sc.tail[fu].empty()) {
            std::copy_n(factors[fu], b.count, sc.tail[fu].begin() + b.first);
        }
    }
}

bool oscillator(const Generation& g, Block& b, int j) {
    Factors factors{};
    for (int f = 0; f < kModulatorsPerOscillator; ++f) {
        factors[static_cast<std::size_t>(f)] = outputRow(g, b, j * kModulatorsPerOscillator + f);
    }
    if (j == g.randomOscillator) {
        prepareRandom(g, b, factors);
        return true; // finished once the generator has run
    }
    const auto* car =
        b.carrier[static_cast<std::size_t>(g.plan.pitchSlotOf[static_cast<std::size_t>(j)])].data();
    g.math.product(b.env.data(), car, factors.data(), b.sample.data(), b.count);
    return storeRow(g, b, j, nullptr);
}

} // namespace

void prepareRows(const Generation& g, Block& b) {
    b.ones.fill(1.0);
    for (int k = 0; k < kModulators; ++k) {
        b.stored[static_cast<std::size_t>(k)].fill(outputOf(g, k).stored);
    }
    b.preparedFor = g.id;
}

bool computeBlock(const Generation& g, Block& b) {
    if (!envelope(g, b)) {
        return false;
    }
    carriersAndGates(g, b);
    modulatorPhases(g, b);
    for (int j = 0; j < kOscillators; ++j) {
        if (!oscillator(g, b, j)) {
            return false;
        }
    }
    return true;
}

// The random modulator's oscillator in this block, once the generator's values are known.
bool finishRandomBlock(const Generation& g, Block& b) {
    const Scratch& sc = g.scratch;
    Factors afterRandom{};
    for (int f = 0; f < kModulatorsPerOscillator; ++f) {
        const auto fu = static_cast<std::size_t>(f);
        const int k = g.randomOscillator * kModulatorsPerOscillator + f;
        if (f <= g.randomPosition) {
            afterRandom[fu] = b.ones.data();
        } else if (sc.tail[fu].empty()) {
            afterRandom[fu] = b.stored[static_cast<std::size_t>(k)].data();
        } else {
            afterRandom[fu] = sc.tail[fu].data() + b.first;
        }
    }
    const double* values = sc.value.data() + b.first;
    g.math.product(sc.partial.data() + b.first, values, afterRandom.data(), b.sample.data(),
                   b.count);
    return storeRow(g, b, g.randomOscillator, values);
}

} // namespace tarmel::synth
