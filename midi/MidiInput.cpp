// The one MIDI input port, on JACK through libjack or on the ALSA sequencer through alsa-lib:
// both let one input port take any number of connections, which RtMidi's inputs do not, and both
// announce ports that come and go (JACK's port registration callback, the sequencer's
// System:Announce port), which wake the watcher to connect them.
#include "midi/MidiInput.h"

#include "midi/Notes.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <array>
#include <cerrno>
#include <chrono>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <map>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace tarmel::midi {
namespace {

const std::string kName = "Tarmel"; // of the port, and of the client that holds it
// A wanted output that would not connect yet (a JACK client not active yet) is tried again after
// this long, as long as one is left.
constexpr auto kTryAgain = std::chrono::seconds(1);

using Handler = MidiInput::Heard;
using Changed = MidiInput::Changed;

// A JACK client "Tarmel" with the MIDI input port "Tarmel"; every event that reaches the port
// goes to the handler on JACK's process thread, and every port registered or unregistered is
// told on JACK's notification thread (connecting is left to the watcher: libjack forbids it
// inside a callback).
class JackPort final : public MidiInput::Port {
public:
    // Nothing when no JACK server answers; none is started. libjack's own messages are
    // silenced: they would fill the terminal of everyone who does not use JACK.
    static std::unique_ptr<JackPort> open(Handler handler, Changed changed) {
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
        jack_status_t status{};
        jack_client_t* client = jack_client_open(kName.c_str(), JackNoStartServer, &status);
        if (client == nullptr) {
            return nullptr;
        }
        return std::unique_ptr<JackPort>(
            new JackPort(client, std::move(handler), std::move(changed)));
    }
    ~JackPort() override {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    JackPort(const JackPort&) = delete;
    JackPort& operator=(const JackPort&) = delete;

    std::vector<std::string> outputs() override {
        std::vector<std::string> names;
        const char** ports =
            jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
        for (const char** p = ports; p != nullptr && *p != nullptr; ++p) {
            names.emplace_back(*p);
        }
        jack_free(static_cast<void*>(ports));
        return names;
    }
    bool connect(const std::string& output) override {
        const int result = jack_connect(client_, output.c_str(), jack_port_name(input_));
        return result == 0 || result == EEXIST;
    }

private:
    JackPort(jack_client_t* client, Handler handler, Changed changed)
        : client_(client), handler_(std::move(handler)), changed_(std::move(changed)) {
        input_ =
            jack_port_register(client_, kName.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        if (input_ == nullptr || jack_set_process_callback(client_, process, this) != 0 ||
            jack_set_port_registration_callback(client_, registered, this) != 0 ||
            jack_activate(client_) != 0) {
            jack_client_close(client_);
            throw std::runtime_error("the JACK server refused the input port");
        }
    }
    static int process(jack_nframes_t frames, void* self) {
        auto& port = *static_cast<JackPort*>(self);
        void* buffer = jack_port_get_buffer(port.input_, frames);
        for (jack_nframes_t i = 0, n = jack_midi_get_event_count(buffer); i < n; ++i) {
            jack_midi_event_t event{};
            if (jack_midi_event_get(&event, buffer, i) == 0) {
                port.handler_({event.buffer, event.size});
            }
        }
        return 0;
    }
    static void registered(jack_port_id_t, int, void* self) {
        static_cast<JackPort*>(self)->changed_();
    }

    jack_client_t* client_;
    jack_port_t* input_ = nullptr;
    const Handler handler_;
    const Changed changed_;
};

// An ALSA sequencer client "Tarmel" with the input port "Tarmel"; a reader thread hands every
// note-on to the handler. The port also takes the announcements of System:Announce, and the
// reader tells each client or port that starts, changes or ends. Outputs are named as RtMidi and
// aconnect show them: "client:port number:number".
class AlsaPort final : public MidiInput::Port {
public:
    AlsaPort(Handler handler, Changed changed)
        : handler_(std::move(handler)), changed_(std::move(changed)) {
        if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
            throw std::runtime_error("the ALSA sequencer cannot be opened");
        }
        snd_seq_set_client_name(seq_, kName.c_str());
        port_ = snd_seq_create_simple_port(
            seq_, kName.c_str(), SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port_ < 0) {
            snd_seq_close(seq_);
            throw std::runtime_error("the ALSA sequencer refused the input port");
        }
        self_ = snd_seq_client_id(seq_);
        // Without the announcements, outputs that come later would not be found: refused like
        // the port.
        if (snd_seq_connect_from(seq_, port_, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) <
            0) {
            snd_seq_close(seq_);
            throw std::runtime_error("the ALSA sequencer refused its announcements of new ports");
        }
        reader_ = std::jthread([this](const std::stop_token& stop) { read(stop); });
    }
    ~AlsaPort() override {
        reader_ = {}; // stopped and joined before the sequencer goes
        snd_seq_close(seq_);
    }
    AlsaPort(const AlsaPort&) = delete;
    AlsaPort& operator=(const AlsaPort&) = delete;

    std::vector<std::string> outputs() override {
        const std::lock_guard lock(mutex_);
        snd_seq_client_info_t* client = nullptr;
        snd_seq_port_info_t* port = nullptr;
        snd_seq_client_info_alloca(&client);
        snd_seq_port_info_alloca(&port);
        constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
        // The kinds of port RtMidi lists too: MIDI devices, synthesizers and programs.
        constexpr unsigned kMidi = SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH |
                                   SND_SEQ_PORT_TYPE_APPLICATION;
        addresses_.clear();
        std::vector<std::string> names;
        snd_seq_client_info_set_client(client, -1);
        while (snd_seq_query_next_client(seq_, client) >= 0) {
            const int id = snd_seq_client_info_get_client(client);
            if (id == SND_SEQ_CLIENT_SYSTEM || id == self_) {
                continue;
            }
            snd_seq_port_info_set_client(port, id);
            snd_seq_port_info_set_port(port, -1);
            while (snd_seq_query_next_port(seq_, port) >= 0) {
                if ((snd_seq_port_info_get_capability(port) & kReadable) != kReadable ||
                    (snd_seq_port_info_get_type(port) & kMidi) == 0) {
                    continue;
                }
                const int number = snd_seq_port_info_get_port(port);
                const std::string name = std::string(snd_seq_client_info_get_name(client)) + ":" +
                                         snd_seq_port_info_get_name(port) + " " +
                                         std::to_string(id) + ":" + std::to_string(number);
                addresses_[name] = {id, number};
                names.push_back(name);
            }
        }
        return names;
    }
    bool connect(const std::string& output) override {
        const std::lock_guard lock(mutex_);
        const auto it = addresses_.find(output);
        if (it == addresses_.end()) {
            return false;
        }
        const int result = snd_seq_connect_from(seq_, port_, it->second[0], it->second[1]);
        return result == 0 || result == -EBUSY;
    }

private:
    void read(const std::stop_token& stop) {
        std::vector<pollfd> fds(
            static_cast<std::size_t>(snd_seq_poll_descriptors_count(seq_, POLLIN)));
        snd_seq_poll_descriptors(seq_, fds.data(), static_cast<unsigned>(fds.size()), POLLIN);
        while (!stop.stop_requested()) {
            poll(fds.data(), fds.size(), 100); // a tenth of a second: how long an end waits
            for (;;) {
                snd_seq_event_t* event = nullptr;
                int result = 0;
                {
                    const std::lock_guard lock(mutex_);
                    result = snd_seq_event_input(seq_, &event);
                }
                if (result == -ENOSPC) {
                    continue; // events were lost to an overrun; read on
                }
                if (result < 0 || event == nullptr) {
                    break;
                }
                switch (event->type) {
                case SND_SEQ_EVENT_NOTEON: {
                    const std::array<unsigned char, 3> message{
                        static_cast<unsigned char>(0x90 | (event->data.note.channel & 0x0f)),
                        event->data.note.note, event->data.note.velocity};
                    handler_(message);
                    break;
                }
                case SND_SEQ_EVENT_CLIENT_START:
                case SND_SEQ_EVENT_CLIENT_EXIT:
                case SND_SEQ_EVENT_PORT_START:
                case SND_SEQ_EVENT_PORT_EXIT:
                case SND_SEQ_EVENT_PORT_CHANGE:
                    changed_();
                    break;
                default:
                    break;
                }
            }
        }
    }

    const Handler handler_;
    const Changed changed_;
    snd_seq_t* seq_ = nullptr;
    int port_ = -1;
    int self_ = -1;
    std::mutex mutex_; // the sequencer handle, used by the watcher and the reader
    std::map<std::string, std::array<int, 2>> addresses_; // of the last listing; the watcher's
    std::jthread reader_;
};

} // namespace

std::unique_ptr<MidiInput::Port> MidiInput::openSystemPort(Heard heard, Changed changed) {
    if (auto jack = JackPort::open(heard, changed)) {
        return jack;
    }
    if (access("/dev/snd/seq", R_OK | W_OK) == 0) {
        return std::make_unique<AlsaPort>(std::move(heard), std::move(changed));
    }
    return nullptr;
}

MidiInput::MidiInput(std::vector<std::string> only, PitchHandler onPitch, Notice notice,
                     Opener open)
    : only_(std::move(only)), onPitch_(std::move(onPitch)), notice_(std::move(notice)),
      open_(std::move(open)), watcher_([this](const std::stop_token& stop) { watch(stop); }) {}

// The watcher goes first (the last member), closing the port before it ends.
MidiInput::~MidiInput() = default;

void MidiInput::watch(const std::stop_token& stop) {
    try {
        port_ = open_([this](std::span<const unsigned char> m) { heard(m); },
                      [this] { outputsChanged(); });
    } catch (const std::exception& e) {
        notice_(std::string("no MIDI input: ") + e.what() + "; the letter keys play as always");
        return;
    }
    if (port_ == nullptr) {
        notice_("no MIDI input: no JACK server runs and there is no ALSA sequencer "
                "(/dev/snd/seq); the letter keys play as always");
        return;
    }
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        changed_ = false; // a change from here on is seen by the next listing
        lock.unlock();
        const bool allConnected = connectOutputs();
        lock.lock();
        if (allConnected) {
            wake_.wait(lock, stop, [this] { return changed_; });
        } else {
            wake_.wait_for(lock, stop, kTryAgain, [this] { return changed_; });
        }
    }
    lock.unlock();
    port_.reset(); // its threads stop telling changes while this object still exists
}

