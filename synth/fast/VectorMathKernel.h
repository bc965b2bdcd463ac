// The loops of VectorMath for one instruction set. Included only by the file compiled for that
// set, with an Isa type of internal linkage, and calling nothing but intrinsics, builtins and
// always-inlined helpers, so no code built for that set is shared with other files.
#pragma once

#include "synth/fast/FastRounding.h"
#include "synth/fast/VectorMath.h"

namespace tarmel::synth::simd {

// Isa provides the register type Reg of kWidth doubles and load, store, broadcast, add, mul, div,
// sin, sinCos and tan on registers.
template <class Isa> struct ArrayMath {
    using Reg = typename Isa::Reg;
    static constexpr int kWidth = Isa::kWidth;

    // Stores the first `left` lanes of v (all of them when left >= kWidth).
    static void storePart(double* p, Reg v, int left) {
        if (left >= kWidth) {
            Isa::store(p, v);
            return;
        }
        double lanes[kWidth];
        Isa::store(lanes, v);
        for (int k = 0; k < left; ++k) {
            p[k] = lanes[k];
        }
    }

    // The arguments of kWidth samples at a time from sample first on: ((scale n) / divisor) times
    // ratio, the operations of argumentAt, lane by lane.
    struct Arguments {
        Arguments(const Argument& a, int first)
            : step(Isa::broadcast(kWidth)), scale(Isa::broadcast(a.scale)),
              divisor(Isa::broadcast(a.divisor)), ratio(Isa::broadcast(a.ratio)) {
            double lanes[kWidth];
            for (int k = 0; k < kWidth; ++k) {
                lanes[k] = static_cast<double>(first + k);
            }
            n = Isa::load(lanes);
        }
        Reg current() const { return Isa::mul(Isa::div(Isa::mul(scale, n), divisor), ratio); }
        void advance() { n = Isa::add(n, step); }

        Reg n;
        const Reg step;
        const Reg scale;
        const Reg divisor;
        const Reg ratio;
    };

    static void sinAt(const Argument& a, int first, int count, const double* need, double* out) {
        Arguments x(a, first);
        for (int i = 0; i < count; i += kWidth, x.advance()) {
            // need is a whole row, so reading past count stays inside it.
            if (need != nullptr && Isa::allZero(Isa::load(need + i))) {
                storePart(out + i, Isa::broadcast(0.0), count - i);
            } else {
                storePart(out + i, Isa::sin(x.current()), count - i);
            }
        }
    }

    static void sinCosAt(const Argument& a, int first, int count, double* sinOut, double* cosOut) {
        Arguments x(a, first);
        for (int i = 0; i < count; i += kWidth, x.advance()) {
            Reg s;
            Reg c;
            Isa::sinCos(x.current(), s, c);
            storePart(sinOut + i, s, count - i);
            storePart(cosOut + i, c, count - i);
        }
    }

    static void tan(const double* x, double* out, int count) {
        int i = 0;
        for (; i + kWidth <= count; i += kWidth) {
            // Zeros (the sines a silent oscillator's modulators skip) are their own tangents.
            const Reg v = Isa::load(x + i);
            Isa::store(out + i, Isa::allZero(v) ? v : Isa::tan(v));
        }
        if (i < count) {
            double lanes[kWidth] = {};
            for (int k = 0; i + k < count; ++k) {
                lanes[k] = x[i + k];
            }
            storePart(out + i, Isa::tan(Isa::load(lanes)), count - i);
        }
    }

    static void product(const double* a, const double* b, const double* const* factors, double* out,
                        int count) {
        const double* f0 = factors[0];
        const double* f1 = factors[1];
        const double* f2 = factors[2];
        const double* f3 = factors[3];
        const double* f4 = factors[4];
        for (int i = 0; i < count; ++i) {
            double s = a[i] * b[i];
            s *= f0[i];
            s *= f1[i];
            s *= f2[i];
            s *= f3[i];
            s *= f4[i];
            out[i] = s;
        }
    }

    static void weightedSum(const double* x, double a, const double* y, double b, double* out,
                            int count) {
        for (int i = 0; i < count; ++i) {
            out[i] = x[i] * a + y[i] * b;
        }
    }

    static void multiply(const double* a, const double* b, double* out, int count) {
        for (int i = 0; i < count; ++i) {
            out[i] = a[i] * b[i];
        }
    }

    // Two loops without branches, so that both vectorise.
    static bool round(const double* values, double* rounded, double* unusual, int count) {
        for (int i = 0; i < count; ++i) {
            const double v = values[i];
            const double r = rounding::roundHalfEven(v);
            rounded[i] = r;
            unusual[i] =
                (rounding::safeMagnitude(v) ? 0.0 : 1.0) + (rounding::nearTie(v, r) ? 1.0 : 0.0);
        }
        return allZero(unusual, count);
    }

    static bool allZero(const double* values, int count) {
        unsigned long long any = 0;
        for (int i = 0; i < count; ++i) {
            any |= __builtin_bit_cast(unsigned long long, values[i]);
        }
        return any == 0;
    }

    static bool gate(const double* v, double* out, double* unusual, int count) {
        for (int i = 0; i < count; ++i) {
            out[i] = v[i] < 0.0 ? -1.0 : 0.0;
            unusual[i] = rounding::clearOfGateEdges(v[i]) ? 0.0 : 1.0;
        }
        return allZero(unusual, count);
    }

    static void toSamples(const double* rounded, int16_t* out, int count) {
        for (int i = 0; i < count; ++i) {
            out[i] = static_cast<int16_t>(rounded[i]);
        }
    }

    static constexpr VectorMath table(const char* name) {
        return {name,         &sinAt,    &sinCosAt, &tan,  &product,
                &weightedSum, &multiply, &round,    &gate, &toSamples};
    }
};

} // namespace tarmel::synth::simd
