// Range-tested integer arithmetic, rounding to 16 bits, and floating-point fault checks.
// Each failure throws the typed error of Errors.h with a message naming the operation.
#pragma once

#include "synth/Errors.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace tarmel::synth {

// Where an operation happened, for the error message (e.g. "modulator 3 of oscillator 1").
struct Where {
    const char* what;
    int sample; // -1 when not inside the sample loop
};

[[noreturn]] void throwOverflow(const std::string& operation, const Where& where);
[[noreturn]] void throwFloatingPoint(const std::string& operation, const Where& where);
[[noreturn]] void throwDivisionByZero(const std::string& operation, const Where& where);

// r, the exact result of a op b, when it fits T; otherwise an OverflowError naming the operation.
template <class T>
inline T checked(int64_t r, int64_t a, const char* op, int64_t b, const Where& where) {
    if (r < std::numeric_limits<T>::min() || r > std::numeric_limits<T>::max()) {
        throwOverflow(std::to_string(a) + op + std::to_string(b) + " in " +
                          std::to_string(8 * sizeof(T)) + " bits",
                      where);
    }
    return static_cast<T>(r);
}

// a * b in 16-bit signed arithmetic.
inline int16_t mul16(int16_t a, int16_t b, const Where& where) {
    return checked<int16_t>(int64_t{a} * b, a, " * ", b, where);
}

// a - b in 16-bit signed arithmetic.
inline int16_t sub16(int16_t a, int16_t b, const Where& where) {
    return checked<int16_t>(int64_t{a} - b, a, " - ", b, where);
}

// a * b in 32-bit signed arithmetic.
inline int32_t mul32(int32_t a, int32_t b, const Where& where) {
    return checked<int32_t>(int64_t{a} * b, a, " * ", b, where);
}

// a + b in 32-bit signed arithmetic.
inline int32_t add32(int32_t a, int32_t b, const Where& where) {
    return checked<int32_t>(int64_t{a} + b, a, " + ", b, where);
}

// A 32-bit value narrowed to 16 bits.
inline int16_t narrow16(int32_t v, const Where& where) {
    if (v < INT16_MIN || v > INT16_MAX) {
        throwOverflow(std::to_string(v) + " narrowed to 16 bits", where);
    }
    return static_cast<int16_t>(v);
}

// Rounds to the nearest integer, ties to even, and range-tests to 16 bits.
inline int16_t round16(double v, const Where& where) {
    // nearbyint rounds ties to even in the default rounding mode, which the program never changes.
    const double r = std::nearbyint(v);
    if (!(r >= -32768.0 && r <= 32767.0)) { // also rejects NaN
        throwOverflow(std::to_string(v) + " rounded to 16 bits", where);
    }
    return static_cast<int16_t>(r);
}

// A floating-point product, checked for overflow and invalid operations.
inline double fmul(double a, double b, const Where& where) {
    const double r = a * b;
    if (!std::isfinite(r)) {
        throwFloatingPoint(std::to_string(a) + " * " + std::to_string(b), where);
    }
    return r;
}

// A floating-point quotient whose divisor must not be zero.
inline double fdiv(double a, double b, const Where& where) {
    if (b == 0.0) {
        throwDivisionByZero(std::to_string(a) + " / 0", where);
    }
    return a / b;
}

} // namespace tarmel::synth
