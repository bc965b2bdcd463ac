// The recording sound output.
#include "RecordingOutput.h"

#include <algorithm>

namespace tarmel::test {

namespace {

void maybeFail(SoundLog& log, const std::string& operation) {
    if (log.failNext == operation) {
        log.failNext.clear();
        throw audio::SoundError("the recording output failed " + operation + " on request");
    }
}

class RecordingOutput final : public audio::SoundOutput {
public:
    explicit RecordingOutput(std::shared_ptr<SoundLog> log) : log_(std::move(log)) {
        maybeFail(*log_, "open");
        log_->events.emplace_back("open");
        for (auto& voice : log_->voices) {
            voice.assign(audio::kVoiceFrames, 0);
        }
    }
    ~RecordingOutput() override { log_->events.emplace_back("close"); }
    RecordingOutput(const RecordingOutput&) = delete;
    RecordingOutput& operator=(const RecordingOutput&) = delete;

    void write(int voice, audio::VoiceSamples samples) override {
        maybeFail(*log_, "write");
        log_->events.push_back("write " + std::to_string(voice));
        log_->voices.at(static_cast<std::size_t>(voice)).assign(samples.begin(), samples.end());
    }
    void play(int voice) override {
        maybeFail(*log_, "play");
        log_->events.push_back("play " + std::to_string(voice));
    }
    void stop(int voice) noexcept override {
        log_->events.push_back("stop " + std::to_string(voice));
    }

private:
    std::shared_ptr<SoundLog> log_;
};

} // namespace

int SoundLog::count(const std::string& event) const {
    return static_cast<int>(std::count(events.begin(), events.end(), event));
}

audio::SoundOutputFactory recordingOutputs(std::shared_ptr<SoundLog> log) {
    return [log] { return std::make_unique<RecordingOutput>(log); };
}

} // namespace tarmel::test
