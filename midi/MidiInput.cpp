#include "midi/MidiInput.h"

#include "midi/Notes.h"

#include <RtMidi.h>
#include <algorithm>
#include <chrono>
#include <jack/jack.h>
#include <set>
#include <unistd.h>

namespace tarmel::midi {
namespace {

const std::string kName = "Tarmel"; // of the port, and of the client that holds it
constexpr auto kLookAgain = std::chrono::seconds(1);

// RtMidi reports trouble here instead of printing it or throwing: an output that goes away
// between the listing and the connection is simply looked at again a second later.
void ignore(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*data*/) {}

// Whether a JACK server answers, asked without starting one. libjack's own messages are
// silenced: they would fill the terminal of everyone who does not use JACK.
bool jackServerRuns() {
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    jack_status_t status{};
    jack_client_t* client = jack_client_open(kName.c_str(), JackNoStartServer, &status);
    if (client == nullptr) {
        return false;
    }
    jack_client_close(client);
    return true;
}

} // namespace

MidiInput::MidiInput(std::vector<std::string> only, PitchHandler onPitch, Notice notice)
    : only_(std::move(only)), onPitch_(std::move(onPitch)), notice_(std::move(notice)),
      watcher_([this](const std::stop_token& stop) { watch(stop); }) {}

// The watcher goes first (the last member), then the inputs, each closing its port and thread.
MidiInput::~MidiInput() = default;

void MidiInput::watch(const std::stop_token& stop) {
    try {
        if (!open()) {
            return;
        }
    } catch (const RtMidiError& e) {
        notice_("no MIDI input: " + e.getMessage() + "; the letter keys play as always");
        return;
    }
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        try {
            connectOutputs();
        } catch (const RtMidiError&) {
            // The outputs changed while they were listed: looked at again next time.
        }
        wake_.wait_for(lock, stop, kLookAgain, [] { return false; });
    }
}

bool MidiInput::open() {
    if (jackServerRuns()) {
        api_ = RtMidi::UNIX_JACK;
    } else if (access("/dev/snd/seq", R_OK | W_OK) == 0) {
        api_ = RtMidi::LINUX_ALSA;
    } else {
        notice_("no MIDI input: no JACK server runs and there is no ALSA sequencer "
                "(/dev/snd/seq); the letter keys play as always");
        return false;
    }
    port_ = newInput();
    port_->openVirtualPort(kName);
    return true;
}

std::unique_ptr<RtMidiIn> MidiInput::newInput() const {
    auto input = std::make_unique<RtMidiIn>(static_cast<RtMidi::Api>(api_), kName);
    input->setErrorCallback(ignore);
    input->setCallback(onMessage, const_cast<MidiInput*>(this));
    return input;
}

// RtMidi connects one input object to one output: each output gets an input of its own, all
// named "Tarmel". An output that went away is forgotten, so that it is connected again when it
// comes back.
void MidiInput::connectOutputs() {
    std::set<std::string> present;
    for (unsigned i = 0, count = port_->getPortCount(); i < count; ++i) {
        present.insert(port_->getPortName(i));
    }
    std::erase_if(connections_, [&](const auto& c) { return !present.contains(c.first); });
    bool anyWanted = false;
    for (const std::string& name : present) {
        if (!only_.empty() && std::ranges::none_of(only_, [&](const std::string& part) {
                return name.find(part) != std::string::npos;
            })) {
            continue;
        }
        anyWanted = true;
        if (connections_.contains(name)) {
            continue;
        }
        // The new input lists the outputs itself: their numbers may have moved meanwhile.
        std::unique_ptr<RtMidiIn> input = newInput();
        for (unsigned i = 0, count = input->getPortCount(); i < count; ++i) {
            if (input->getPortName(i) == name) {
                input->openPort(i, kName);
                break;
            }
        }
        if (input->isPortOpen()) {
            connections_.emplace(name, std::move(input));
        }
    }
    if (!anyWanted && !only_.empty() && !noticedMissing_) {
        noticedMissing_ = true;
        std::string names;
        for (const std::string& part : only_) {
            names += (names.empty() ? "\"" : ", \"") + part + "\"";
        }
        notice_("no MIDI output named " + names + " yet; Tarmel connects to it when it appears");
    }
}

void MidiInput::onMessage(double /*seconds*/, std::vector<unsigned char>* message, void* self) {
    const std::optional<int> note = noteOn(*message);
    const std::optional<int16_t> pitch = note ? pitchOfNote(*note) : std::nullopt;
    if (pitch) {
        static_cast<MidiInput*>(self)->onPitch_(*pitch);
    }
}

} // namespace tarmel::midi
