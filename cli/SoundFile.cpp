// Sound files through libsndfile, written beside the target and renamed into place.
#include "cli/SoundFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sndfile.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tarmel::cli {

namespace {

int sndfileFormat(FileFormat f) {
    switch (f) {
    case FileFormat::Wav:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case FileFormat::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case FileFormat::Aiff:
        return SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    }
    return 0;
}

std::string errnoText(int err) {
    return std::strerror(err);
}

// Removes the temporary file unless released.
class TempFile {
public:
    explicit TempFile(std::string path) : path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

private:
    std::string path_;
};

// Permissions a newly created file would get: 0666 less the umask.
mode_t defaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void writeSoundFile(const std::filesystem::path& path, FileFormat format,
                    const std::vector<int16_t>& samples, bool replace) {
    const std::string target = path.string();
    std::error_code ec;
    if (!replace && std::filesystem::exists(path, ec)) {
        throw FileExistsError(target + " already exists; use --force to replace it");
    }

    const std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
    std::string hidden = ".";
    hidden.append(path.filename().string()).append(".tmp-XXXXXX");
    std::string pattern = (dir / hidden).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        throw FileWriteError("cannot create a file in " + dir.string() + ": " + errnoText(errno) +
                             "; check that the folder exists and is writable");
    }
    TempFile temp(pattern);
    ::fchmod(fd, defaultMode());

    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = sndfileFormat(format);
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (file == nullptr) {
        ::close(fd);
        throw FileWriteError("cannot write " + target + ": " + sf_strerror(nullptr));
    }
    const auto count = static_cast<sf_count_t>(samples.size());
    const sf_count_t written = sf_write_short(file, samples.data(), count);
    const std::string writeError = sf_strerror(file);
    const int closeStatus = sf_close(file);
    if (written != count || closeStatus != 0) {
        throw FileWriteError("cannot write " + target + ": " +
                             (written != count ? writeError : sf_error_number(closeStatus)) +
                             "; is the disk full?");
    }

    if (replace) {
        if (std::rename(temp.path().c_str(), target.c_str()) != 0) {
            throw FileWriteError("cannot replace " + target + ": " + errnoText(errno));
        }
    } else if (::link(temp.path().c_str(), target.c_str()) != 0) {
        // link() never replaces: if the file appeared meanwhile it is left alone.
        const int err = errno;
        if (err == EEXIST) {
            throw FileExistsError(target + " already exists; use --force to replace it");
        }
        throw FileWriteError("cannot create " + target + ": " + errnoText(err));
    }
    // Done: after a rename the temporary name is gone; after a link it is removed here.
    if (!replace) {
        return; // TempFile's destructor unlinks the temporary name
    }
    temp.release();
}

std::vector<int16_t> readSoundFile(const std::filesystem::path& path, int* sampleRate,
                                   int* channels, int* format) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.string().c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw FileWriteError("cannot read " + path.string() + ": " + sf_strerror(nullptr));
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

} // namespace tarmel::cli
