// The fast generation's work on one block of samples: the rows it computes, the scratch it fills
// and the exact recomputations it falls back on near a rounding tie or a gate edge.
#pragma once

#include "synth/Parameters.h"
#include "synth/fast/FastPlan.h"
#include "synth/fast/VectorMath.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarmel::synth {

inline constexpr int kBlock = 256;

using Row = std::array<double, kBlock>;

// Results of one generation, committed only when all of it succeeded.
struct Scratch {
    std::unique_ptr<Waves> waves = std::make_unique<Waves>();
    // For the random modulator, per sample: an argument with r's effect on the generator, the
    // generator's value, the product of its oscillator up to it, and the outputs after it that
    // change (indexed by position; empty for the others).
    std::vector<double> argument;
    std::vector<double> value;
    std::vector<double> partial;
    std::array<std::vector<double>, kModulatorsPerOscillator> tail;
};

// One generation as all threads see it.
struct Generation {
    std::uint64_t id; // tells the generations apart for the rows each thread keeps
    const Parameters& params;
    const FastPlan& plan;
    const VectorMath& math;
    Scratch& scratch;
    int randomOscillator = -1; // oscillator and position of the random modulator when it is on
    int randomPosition = -1;
    mutable std::atomic<bool> failed{false};    // a block left the decision to the reference
    mutable std::atomic<int> tiesRecomputed{0}; // counted by every thread
};

// The working rows of one block of samples [first, first + count), kept by each thread.
struct Block {
    std::uint64_t preparedFor = 0; // the generation whose constant rows are filled in
    int first = 0;
    int count = 0;
    Row envSin;
    Row envCos;
    Row env;
    std::array<Row, kOscillators> carrier;
    Row cos1;
    Row gateS;
    Row gateC;
    std::array<Row, kModulators> channelSin;
    std::array<Row, kModulators> channelTan;
    std::array<Row, kModulators> gated;
    std::array<Row, kModulators> stored; // the stored outputs of the modulators that are off
    // Per oscillator that its gates can silence, a row that is 0 exactly where it is silent; and
    // for a channel reaching several of them, the rows where any of them sounds, by bits.
    std::array<const double*, kOscillators> sounding{};
    Row gatesSC;
    std::array<Row, 1 << kOscillators> soundingAny;
    Row ones;
    Row sample;
    Row rounded;
    Row unusual;
};

// Fills the rows that stay the same throughout generation g.
void prepareRows(const Generation& g, Block& b);

// Computes the block's samples into the scratch; for the random modulator's oscillator, what it
// needs once the generator has run. False when the reference must decide.
bool computeBlock(const Generation& g, Block& b);

// The random modulator's oscillator in this block, once the generator's values are known.
bool finishRandomBlock(const Generation& g, Block& b);

} // namespace tarmel::synth
