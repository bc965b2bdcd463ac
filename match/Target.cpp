// Reading the sound to match through libsndfile; a rate other than 44100 Hz through
// libsamplerate's best converter.
#include "match/Target.h"

#include "synth/Parameters.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <samplerate.h>
#include <sndfile.h>
#include <system_error>

namespace tarmel::match {

namespace {

constexpr int kRate = synth::kSampleRate;
constexpr int kLength = synth::kBufferSamples;
// A sample's full scale in the units of the heard samples.
constexpr double kFullScale = 32768.0;
// Below this peak (half of the smallest 16-bit step) a sound is silence.
constexpr float kSilence = 0.5F;

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

// The channels averaged into one.
std::vector<float> mono(const std::vector<float>& interleaved, int channels) {
    std::vector<float> out(interleaved.size() / static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < out.size(); ++i) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) {
            sum +=
                interleaved[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)];
        }
        out[i] = static_cast<float>(sum / channels);
    }
    return out;
}

std::vector<float> resampled(const std::vector<float>& in, int rate, const std::string& name) {
    if (rate == kRate) {
        return in;
    }
    const double ratio = static_cast<double>(kRate) / rate;
    std::vector<float> out(static_cast<std::size_t>(std::ceil(in.size() * ratio)) + 16);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (const int err = src_simple(&data, SRC_SINC_BEST_QUALITY, 1); err != 0) {
        throw TargetError(quoted(name) + " cannot be converted to 44100 Hz (" + src_strerror(err) +
                          "); convert it to 44100 Hz and try again");
    }
    out.resize(static_cast<std::size_t>(data.output_frames_gen));
    return out;
}

} // namespace

Target targetFromSamples(std::vector<float> interleaved, int channels, int rate,
                         const std::string& name) {
    if (channels < 1 || rate < 1) {
        throw TargetError(quoted(name) + " has no channels or no sample rate; it is not a sound "
                                         "file this program can read");
    }
    if (interleaved.size() < static_cast<std::size_t>(channels)) {
        throw TargetError(quoted(name) + " holds no samples; choose a recording at least a few "
                                         "milliseconds long");
    }
    if (!std::all_of(interleaved.begin(), interleaved.end(),
                     [](float v) { return std::isfinite(v); })) {
        throw TargetError(quoted(name) + " holds samples that are not numbers (NaN or "
                                         "infinite); the file is damaged, export it again");
    }
    std::vector<float> samples = resampled(mono(interleaved, channels), rate, name);
    samples.resize(kLength, 0.0F);
    const float peak = std::transform_reduce(
        samples.begin(), samples.end(), 0.0F, [](float a, float b) { return std::max(a, b); },
        [](float v) { return std::fabs(v); });
    if (peak < kSilence) {
        throw TargetError(quoted(name) + " is silent in its first second: nothing to match; "
                                         "choose a file whose sound starts at once");
    }
    return Target{std::move(samples)};
}

Target readTarget(const std::filesystem::path& file) {
    const std::string name = file.string();
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        throw TargetError(quoted(name) + " is a folder; choose a sound file");
    }
    if (!std::filesystem::exists(file, ec)) {
        throw TargetError(quoted(name) + " does not exist; check the name");
    }
    if (std::filesystem::file_size(file, ec) == 0 && !ec) {
        throw TargetError(quoted(name) + " is empty (0 bytes); choose a sound file");
    }
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, SndfileCloser> sf(sf_open(name.c_str(), SFM_READ, &info));
    if (!sf) {
        throw TargetError(quoted(name) + " is not a sound file this program can read (" +
                          sf_strerror(nullptr) + "); use WAV, FLAC, Ogg or AIFF");
    }
    if (info.frames <= 0 || info.channels < 1) {
        throw TargetError(quoted(name) + " holds no samples; choose a recording at least a few "
                                         "milliseconds long");
    }
    // The first second only, and a few samples more for the resampler's filter to settle on.
    const sf_count_t wanted = std::min<sf_count_t>(info.frames, info.samplerate + 64);
    std::vector<float> interleaved(static_cast<std::size_t>(wanted * info.channels));
    sf_command(sf.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    const sf_count_t got = sf_readf_float(sf.get(), interleaved.data(), wanted);
    if (got <= 0) {
        throw TargetError(quoted(name) + " cannot be read: " + sf_strerror(sf.get()));
    }
    interleaved.resize(static_cast<std::size_t>(got * info.channels));
    for (float& v : interleaved) {
        v = static_cast<float>(v * kFullScale);
    }
    return targetFromSamples(std::move(interleaved), info.channels, info.samplerate, name);
}

} // namespace tarmel::match
