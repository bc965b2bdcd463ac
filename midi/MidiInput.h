// MIDI note input: one input port named "Tarmel" on JACK (when a server runs) or on the ALSA
// sequencer, connected to the MIDI outputs there, now and as they appear.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RtMidiIn;

namespace tarmel::midi {

class MidiInput {
public:
    // Called with the pitch of every note-on in 1..1000 Hz, on one of the MIDI threads.
    using PitchHandler = std::function<void(int16_t pitch)>;
    // Called once, on the watcher thread, with a line for the user: MIDI is unavailable, or the
    // outputs asked for are not there yet.
    using Notice = std::function<void(const std::string& line)>;

    // Returns at once; a watcher thread opens the port, connects it to the outputs whose names
    // contain one of only (every output when only is empty) and looks for new ones every second.
    MidiInput(std::vector<std::string> only, PitchHandler onPitch, Notice notice);
    ~MidiInput();
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

private:
    void watch(const std::stop_token& stop);
    bool open();
    void connectOutputs();
    std::unique_ptr<RtMidiIn> newInput() const;
    static void onMessage(double, std::vector<unsigned char>* message, void* self);

    const std::vector<std::string> only_;
    const PitchHandler onPitch_;
    const Notice notice_;
    // The watcher thread's own after the constructor: the system in use, the port "Tarmel", and
    // one input per connected output, by the output's name.
    int api_ = 0;
    std::unique_ptr<RtMidiIn> port_;
    std::map<std::string, std::unique_ptr<RtMidiIn>> connections_;
    bool noticedMissing_ = false;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread watcher_; // last: starts once everything above exists
};

} // namespace tarmel::midi