void MidiInput::outputsChanged() {
    {
        const std::lock_guard lock(mutex_);
        changed_ = true;
    }
    wake_.notify_one();
}

// Every wanted output is connected once; one that went away is forgotten, so that it is
// connected again when it comes back. A connection the user undoes stays undone. Returns whether
// every wanted output is connected.
bool MidiInput::connectOutputs() {
    const std::vector<std::string> present = port_->outputs();
    std::erase_if(connected_,
                  [&](const std::string& name) { return !std::ranges::count(present, name); });
    bool anyWanted = false;
    bool allConnected = true;
    for (const std::string& name : present) {
        if (!only_.empty() && std::ranges::none_of(only_, [&](const std::string& part) {
                return name.find(part) != std::string::npos;
            })) {
            continue;
        }
        anyWanted = true;
        if (!connected_.contains(name)) {
            if (port_->connect(name)) {
                connected_.insert(name);
            } else {
                allConnected = false;
            }
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
    return allConnected;
}

void MidiInput::heard(std::span<const unsigned char> message) const {
    const std::optional<int> note = noteOn(message);
    const std::optional<int16_t> pitch = note ? pitchOfNote(*note) : std::nullopt;
    if (pitch) {
        onPitch_(*pitch);
    }
}

} // namespace tarmel::midi
