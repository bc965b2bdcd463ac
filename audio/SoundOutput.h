// The sound layer's interface: a root object opens the default output device, the device makes
// one-second buffers, and a buffer is written, played once and stopped.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace tarmel::audio {

// A failing sound operation; carries the back end's own message.
class SoundError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The buffer description record that CreateSoundBuffer receives whole; the wave format lies
// inside it. Fields the program never writes keep their zero or empty value.
struct BufferDescription {
    uint32_t recordSize = 0;
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;
    uint32_t reserved = 0;
    uint16_t formatTag = 0; // 1: PCM
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraFormatSize = 0;
    uint16_t alignment = 0;
    uint32_t extraFormatData = 0;
    std::string algorithm;

    friend bool operator==(const BufferDescription&, const BufferDescription&) = default;
};

// Fills the fields InitSound writes: one second of 16-bit mono PCM at 44100 samples a second.
void fillOneSecondMono16(BufferDescription& desc);

// The one format the sound layer accepts; throws SoundError naming the first field that differs.
void checkDescription(const BufferDescription& desc);

inline constexpr uint32_t kBufferBytes = 88200;
inline constexpr int kBufferFrames = 44100;
inline constexpr int32_t kPlayOnce = 0;

// The arguments WriteBuffer accepts: whole samples inside the buffer, a source, flags 0. Throws
// SoundError saying which argument is wrong.
void checkWrite(int32_t start, int32_t size, const int16_t* source, int32_t flags);

// Play accepts only kPlayOnce; throws SoundError otherwise.
void checkPlayFlags(int32_t flags);

class SoundBuffer {
public:
    virtual ~SoundBuffer() = default;
    // Copies size bytes of 16-bit samples from source into the buffer at byte offset start,
    // also while it sounds (the play position goes on). The bytes are in place on return.
    virtual void WriteBuffer(int32_t start, int32_t size, const int16_t* source, int32_t flags) = 0;
    // Plays a silent buffer once from its start; leaves a sounding buffer where it is.
    virtual void Play(int32_t flags) = 0;
    // Silences the buffer at once.
    virtual void Stop() = 0;
};

class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual std::shared_ptr<SoundBuffer> CreateSoundBuffer(const BufferDescription& desc) = 0;
};

// The root object of the sound layer.
class SoundSystem {
public:
    virtual ~SoundSystem() = default;
    // Opens an output device; the empty identifier names the default device.
    virtual std::shared_ptr<SoundDevice> CreateDevice(const std::string& deviceId) = 0;
};

} // namespace tarmel::audio
