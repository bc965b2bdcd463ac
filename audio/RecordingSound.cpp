// Recording test double of the sound layer.
#include "audio/RecordingSound.h"

#include <algorithm>

namespace tarmel::audio {

std::vector<SoundCall> SoundRecord::callsOf(SoundCall::Kind kind) const {
    std::vector<SoundCall> out;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(out),
                 [kind](const SoundCall& c) { return c.kind == kind; });
    return out;
}

namespace {

void maybeFail(SoundRecord& record, SoundCall::Kind kind, const char* what) {
    if (record.failOn == kind) {
        record.failOn.reset();
        throw SoundError(std::string("Recording sound layer: ") + what + " failed as requested");
    }
}

class RecordingBuffer : public SoundBuffer {
public:
    RecordingBuffer(std::shared_ptr<SoundRecord> record, std::shared_ptr<SoundDevice> device,
                    int serial)
        : record_(std::move(record)), device_(std::move(device)), serial_(serial) {
        ++record_->buffersAlive;
    }
    ~RecordingBuffer() override { --record_->buffersAlive; }

    void WriteBuffer(int32_t start, int32_t size, const int16_t* source, int32_t flags) override {
        maybeFail(*record_, SoundCall::Kind::Write, "WriteBuffer");
        checkWrite(start, size, source, flags);
        SoundCall call{SoundCall::Kind::Write, serial_, {}, start, size, flags};
        call.data.assign(source, source + size / 2);
        record_->calls.push_back(std::move(call));
    }
    void Play(int32_t flags) override {
        maybeFail(*record_, SoundCall::Kind::Play, "Play");
        checkPlayFlags(flags);
        record_->calls.push_back({SoundCall::Kind::Play, serial_, {}, 0, 0, flags});
    }
    void Stop() override {
        maybeFail(*record_, SoundCall::Kind::Stop, "Stop");
        record_->calls.push_back({SoundCall::Kind::Stop, serial_, {}, 0, 0, 0});
    }

private:
    std::shared_ptr<SoundRecord> record_;
    std::shared_ptr<SoundDevice> device_; // a buffer keeps its device open
    int serial_;
};

class RecordingDevice : public SoundDevice, public std::enable_shared_from_this<RecordingDevice> {
public:
    RecordingDevice(std::shared_ptr<SoundRecord> record, int serial)
        : record_(std::move(record)), serial_(serial) {
        ++record_->devicesAlive;
    }
    ~RecordingDevice() override { --record_->devicesAlive; }

    std::shared_ptr<SoundBuffer> CreateSoundBuffer(const BufferDescription& desc) override {
        maybeFail(*record_, SoundCall::Kind::CreateBuffer, "CreateSoundBuffer");
        checkDescription(desc);
        const int serial = record_->nextSerial++;
        record_->calls.push_back({SoundCall::Kind::CreateBuffer, serial, {}, 0, 0, 0});
        return std::make_shared<RecordingBuffer>(record_, shared_from_this(), serial);
    }

private:
    std::shared_ptr<SoundRecord> record_;
    int serial_;
};

class RecordingSystem : public SoundSystem {
public:
    explicit RecordingSystem(std::shared_ptr<SoundRecord> record) : record_(std::move(record)) {
        ++record_->systemsAlive;
    }
    ~RecordingSystem() override { --record_->systemsAlive; }

    std::shared_ptr<SoundDevice> CreateDevice(const std::string& /*deviceId*/) override {
        maybeFail(*record_, SoundCall::Kind::CreateDevice, "opening the sound device");
        const int serial = record_->nextSerial++;
        record_->calls.push_back({SoundCall::Kind::CreateDevice, serial, {}, 0, 0, 0});
        return std::make_shared<RecordingDevice>(record_, serial);
    }

private:
    std::shared_ptr<SoundRecord> record_;
};

} // namespace

std::shared_ptr<SoundSystem> makeRecordingSoundSystem(std::shared_ptr<SoundRecord> record) {
    return std::make_shared<RecordingSystem>(std::move(record));
}

} // namespace tarmel::audio
