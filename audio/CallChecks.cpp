// Argument checks shared by every implementation of the sound buffer.
#include "audio/SoundOutput.h"

#include <string>

namespace tarmel::audio {

namespace {
[[noreturn]] void refuseWrite(const std::string& why) {
    throw SoundError("Sound buffer write refused: " + why);
}
} // namespace

void checkWrite(int32_t start, int32_t size, const int16_t* source, int32_t flags) {
    const auto total = static_cast<int64_t>(kBufferBytes);
    if (start < 0 || start > total) {
        refuseWrite("start offset " + std::to_string(start) + " lies outside the buffer (0 to " +
                    std::to_string(total) + " bytes)");
    }
    if (start % 2 != 0) {
        refuseWrite("start offset " + std::to_string(start) +
                    " is odd; samples are 2 bytes, so it must be even");
    }
    if (size < 0) {
        refuseWrite("size " + std::to_string(size) + " is negative");
    }
    if (size % 2 != 0) {
        refuseWrite("size " + std::to_string(size) +
                    " is odd; samples are 2 bytes, so it must be even");
    }
    if (static_cast<int64_t>(start) + size > total) {
        refuseWrite(std::to_string(size) + " bytes from offset " + std::to_string(start) +
                    " run past the end of the " + std::to_string(total) + "-byte buffer");
    }
    if (source == nullptr) {
        refuseWrite("no source samples were given");
    }
    if (flags != 0) {
        refuseWrite("flags " + std::to_string(flags) + " are not supported, only 0");
    }
}

void checkPlayFlags(int32_t flags) {
    if (flags != kPlayOnce) {
        throw SoundError("Sound buffer play refused: flags " + std::to_string(flags) +
                         " are not supported, only 0 (play once)");
    }
}

} // namespace tarmel::audio
