// Typed errors of the synthesis: each names what failed and, where it applies, the sample.
#pragma once

#include <stdexcept>
#include <string>

namespace tarmel::synth {

// Base of every error the synthesis raises.
class SynthError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An integer result or a rounded sample outside its 16- or 32-bit range.
class OverflowError : public SynthError {
public:
    using SynthError::SynthError;
};

// A floating-point multiplication that overflowed or produced an invalid result.
class FloatingPointError : public SynthError {
public:
    using SynthError::SynthError;
};

// A division whose divisor is zero.
class DivisionByZeroError : public SynthError {
public:
    using SynthError::SynthError;
};

} // namespace tarmel::synth
