// MIDI note input: one client "Tarmel" with one input port "Tarmel" on JACK (when a server runs)
// or on the ALSA sequencer, connected to the MIDI outputs there, now and as they appear.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace tarmel::midi {

class MidiInput {
public:
    // Called with the pitch of every note-on in 1..1000 Hz, on JACK's process thread or the ALSA
    // reader thread.
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

    // The input port on one MIDI system: lists the outputs and connects them to itself.
    class Port {
    public:
        virtual ~Port() = default;
        // The names of the MIDI outputs of every other client.
        virtual std::vector<std::string> outputs() = 0;
        // Connects the output of that name to the port; whether it is connected.
        virtual bool connect(const std::string& output) = 0;
    };

private:
    void watch(const std::stop_token& stop);
    void connectOutputs();
    void heard(std::span<const unsigned char> message) const;

    const std::vector<std::string> only_;
    const PitchHandler onPitch_;
    const Notice notice_;
    // The watcher thread's own after the constructor: the port "Tarmel", and the outputs
    // connected to it that are still there.
    std::unique_ptr<Port> port_;
    std::set<std::string> connected_;
    bool noticedMissing_ = false;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread watcher_; // last: starts once everything above exists
};

} // namespace tarmel::midi
