// One gain for the whole sound, its loudest sample at -1 dBFS.
#include "files/Normalise.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarmel::files {

double normalPeak() {
    return 32767.0 * std::pow(10.0, -1.0 / 20.0);
}

std::vector<int16_t> normalised(std::span<const int16_t> samples) {
    int peak = 0;
    for (const int16_t s : samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    std::vector<int16_t> out(samples.size());
    if (peak == 0) {
        return out;
    }
    const double gain = normalPeak() / peak;
    // |s * gain| <= normalPeak() < 32767: every product fits after rounding.
    std::ranges::transform(samples, out.begin(), [gain](int16_t s) {
        return static_cast<int16_t>(std::lround(s * gain));
    });
    return out;
}

} // namespace tarmel::files
