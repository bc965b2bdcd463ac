// Normalising an exported sound: one gain for the whole sound so that its loudest sample is at
// -1 dBFS. An export option only; the sound played is never changed.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tarmel::files {

// -1 dBFS of 16-bit full scale: 32767 * 10^(-1/20) = 29203.619...
double normalPeak();

// The samples multiplied by normalPeak() / peak, where peak is the largest magnitude among them
// (32768 for -32768), each product rounded to the nearest integer, halves away from zero. The
// loudest sample lands on 29204 (or -29204), so nothing ever clips. Silence stays silent.
std::vector<int16_t> normalised(std::span<const int16_t> samples);

} // namespace tarmel::files
