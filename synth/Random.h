// The random modulator's generator: a fixed start state and the sign convention on its argument.
#pragma once

#include <cstdint>

namespace tarmel::synth {

// r > 0: the next value of the sequence; r == 0: the last value again;
// r < 0: reseed from r and return the value so determined (same r, same value).
// Values are single precision in [0, 1). Every instance starts from the same state.
class RandomGenerator {
public:
    // The generator's whole state: its place in the sequence and the value it returned last.
    struct Raw {
        uint64_t state;
        float last;
    };

    RandomGenerator() = default;
    explicit RandomGenerator(Raw raw) : state_(raw.state), last_(raw.last) {}
    Raw raw() const { return {state_, last_}; }

    float next(double r);

    friend bool operator==(const RandomGenerator&, const RandomGenerator&) = default;

private:
    float advance();

    static constexpr uint64_t kStartState = 0x853c49e6748fea9bULL;
    uint64_t state_ = kStartState;
    float last_ = 0.0f;
};

} // namespace tarmel::synth
