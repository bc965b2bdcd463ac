// A JACK client for the jalv test: connects its MIDI output to a running plug-in's MIDI input and
// the plug-in's audio output to its own input, sends one note-on (note 69) and records until it
// hears the sound. Usage: tarmel-jack-probe CLIENT (the plug-in host's JACK client name). Exits 0
// when the sound was heard within three seconds, 1 otherwise.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <string>
#include <thread>

namespace {

jack_port_t *midiOut = nullptr, *audioIn = nullptr;
std::atomic<bool> connected{false}, sent{false};
std::atomic<float> loudest{0.0f};

int process(jack_nframes_t frames, void*) {
    void* midi = jack_port_get_buffer(midiOut, frames);
    jack_midi_clear_buffer(midi);
    const jack_midi_data_t noteOn[] = {0x90, 69, 100};
    if (connected && !sent) {
        sent = jack_midi_event_write(midi, 0, noteOn, sizeof noteOn) == 0;
    }
    const auto* in = static_cast<const float*>(jack_port_get_buffer(audioIn, frames));
    for (jack_nframes_t i = 0; i < frames; ++i) {
        loudest = std::max(loudest.load(), std::abs(in[i]));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string target = argc == 2 ? argv[1] : "";
    jack_client_t* client = jack_client_open("tarmel-probe", JackNoStartServer, nullptr);
    if (client == nullptr) {
        std::fprintf(stderr, "tarmel-jack-probe: no JACK server is running\n");
        return 1;
    }
    midiOut = jack_port_register(client, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    audioIn = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client, process, nullptr);
    if (midiOut == nullptr || audioIn == nullptr || jack_activate(client) != 0 ||
        jack_connect(client, "tarmel-probe:midi_out", (target + ":midi_in").c_str()) != 0 ||
        jack_connect(client, (target + ":out").c_str(), "tarmel-probe:in") != 0) {
        std::fprintf(stderr, "tarmel-jack-probe: cannot connect to \"%s\"\n", target.c_str());
        jack_client_close(client);
        return 1;
    }
    loudest = 0.0f; // nothing before the note counts
    connected = true;
    for (int i = 0; i < 300 && loudest < 1e-3f; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    jack_client_close(client);
    std::printf("note sent: %s, loudest sample heard: %g\n", sent ? "yes" : "no",
                static_cast<double>(loudest.load()));
    return sent && loudest >= 1e-3f ? 0 : 1;
}
