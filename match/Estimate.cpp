// The analysis before the search: envelope fit, spectral peaks and the sounds they suggest.
#include "match/Estimate.h"

#include "match/Spectra.h"
#include "synth/Modulators.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarmel::match {

namespace {

constexpr int kFrame = 441;
constexpr double kRate = 44100.0;
constexpr int kPeakFrame = 8192;
constexpr int kPeaks = 6;
// The strongest peaks guessed as other pitches and modulators.
constexpr std::size_t kGuessPeaks = 3;

int clampedTo(const sound::Control& c, double value) {
    return std::clamp(static_cast<int>(std::lround(value)), c.minimum, c.maximum);
}

// Every Multiply and Divide of a modulator whose sine comes closest to hz (several products of
// Multiply and Divide can give the same frequency).
std::vector<std::pair<int, int>> closestSettings(int oscillator, int modulator, int pitch1,
                                                 double hz) {
    const sound::Control& mul = sound::control(
        sound::modulatorControl(sound::ControlKind::Multiply, oscillator, modulator));
    const sound::Control& div =
        sound::control(sound::modulatorControl(sound::ControlKind::Divide, oscillator, modulator));
    std::vector<std::pair<int, int>> best;
    double bestError = INFINITY;
    for (int f = std::max(mul.minimum, 1); f <= mul.maximum; ++f) {
        for (int h = div.minimum; h <= div.maximum; ++h) {
            const double error =
                std::fabs(std::log(modulatorHz(oscillator, modulator, pitch1, f, h) / hz));
            if (error < bestError - 1e-9) {
                bestError = error;
                best.clear();
            }
            if (error < bestError + 1e-9) {
                best.emplace_back(f, h);
            }
        }
    }
    return best;
}

} // namespace

int estimateAttack(std::span<const float> samples) {
    // Least squares for r ~ s sin(x) + c cos(x): the normal equations of two unknowns.
    double ss = 0;
    double sc = 0;
    double cc = 0;
    double rs = 0;
    double rc = 0;
    for (std::size_t f = 0; (f + 1) * kFrame <= samples.size(); ++f) {
        double sum = 0;
        for (std::size_t n = f * kFrame; n < (f + 1) * kFrame; ++n) {
            sum += static_cast<double>(samples[n]) * samples[n];
        }
        const double r = std::sqrt(sum / kFrame);
        const double x = std::numbers::pi * (static_cast<double>(f) + 0.5) * kFrame / 88200.0;
        ss += std::sin(x) * std::sin(x);
        sc += std::sin(x) * std::cos(x);
        cc += std::cos(x) * std::cos(x);
        rs += r * std::sin(x);
        rc += r * std::cos(x);
    }
    const double det = ss * cc - sc * sc;
    const double s = std::max(0.0, (rs * cc - rc * sc) / det);
    const double c = std::max(0.0, (rc * ss - rs * sc) / det);
    if (s + c <= 0) {
        return 0;
    }
    return clampedTo(sound::control(3), synth::kAttackMax * s / (s + c));
}

std::vector<SpectralPeak> spectralPeaks(std::span<const float> samples, int count) {
    FrameSpectra spectra(kPeakFrame, kPeakFrame / 2);
    std::vector<float> power;
    spectra.powers(samples, 1.0F / 32768.0F, power);
    const auto bins = static_cast<std::size_t>(spectra.bins());
    std::vector<double> db(bins, 0.0);
    const std::size_t frames = power.size() / bins;
    for (std::size_t f = 0; f < frames; ++f) {
        for (std::size_t k = 0; k < bins; ++k) {
            db[k] += power[f * bins + k];
        }
    }
    for (double& v : db) {
        v = 10.0 * std::log10(v / static_cast<double>(std::max<std::size_t>(frames, 1)) + 1e-12);
    }
    std::vector<SpectralPeak> peaks;
    for (std::size_t k = 1; k + 1 < bins; ++k) {
        if (db[k] > db[k - 1] && db[k] >= db[k + 1]) {
            const double bend = db[k - 1] - 2 * db[k] + db[k + 1];
            const double shift = bend < 0 ? 0.5 * (db[k - 1] - db[k + 1]) / bend : 0.0;
            peaks.push_back({(static_cast<double>(k) + shift) * kRate / kPeakFrame, db[k]});
        }
    }
    std::sort(peaks.begin(), peaks.end(),
              [](const SpectralPeak& a, const SpectralPeak& b) { return a.db > b.db; });
    if (!peaks.empty()) {
        const double lowest = peaks.front().db - 50.0;
        std::erase_if(peaks, [lowest](const SpectralPeak& p) { return p.db < lowest; });
    }
    peaks.resize(std::min(peaks.size(), static_cast<std::size_t>(std::max(count, 0))));
    return peaks;
}

