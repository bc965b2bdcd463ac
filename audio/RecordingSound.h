// A test double of the sound layer that records every call, counts the objects alive and can be
// told to fail a given operation.
#pragma once

#include "audio/SoundOutput.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarmel::audio {

struct SoundCall {
    enum class Kind { CreateDevice, CreateBuffer, Write, Play, Stop };
    Kind kind;
    int object = 0;            // serial number of the device or buffer the call concerns
    std::vector<int16_t> data; // samples of a Write
    int32_t start = 0;
    int32_t size = 0;
    int32_t flags = 0;
};

// Shared by every object one RecordingSoundSystem makes, and by the test that reads it.
struct SoundRecord {
    std::vector<SoundCall> calls;
    int systemsAlive = 0;
    int devicesAlive = 0;
    int buffersAlive = 0;
    int nextSerial = 1;
    std::optional<SoundCall::Kind> failOn; // the next call of this kind throws SoundError

    std::vector<SoundCall> callsOf(SoundCall::Kind kind) const;
    void clear() { calls.clear(); }
};

// Makes a new root object that records into record, as the real layer's factory would.
std::shared_ptr<SoundSystem> makeRecordingSoundSystem(std::shared_ptr<SoundRecord> record);

} // namespace tarmel::audio
