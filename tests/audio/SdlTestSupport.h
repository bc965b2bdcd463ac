// Environment, temporary folders, disk-driver output and InitSound's sequence for the SDL tests.
#pragma once

#include "AudioTestSupport.h"
#include "audio/SdlSound.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tarmel::audio::test {

// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarmel-audio-XXXXXX");
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The 16-bit samples the disk driver has written so far.
inline std::vector<int16_t> readSamples(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) {
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    }
    return samples;
}

// Index of the first sample that is not silence, or -1.
inline int signalStart(const std::vector<int16_t>& samples) {
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// Waits until the disk driver's file holds a signal followed by at least frames samples counted
// from the signal's start. The driver writes at about real-time pace, so this takes a little
// over frames / 44100 seconds; gives up after a minute so a broken device cannot hang the suite.
inline bool waitForSignal(const std::filesystem::path& file, int frames) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < giveUp) {
        const auto samples = readSamples(file);
        const int start = signalStart(samples);
        if (start >= 0 && static_cast<int>(samples.size()) - start >= frames) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// Tries op on a buffer of a device that is going away until it is refused; returns the refusal,
// or "" when the device stays for a minute.
template <typename F> std::string waitUntilRefused(F op) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < giveUp) {
        const std::string error = errorOf(op);
        if (!error.empty()) {
            return error;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "";
}

// The window's references on the SDL sound layer.
inline SoundSlots sdlSlots() {
    return SoundSlots{makeSdlSoundSystem, {}, {}, {}};
}

} // namespace tarmel::audio::test
