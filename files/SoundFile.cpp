// Sound files through libsndfile, encoded in memory (so that they can also go down a pipe) and
// written in one piece; Opus resampled by libsamplerate.
#include "files/SoundFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

namespace tarmel::files {

namespace {

constexpr int kRate = 44100;
constexpr int kOpusRate = 48000;

struct FormatInfo {
    SoundFormat format;
    std::string_view name;                      // for --format, and in messages
    std::array<std::string_view, 2> extensions; // the first is the usual one
    int libsndfile;                             // major format | encoding
};

constexpr std::array<FormatInfo, 6> kFormats{{
    {SoundFormat::Wav, "wav", {".wav", ""}, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    {SoundFormat::Flac, "flac", {".flac", ""}, SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    {SoundFormat::Aiff, "aiff", {".aiff", ".aif"}, SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    {SoundFormat::Ogg, "ogg", {".ogg", ".oga"}, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    {SoundFormat::Opus, "opus", {".opus", ""}, SF_FORMAT_OGG | SF_FORMAT_OPUS},
    {SoundFormat::Mp3, "mp3", {".mp3", ""}, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
}};

const FormatInfo& infoOf(SoundFormat format) {
    return *std::find_if(kFormats.begin(), kFormats.end(),
                         [format](const FormatInfo& f) { return f.format == format; });
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

int rateOf(SoundFormat format) {
    return format == SoundFormat::Opus ? kOpusRate : kRate;
}

// A growing file in memory for libsndfile's virtual I/O: it seeks back to finish headers.
struct Memory {
    std::string bytes;
    sf_count_t at = 0;
};

Memory& memoryOf(void* user) {
    return *static_cast<Memory*>(user);
}

SF_VIRTUAL_IO memoryIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* user) {
        return static_cast<sf_count_t>(memoryOf(user).bytes.size());
    };
    io.seek = [](sf_count_t offset, int whence, void* user) {
        Memory& m = memoryOf(user);
        const sf_count_t base = whence == SEEK_SET   ? 0
                                : whence == SEEK_CUR ? m.at
                                                     : static_cast<sf_count_t>(m.bytes.size());
        m.at = std::max<sf_count_t>(0, base + offset);
        return m.at;
    };
    io.read = [](void* ptr, sf_count_t count, void* user) {
        Memory& m = memoryOf(user);
        const sf_count_t size = static_cast<sf_count_t>(m.bytes.size());
        const sf_count_t n = std::clamp<sf_count_t>(size - m.at, 0, count);
        std::memcpy(ptr, m.bytes.data() + m.at, static_cast<std::size_t>(n));
        m.at += n;
        return n;
    };
    io.write = [](const void* ptr, sf_count_t count, void* user) {
        Memory& m = memoryOf(user);
        const auto end = static_cast<std::size_t>(m.at + count);
        if (end > m.bytes.size()) {
            m.bytes.resize(end);
        }
        std::memcpy(m.bytes.data() + m.at, ptr, static_cast<std::size_t>(count));
        m.at += count;
        return count;
    };
    io.tell = [](void* user) { return memoryOf(user).at; };
    return io;
}

// The samples as floats from -1 to 1 at 48000 Hz.
std::vector<float> resampledForOpus(std::span<const int16_t> samples) {
    std::vector<float> in(samples.size());
    std::transform(samples.begin(), samples.end(), in.begin(),
                   [](int16_t s) { return static_cast<float>(s) / 32768.0F; });
    std::vector<float> out(samples.size() * kOpusRate / kRate + 1);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = static_cast<double>(kOpusRate) / kRate;
    if (const int error = src_simple(&data, SRC_SINC_BEST_QUALITY, 1); error != 0) {
        throw FileError(std::string("cannot resample the sound for Opus: ") + src_strerror(error));
    }
    out.resize(static_cast<std::size_t>(data.output_frames_gen));
    return out;
}

} // namespace

std::optional<SoundFormat> soundFormatFor(const std::filesystem::path& path) {
    const std::string ext = lowered(path.extension().string());
    for (const FormatInfo& f : kFormats) {
        if (!ext.empty() && (ext == f.extensions[0] || ext == f.extensions[1])) {
            return f.format;
        }
    }
    return std::nullopt;
}

std::optional<SoundFormat> soundFormatNamed(std::string_view name) {
    const std::string wanted = lowered(name);
    for (const FormatInfo& f : kFormats) {
        if (wanted == f.name) {
            return f.format;
        }
    }
    return std::nullopt;
}

bool soundFormatAvailable(SoundFormat format) {
    SF_INFO info{};
    info.samplerate = rateOf(format);
    info.channels = 1;
    info.format = infoOf(format).libsndfile;
    return sf_format_check(&info) == SF_TRUE;
}

std::string writableExtensions() {
    std::vector<std::string_view> names;
    for (const FormatInfo& f : kFormats) {
        if (soundFormatAvailable(f.format)) {
            names.push_back(f.extensions[0]);
        }
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + std::string(names[i]);
    }
    return text;
}

std::string encodeSound(std::span<const int16_t> samples, SoundFormat format) {
    const FormatInfo& f = infoOf(format);
    if (!soundFormatAvailable(format)) {
        throw FileError("this system's libsndfile cannot write " + std::string(f.name) +
                        " files; use " + writableExtensions());
    }
    Memory memory;
    SF_VIRTUAL_IO io = memoryIo();
    SF_INFO info{};
    info.samplerate = rateOf(format);
    info.channels = 1;
    info.format = f.libsndfile;
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (file == nullptr) {
        throw FileError(std::string("cannot encode the sound as ") + std::string(f.name) + ": " +
                        sf_strerror(nullptr));
    }
    sf_count_t expected = 0;
    sf_count_t written = 0;
    if (format == SoundFormat::Opus) {
        const std::vector<float> resampled = resampledForOpus(samples);
        expected = static_cast<sf_count_t>(resampled.size());
        written = sf_write_float(file, resampled.data(), expected);
    } else {
        expected = static_cast<sf_count_t>(samples.size());
        written = sf_write_short(file, samples.data(), expected);
    }
    const std::string writeError = sf_strerror(file);
    const int closeStatus = sf_close(file);
    if (written != expected || closeStatus != 0) {
        throw FileError(std::string("cannot encode the sound as ") + std::string(f.name) + ": " +
                        (written != expected ? writeError : sf_error_number(closeStatus)));
    }
    return std::move(memory.bytes);
}

void writeSoundFile(const std::filesystem::path& path, std::span<const int16_t> samples,
                    bool replace, std::optional<SoundFormat> format) {
    if (!format) {
        format = soundFormatFor(path);
    }
    if (!format) {
        throw FileError("cannot write " + path.string() + ": unknown extension '" +
                        path.extension().string() + "'; use " + writableExtensions());
    }
    std::string bytes;
    try {
        bytes = encodeSound(samples, *format);
    } catch (const FileError& e) {
        throw FileError("cannot write " + path.string() + ": " + e.what());
    }
    writeAtomically(path, replace, [&](int fd) {
        const int err = writeAll(fd, bytes);
        if (::close(fd) != 0 || err != 0) {
            throw FileError("cannot write " + path.string() + ": " +
                            std::strerror(err != 0 ? err : errno) + "; is the disk full?");
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
    const sf_count_t read =
        sf_read_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    samples.resize(static_cast<std::size_t>(std::max<sf_count_t>(read, 0)));
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
