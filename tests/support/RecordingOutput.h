// A sound output that records what the program does with it, and fails on request.
#pragma once

#include "audio/SoundOutput.h"

#include <algorithm>
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
    // Which voices repeat by themselves at their end.
    std::array<bool, audio::kVoices> repeating{};
    // The next "open", "write" or "play" throws SoundError.
    std::string failNext;

    // The sound as heard: the voices played, summed and clamped to 16 bits as the mixer does.
    std::vector<int16_t> heard(std::array<bool, audio::kVoices> play) const {
        std::vector<int16_t> mix(audio::kVoiceFrames);
        for (std::size_t n = 0; n < mix.size(); ++n) {
            int sum = 0;
            for (std::size_t v = 0; v < play.size(); ++v) {
                sum += play[v] ? voices[v][n] : 0;
            }
            mix[n] = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
        }
        return mix;
    }
    int count(const std::string& event) const {
        return static_cast<int>(std::count(events.begin(), events.end(), event));
    }
    void record(const std::string& operation, const std::string& event) {
        if (failNext == operation) {
            failNext.clear();
            throw audio::SoundError("the recording output failed " + operation + " on request");
        }
        events.push_back(event);
    }
};

class RecordingOutput final : public audio::SoundOutput {
public:
    explicit RecordingOutput(std::shared_ptr<SoundLog> log) : log_(std::move(log)) {
        log_->record("open", "open");
        log_->voices.fill(std::vector<int16_t>(audio::kVoiceFrames, 0));
    }
    ~RecordingOutput() override { log_->events.emplace_back("close"); }

    void write(int voice, audio::VoiceSamples samples) override {
        log_->record("write", "write " + std::to_string(voice));
        log_->voices.at(static_cast<std::size_t>(voice)).assign(samples.begin(), samples.end());
    }
    void play(int voice) override { log_->record("play", "play " + std::to_string(voice)); }
    void stop(int voice) noexcept override {
        log_->events.push_back("stop " + std::to_string(voice));
        log_->repeating.at(static_cast<std::size_t>(voice)) = false;
    }
    void repeat(int voice, bool on) noexcept override {
        log_->repeating.at(static_cast<std::size_t>(voice)) = on;
    }

private:
    std::shared_ptr<SoundLog> log_;
};

inline audio::SoundOutputFactory recordingOutputs(std::shared_ptr<SoundLog> log) {
    return [log] { return std::make_unique<RecordingOutput>(log); };
}

} // namespace tarmel::test
