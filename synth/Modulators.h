// The fifteen modulators: which phase each one uses and which waveform it makes of it.
#pragma once

#include "synth/Parameters.h"

#include <array>

namespace tarmel::synth {

// Constants of the computation, as the program has always used them.
inline constexpr double PI = 3.14159265358979;
inline constexpr double TWO_PI = 6.28318530717958;
static_assert(TWO_PI == 2.0 * PI, "TWO_PI must be exactly twice PI");

// tan(1): no modulator's output is larger in magnitude (a tangent of a sine at most).
inline constexpr double kLargestOutput = 1.5574077246549023;

enum class Phase {
    Multiply,     // PM: (((TWO_PI * q) * n) / 44100) * H
    Divide,       // PD: ((TWO_PI * q) * n) / (H * 44100)
    DivideHalved, // PH: ((PI * q) * n) / (H * 44100)
};

enum class Waveform {
    Sine,       // sin(phase)
    TanSine,    // tan(sin(phase))
    SineGatedS, // GS * sin(phase), GS = floor(sin of oscillator 1's phase)
    SineGatedC, // GC * sin(phase), GC = floor(cos of oscillator 1's phase)
    Random,     // RANDOM(sin(phase))
};

struct ModulatorKind {
    Phase phase;
    Waveform waveform;
};

// Indexed like Parameters::modulators and SynthState::modOut.
inline constexpr std::array<ModulatorKind, kModulators> kModulatorKinds{{
    // oscillator 1
    {Phase::Multiply, Waveform::SineGatedS},
    {Phase::DivideHalved, Waveform::Sine},
    {Phase::Divide, Waveform::TanSine},
    {Phase::Multiply, Waveform::SineGatedS},
    {Phase::Multiply, Waveform::TanSine},
    // oscillator 2
    {Phase::Multiply, Waveform::SineGatedS},
    {Phase::DivideHalved, Waveform::Sine},
    {Phase::Divide, Waveform::Random},
    {Phase::Multiply, Waveform::SineGatedC},
    {Phase::DivideHalved, Waveform::Sine},
    // oscillator 3
    {Phase::DivideHalved, Waveform::Sine},
    {Phase::DivideHalved, Waveform::Sine},
    {Phase::DivideHalved, Waveform::Sine},
    {Phase::Multiply, Waveform::Sine},
    {Phase::DivideHalved, Waveform::Sine},
}};

} // namespace tarmel::synth
