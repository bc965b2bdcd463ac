// Signals and helpers shared by the sound layer's tests.
#pragma once

#include "audio/SoundOutput.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarmel::audio::test {

// One second of samples that differ from buffer to buffer and are never zero, so the start of a
// signal can be found in silence. Three of them sum without clamping.
inline std::vector<int16_t> testSignal(int seed) {
    std::vector<int16_t> s(kBufferFrames);
    for (int i = 0; i < kBufferFrames; ++i) {
        const int v = (i * (37 + 2 * seed) + seed * 1009) % 16001 - 8000;
        s[i] = static_cast<int16_t>(v == 0 ? 1 : v);
    }
    return s;
}

inline std::vector<int16_t> silence(int frames) {
    return std::vector<int16_t>(frames, 0);
}

// a followed by b.
inline std::vector<int16_t> joined(std::vector<int16_t> a, const std::vector<int16_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The message of the SoundError that f throws, or "" when it throws none.
template <typename F> std::string errorOf(F f) {
    try {
        f();
    } catch (const SoundError& e) {
        return e.what();
    }
    return "";
}

// The five references the main window holds, replaced the way InitSound replaces them.
struct SoundSlots {
    std::function<std::shared_ptr<SoundSystem>()> makeRoot;
    std::shared_ptr<SoundSystem> directX;
    std::shared_ptr<SoundDevice> soundDevice;
    std::array<std::shared_ptr<SoundBuffer>, 3> buffers;

    void initSound() {
        directX = makeRoot();
        soundDevice = directX->CreateDevice("");
        BufferDescription desc;
        fillOneSecondMono16(desc);
        for (auto& buffer : buffers) {
            buffer = soundDevice->CreateSoundBuffer(desc);
        }
    }
    void reset() {
        for (auto& buffer : buffers) {
            buffer->Stop();
        }
        initSound();
    }
    // Gives up every object, as the window does when it goes.
    void release() {
        buffers = {};
        soundDevice.reset();
        directX.reset();
    }
};

inline void writeWhole(SoundBuffer& buffer, const std::vector<int16_t>& samples) {
    buffer.WriteBuffer(0, static_cast<int32_t>(kBufferBytes), samples.data(), 0);
}

} // namespace tarmel::audio::test
