// A sound output that records what the program does with it, and fails on request.
#pragma once

#include "audio/SoundOutput.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace tarmel::test {

// Shared by every output one factory opens, and by the test that reads it.
struct SoundLog {
    // "open", "write 0", "play 2", "stop 1", "close", in order.
    std::vector<std::string> events;
    // What each voice holds, as last written.
    std::array<std::vector<int16_t>, audio::kVoices> voices;
    // The next "open", "write" or "play" throws SoundError.
    std::string failNext;

    int count(const std::string& event) const;
};

audio::SoundOutputFactory recordingOutputs(std::shared_ptr<SoundLog> log);

} // namespace tarmel::test
