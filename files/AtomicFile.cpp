// Whole-or-nothing file writes.
#include "files/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tarmel::files {

namespace {

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

std::string exists(const std::string& target) {
    return target + " already exists; choose another name or allow replacing it";
}

} // namespace

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno != EINTR) {
            return errno;
        }
        bytes.remove_prefix(n < 0 ? 0 : static_cast<std::size_t>(n));
    }
    return 0;
}

void writeAtomically(const std::filesystem::path& target, bool replace,
                     const std::function<void(int fd)>& write) {
    const std::string name = target.string();
    std::error_code ec;
    if (!replace && std::filesystem::exists(target, ec)) {
        throw FileExistsError(exists(name));
    }
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (dir / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        throw FileError("cannot create a file in " + dir.string() + ": " + std::strerror(errno) +
                        "; check that the folder exists and is writable");
    }
    TempFile temp(pattern);
    ::fchmod(fd, defaultMode());
    write(fd);
    if (replace) {
        if (std::rename(temp.path().c_str(), name.c_str()) != 0) {
            throw FileError("cannot replace " + name + ": " + std::strerror(errno));
        }
        temp.release();
    } else if (::link(temp.path().c_str(), name.c_str()) != 0) {
        // link() never replaces: a file that appeared meanwhile is left alone. The temporary
        // name goes with TempFile either way.
        const int err = errno;
        if (err == EEXIST) {
            throw FileExistsError(exists(name));
        }
        throw FileError("cannot create " + name + ": " + std::strerror(err));
    }
}

void writeBytesAtomically(const std::filesystem::path& target, bool replace,
                          std::string_view bytes) {
    writeAtomically(target, replace, [&](int fd) {
        const auto fail = [&](int err) {
            throw FileError("cannot write " + target.string() + ": " + std::strerror(err));
        };
        if (const int err = writeAll(fd, bytes); err != 0) {
            ::close(fd);
            fail(err);
        }
        const bool synced = ::fsync(fd) == 0;
        const int err = errno;
        if (::close(fd) != 0 || !synced) {
            fail(synced ? errno : err);
        }
    });
}

} // namespace tarmel::files
