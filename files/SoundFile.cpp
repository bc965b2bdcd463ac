// Sound files through libsndfile.
#include "files/SoundFile.h"

#include <algorithm>
#include <cctype>
#include <sndfile.h>
#include <string>
#include <unistd.h>

namespace tarmel::files {

std::optional<SoundFormat> soundFormatFor(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".wav") {
        return SoundFormat::Wav;
    }
    if (ext == ".flac") {
        return SoundFormat::Flac;
    }
    if (ext == ".aiff") {
        return SoundFormat::Aiff;
    }
    return std::nullopt;
}

void writeSoundFile(const std::filesystem::path& path, std::span<const int16_t> samples,
                    bool replace) {
    const std::optional<SoundFormat> format = soundFormatFor(path);
    if (!format) {
        throw FileError("cannot write " + path.string() + ": unknown extension '" +
                        path.extension().string() + "'; use .wav, .flac or .aiff");
    }
    const int major = *format == SoundFormat::Wav    ? SF_FORMAT_WAV
                      : *format == SoundFormat::Flac ? SF_FORMAT_FLAC
                                                     : SF_FORMAT_AIFF;
    writeAtomically(path, replace, [&](int fd) {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 1;
        info.format = major | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
        if (file == nullptr) {
            ::close(fd);
            throw FileError("cannot write " + path.string() + ": " + sf_strerror(nullptr));
        }
        const auto count = static_cast<sf_count_t>(samples.size());
        const sf_count_t written = sf_write_short(file, samples.data(), count);
        const std::string writeError = sf_strerror(file);
        const int closeStatus = sf_close(file);
        if (written != count || closeStatus != 0) {
            throw FileError("cannot write " + path.string() + ": " +
                            (written != count ? writeError : sf_error_number(closeStatus)) +
                            "; is the disk full?");
        }
    });
}

std::vector<int16_t> readSoundFile(const std::filesystem::path& path, int* sampleRate,
                                   int* channels, int* format) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.string().c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw FileError("cannot read " + path.string() + ": " + sf_strerror(nullptr));
    }
    std::vector<int16_t> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_read_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    if (sampleRate != nullptr) {
        *sampleRate = info.samplerate;
    }
    if (channels != nullptr) {
        *channels = info.channels;
    }
    if (format != nullptr) {
        *format = info.format;
    }
    return samples;
}

} // namespace tarmel::files
