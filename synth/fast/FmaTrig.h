// Sines, cosines and tangents for the instruction sets with a fused multiply-add, written for the
// synthesis's arguments (finite, up to 7e9) and its accuracy needs (an absolute error far below
// FastRounding's margins), and inlined into the row loops. Faster than SLEEF's general functions
// because the FMA lets two constants reduce the argument exactly enough:
//   k = nearest integer to x / pi, r = (x - k C1) - k C2, with C1 + C2 = pi to 107 bits,
// each step rounded once, so r is within 3e-16 of x - k pi for |k| < 2^33 (the next part of pi
// times k stays below 1e-22). sin r and cos r come from Taylor polynomials whose first omitted
// term is below 2e-18. A register with a lane beyond kLimit goes to the general function instead.
//
// Included only by the files built for those sets. Fma provides, besides ArrayMath's operations:
// sub, fma(a, b, c) = a b + c and fnma(a, b, c) = c - a b, each rounded once; bitsToSign(v, bit),
// the bit of v's representation moved to the sign, all other bits clear; xorBits; select(m, a, b),
// a where m's sign is set, else b; allBelow(x, limit), whether every |lane| < limit; and the
// general functions generalSin, generalSinCos and generalTan.
#pragma once

#include <array>
#include <cstddef>

namespace tarmel::synth::simd {

template <class Fma> struct FmaTrig {
    using Reg = typename Fma::Reg;

    static constexpr double kLimit = 1e10;     // |k| < 2^32 for the reduction by pi, 2^33 by pi/2
    static constexpr double kShift = 0x1.8p52; // added to a value below 2^51, leaves its nearest
                                               // integer in the low bits
    static constexpr double kPiHi = 0x1.921fb54442d18p1;   // pi rounded to a double
    static constexpr double kPiLo = 0x1.1a62633145c07p-53; // pi - kPiHi rounded
    static constexpr double kInvPi = 0x1.45f306dc9c883p-2;
    static constexpr double kInvHalfPi = 0x1.45f306dc9c883p-1;

    // Taylor coefficients, highest power first: sin r = r + r^3 (-1/3! + r^2 (1/5! - ...)) up to
    // r^21, and cos r = 1 + r^2 (-1/2! + r^2 (1/4! - ...)) up to r^20.
    static constexpr std::array<double, 10> kSin{1.0 / 51090942171709440000.0,
                                                 -1.0 / 121645100408832000.0,
                                                 1.0 / 355687428096000.0,
                                                 -1.0 / 1307674368000.0,
                                                 1.0 / 6227020800.0,
                                                 -1.0 / 39916800.0,
                                                 1.0 / 362880.0,
                                                 -1.0 / 5040.0,
                                                 1.0 / 120.0,
                                                 -1.0 / 6.0};
    static constexpr std::array<double, 11> kCos{1.0 / 2432902008176640000.0,
                                                 -1.0 / 6402373705728000.0,
                                                 1.0 / 20922789888000.0,
                                                 -1.0 / 87178291200.0,
                                                 1.0 / 479001600.0,
                                                 -1.0 / 3628800.0,
                                                 1.0 / 40320.0,
                                                 -1.0 / 720.0,
                                                 1.0 / 24.0,
                                                 -0.5,
                                                 1.0};

    // The polynomial in s of the last `terms` coefficients, by Horner's rule.
    template <std::size_t terms, std::size_t size>
    static Reg horner(const std::array<double, size>& c, Reg s) {
        Reg p = Fma::broadcast(c[size - terms]);
        for (std::size_t i = size - terms + 1; i < size; ++i) {
            p = Fma::fma(p, s, Fma::broadcast(c[i]));
        }
        return p;
    }

    // sin r for |r| a little beyond pi/2 (k may be off by one there).
    static Reg sinPoly(Reg r) {
        const Reg s = Fma::mul(r, r);
        return Fma::fma(Fma::mul(r, s), horner<kSin.size()>(kSin, s), r);
    }

    // cos r for |r| a little beyond pi/4, up to r^16.
    static Reg cosPoly(Reg r) { return horner<9>(kCos, Fma::mul(r, r)); }

    // cos r for |r| up to a little beyond 1, up to r^20.
    static Reg cosPolyWide(Reg r) { return horner<kCos.size()>(kCos, Fma::mul(r, r)); }

    // x - k pi (or k pi/2 with half = true) for the nearest integer k, and k in the low bits of
    // the returned shifted value.
    static Reg reduce(Reg x, bool half, Reg& shifted) {
        const Reg shift = Fma::broadcast(kShift);
        shifted = Fma::fma(x, Fma::broadcast(half ? kInvHalfPi : kInvPi), shift);
        const Reg k = Fma::sub(shifted, shift);
        const double scale = half ? 0.5 : 1.0; // exact: halving keeps every bit
        const Reg r = Fma::fnma(k, Fma::broadcast(kPiHi * scale), x);
        return Fma::fnma(k, Fma::broadcast(kPiLo * scale), r);
    }

    static Reg sin(Reg x) {
        if (!Fma::allBelow(x, kLimit)) {
            return Fma::generalSin(x);
        }
        Reg shifted;
        const Reg r = reduce(x, false, shifted);
        // sin(r + k pi) = (-1)^k sin r
        return Fma::xorBits(sinPoly(r), Fma::bitsToSign(shifted, 0));
    }

    static void sinCos(Reg x, Reg& s, Reg& c) {
        if (!Fma::allBelow(x, kLimit)) {
            Fma::generalSinCos(x, s, c);
            return;
        }
        Reg shifted;
        const Reg r = reduce(x, true, shifted);
        const Reg sr = sinPoly(r);
        const Reg cr = cosPoly(r);
        // Quadrant k mod 4 of r + k pi/2: 0 (sin r, cos r), 1 (cos r, -sin r), 2 (-sin r, -cos r),
        // 3 (-cos r, sin r).
        const Reg odd = Fma::bitsToSign(shifted, 0);
        const Reg secondHalf = Fma::bitsToSign(shifted, 1);
        s = Fma::xorBits(Fma::select(odd, cr, sr), secondHalf);
        c = Fma::xorBits(Fma::select(odd, sr, cr), Fma::xorBits(odd, secondHalf));
    }

    // tan x for |x| <= 1 (the synthesis takes tangents of sines only) as sin x / cos x.
    static Reg tan(Reg x) {
        if (!Fma::allBelow(x, 1.0 + 1e-9)) {
            return Fma::generalTan(x);
        }
        return Fma::div(sinPoly(x), cosPolyWide(x));
    }
};

} // namespace tarmel::synth::simd