double modulatorHz(int oscillator, int modulator, int pitch1, int multiply, int divide) {
    const synth::ModulatorKind& kind = synth::kModulatorKinds.at(static_cast<std::size_t>(
        (oscillator - 1) * synth::kModulatorsPerOscillator + modulator - 1));
    const double q = static_cast<double>(pitch1) * multiply;
    switch (kind.phase) {
    case synth::Phase::Multiply:
        return q * divide;
    case synth::Phase::Divide:
        return q / divide;
    case synth::Phase::DivideHalved:
        break;
    }
    return q / (2.0 * divide);
}

std::vector<int> pitchCandidates(const std::vector<SpectralPeak>& peaks) {
    // A peak, a spacing between two peaks (the distance of harmonics or of sidebands) and their
    // halves and thirds, the likelier first.
    std::vector<double> hz;
    for (const SpectralPeak& p : peaks) {
        hz.push_back(p.hz);
    }
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        for (std::size_t j = i + 1; j < peaks.size(); ++j) {
            hz.push_back(std::fabs(peaks[i].hz - peaks[j].hz));
        }
    }
    const std::size_t found = hz.size();
    for (std::size_t i = 0; i < found; ++i) {
        hz.push_back(hz[i] / 2);
        hz.push_back(hz[i] / 3);
    }
    const sound::Control& pitch = sound::control(0);
    std::vector<int> out;
    for (double f : hz) {
        const auto p = static_cast<int>(std::lround(f));
        const bool near =
            std::any_of(out.begin(), out.end(), [p](int q) { return std::abs(p - q) <= 1; });
        if (pitch.accepts(p) && p >= 20 && !near) {
            out.push_back(p);
        }
    }
    return out;
}

std::vector<sound::Controls> startingSounds(std::span<const float> samples) {
    const int attack = estimateAttack(samples);
    std::vector<sound::Controls> out;
    for (int p : pitchCandidates(spectralPeaks(samples, kPeaks))) {
        sound::Controls c = sound::startControls();
        c.pitch1 = static_cast<int16_t>(p);
        c.attack = static_cast<int16_t>(attack);
        out.push_back(c);
    }
    if (out.empty()) {
        sound::Controls c = sound::startControls();
        c.attack = static_cast<int16_t>(attack);
        out.push_back(c);
    }
    return out;
}

std::vector<sound::Controls> soundsAround(const sound::Controls& base,
                                          const std::vector<SpectralPeak>& peaks) {
    std::vector<sound::Controls> out;
    const int p = base.pitch1;
    const std::span<const SpectralPeak> strongest(peaks.data(),
                                                  std::min<std::size_t>(peaks.size(), kGuessPeaks));
    // A second peak as oscillator 2's or 3's pitch.
    for (const SpectralPeak& peak : strongest) {
        const double offset = peak.hz - p;
        if (std::fabs(offset) < 1 || std::fabs(offset) > synth::kOffsetMax) {
            continue;
        }
        for (int oscillator : {2, 3}) {
            sound::Controls c = base;
            c.play[static_cast<std::size_t>(oscillator - 1)] = true;
            c.offsets[static_cast<std::size_t>(oscillator - 2)] =
                static_cast<int16_t>(std::lround(offset));
            out.push_back(c);
        }
    }
    // A sine times a sine sounds at the sum and the difference of their frequencies: a modulator
    // of an oscillator heard may sound at a peak, at a peak's distance from the oscillator's
    // pitch, or at half the distance of two peaks.
    for (int o = 1; o <= synth::kOscillators; ++o) {
        if (!base.play[static_cast<std::size_t>(o - 1)]) {
            continue;
        }
        const int carrier = o == 1 ? p : p + base.offsets[static_cast<std::size_t>(o - 2)];
        std::vector<double> frequencies;
        for (std::size_t i = 0; i < strongest.size(); ++i) {
            frequencies.push_back(strongest[i].hz);
            frequencies.push_back(std::fabs(strongest[i].hz - carrier));
            // Two peaks either side of a component that a modulator multiplies.
            for (std::size_t j = i + 1; j < strongest.size(); ++j) {
                frequencies.push_back(0.5 * std::fabs(strongest[i].hz - strongest[j].hz));
            }
        }
        for (const double hz : frequencies) {
            {
                if (hz < 1) {
                    continue;
                }
                for (int m = 1; m <= synth::kModulatorsPerOscillator; ++m) {
                    for (const auto& [f, h] : closestSettings(o, m, p, hz)) {
                        sound::Controls c = base;
                        c.modulators[static_cast<std::size_t>(
                            (o - 1) * synth::kModulatorsPerOscillator + m - 1)] = {
                            true, static_cast<int16_t>(f), static_cast<int16_t>(h)};
                        out.push_back(c);
                    }
                }
            }
        }
    }
    return out;
}

} // namespace tarmel::match
