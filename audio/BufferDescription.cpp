// The one buffer format of the program and its check.
#include "audio/SoundOutput.h"

#include <string>

namespace tarmel::audio {

void fillOneSecondMono16(BufferDescription& desc) {
    desc.flags = 0;
    desc.bufferBytes = kBufferBytes;
    desc.formatTag = 1;
    desc.channels = 1;
    desc.samplesPerSecond = 44100;
    desc.averageBytesPerSecond = 88200;
    desc.blockAlign = 2;
    desc.bitsPerSample = 16;
    desc.extraFormatSize = 0;
    desc.alignment = 0;
    desc.extraFormatData = 0;
}

namespace {
void expect(const char* field, uint32_t actual, uint32_t wanted) {
    if (actual != wanted) {
        throw SoundError("Unsupported sound buffer: " + std::string(field) + " is " +
                         std::to_string(actual) + ", only " + std::to_string(wanted) +
                         " is supported (one second of 16-bit mono PCM at 44100 Hz)");
    }
}
} // namespace

void checkDescription(const BufferDescription& desc) {
    expect("buffer flags", desc.flags, 0);
    expect("buffer size", desc.bufferBytes, kBufferBytes);
    expect("format tag", desc.formatTag, 1);
    expect("channel count", desc.channels, 1);
    expect("sample rate", desc.samplesPerSecond, 44100);
    expect("average bytes per second", desc.averageBytesPerSecond, 88200);
    expect("block align", desc.blockAlign, 2);
    expect("bits per sample", desc.bitsPerSample, 16);
    expect("extra format size", desc.extraFormatSize, 0);
}

} // namespace tarmel::audio
