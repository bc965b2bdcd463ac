// MIDI note input: one client "Tarmel" with one input port "Tarmel" on JACK (when a server runs)
// or on the ALSA sequencer, connected to the MIDI outputs there, now and as they appear (each
// system announces new ports; nothing is polled).
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

    // The input port on one MIDI system: lists the outputs and connects them to itself.
    class Port {
    public:
        virtual ~Port() = default;
        // The names of the MIDI outputs of every other client.
        virtual std::vector<std::string> outputs() = 0;
        // Connects the output of that name to the port; whether it is connected.
        virtual bool connect(const std::string& output) = 0;
    };
    // Every MIDI message that reaches the port, on the system's own thread.
    using Heard = std::function<void(std::span<const unsigned char> message)>;
    // Called by a port, on any thread and without waiting, when an output may have come or gone.
    using Changed = std::function<void()>;
    // Opens the port "Tarmel"; nothing when there is no MIDI system, an exception whose message
    // says why when the system refuses it.
    using Opener = std::function<std::unique_ptr<Port>(Heard heard, Changed changed)>;

    // The port on JACK when a server answers (none is started), else on the ALSA sequencer when
    // /dev/snd/seq can be used.
    static std::unique_ptr<Port> openSystemPort(Heard heard, Changed changed);

    // Returns at once; a watcher thread opens the port, connects it to the outputs whose names
    // contain one of only (every output when only is empty), and again each time the port
    // announces a change.
    MidiInput(std::vector<std::string> only, PitchHandler onPitch, Notice notice,
              Opener open = openSystemPort);
    ~MidiInput();
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

private:
    void watch(const std::stop_token& stop);
    void outputsChanged();
    bool connectOutputs();
    void heard(std::span<const unsigned char> message) const;

    const std::vector<std::string> only_;
    const PitchHandler onPitch_;
    const Notice notice_;
    const Opener open_;
    // The watcher thread's own after the constructor: the port "Tarmel" (closed by the watcher
    // before it ends), and the outputs connected to it that are still there.
    std::unique_ptr<Port> port_;
    std::set<std::string> connected_;
    bool noticedMissing_ = false;
    std::mutex mutex_;     // guards changed_
    bool changed_ = false; // set by the port's threads, cleared by the watcher
    std::condition_variable_any wake_;
    std::jthread watcher_; // last: starts once everything above exists
};

} // namespace tarmel::midi
