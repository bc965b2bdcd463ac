// The LV2 instrument: MIDI notes in, the sound as heard out. run() turns a note-on into a job for
// the host's worker (the generation takes about a millisecond, too long for the audio thread) and
// mixes the voices; the worker computes the second into the voice's buffer. When the worker runs
// the job at once (offline, freewheeling hosts), the sound starts at the note's own frame; live,
// it starts with the first block after the worker finished. A host without a worker gets the
// generation computed in run().
#include "midi/Notes.h"
#include "plugin/Engine.h"
#include "plugin/Ports.h"
#include "plugin/Voices.h"
#include "sound/Controls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>
#include <memory>
#include <new>
#include <string>
#include <type_traits>

namespace tarmel::plugin {
namespace {

// What run() hands to the worker for one note: the buffer to fill (-1: none is free, compute the
// generation only for the carried state) and the controls at the note, pitch 1 included.
struct Job {
    int buffer;
    sound::Controls controls;
};
static_assert(std::is_trivially_copyable_v<Job>);

constexpr uint8_t kAllSoundOff = 120;
constexpr uint8_t kAllNotesOff = 123;

struct Instance {
    Instance(double rate, LV2_URID_Map* map, LV2_Worker_Schedule* schedule)
        : engine(rate), voices(engine.frames()), discard(static_cast<std::size_t>(engine.frames())),
          schedule(schedule), midiEvent(map->map(map->handle, LV2_MIDI__MidiEvent)),
          atomString(map->map(map->handle, LV2_ATOM__String)),
          atomLiteral(map->map(map->handle, LV2_ATOM__Literal)),
          stateKey(map->map(map->handle, kStateKey)) {}

    Engine engine; // the worker's (save and restore lock it)
    Voices voices; // the audio thread's; a buffer is the worker's from start() to finish()
    std::vector<float> discard;    // the worker's: the sound of a note no voice could take
    LV2_Worker_Schedule* schedule; // null: the host has no worker, run() computes
    // Set at instantiation, then only read.
    LV2_URID midiEvent;
    LV2_URID atomString;
    LV2_URID atomLiteral;
    LV2_URID stateKey;
    // The ports, connected by the host and read by run().
    const LV2_Atom_Sequence* midi = nullptr;
    float* out = nullptr;
    const float* gain = nullptr;
    std::array<const float*, kControlPorts> controls{};
};

// The value of a control port as the table's integer, brought into its range (hosts may send
// anything, NaN included).
int portValue(const sound::Control& control, const float* port) {
    if (port == nullptr || std::isnan(*port)) {
        return control.start;
    }
    const float clamped =
        std::clamp(*port, static_cast<float>(control.minimum), static_cast<float>(control.maximum));
    return static_cast<int>(std::lround(clamped));
}

void doWork(Instance& in, const Job& job) {
    if (job.buffer >= 0) {
        in.voices.finish(job.buffer, in.engine.render(job.controls, in.voices.buffer(job.buffer)));
    } else {
        in.engine.render(job.controls, in.discard);
    }
}

void playNote(Instance& in, sound::Controls controls, int16_t pitch) {
    controls.pitch1 = pitch;
    const Job job{in.voices.start(), controls};
    if (in.schedule == nullptr) {
        doWork(in, job);
    } else if (in.schedule->schedule_work(in.schedule->handle, sizeof job, &job) !=
               LV2_WORKER_SUCCESS) {
        if (job.buffer >= 0) {
            in.voices.abandon(job.buffer);
        }
        return;
    }
    // A worker that ran the job at once has finished it: the sound starts at this frame.
    in.voices.settle();
}

void handleMidi(Instance& in, const sound::Controls& controls, const uint8_t* message,
                uint32_t size) {
    if (size == 3 && (message[0] & 0xF0U) == LV2_MIDI_MSG_CONTROLLER &&
        (message[1] == kAllSoundOff || message[1] == kAllNotesOff)) {
        in.voices.silence();
        return;
    }
    if (const auto note = midi::noteOn({message, size})) {
        if (const auto pitch = midi::pitchOfNote(*note)) {
            playNote(in, controls, *pitch);
        }
    }
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
    LV2_URID_Map* map = nullptr;
    LV2_Worker_Schedule* schedule = nullptr;
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i) {
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0) {
            map = static_cast<LV2_URID_Map*>(features[i]->data);
        } else if (std::strcmp(features[i]->URI, LV2_WORKER__schedule) == 0) {
            schedule = static_cast<LV2_Worker_Schedule*>(features[i]->data);
        }
    }
    // One second at the rate is held in memory for every buffer: refuse absurd rates.
    if (map == nullptr || !(rate >= 1000.0 && rate <= 768000.0)) {
        return nullptr;
    }
    try {
        // The control table is built on first use, with its strings: here, not in run().
        sound::controls();
        return new Instance(rate, map, schedule);
    } catch (const std::exception&) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    auto& in = *static_cast<Instance*>(handle);
    if (port == kMidiPort) {
        in.midi = static_cast<const LV2_Atom_Sequence*>(data);
    } else if (port == kAudioPort) {
        in.out = static_cast<float*>(data);
    } else if (port == kGainPort) {
        in.gain = static_cast<const float*>(data);
    } else if (port < kPortCount) {
        in.controls[port - kFirstControlPort] = static_cast<const float*>(data);
    }
}

void activate(LV2_Handle handle) {
    static_cast<Instance*>(handle)->voices.silence();
}

void run(LV2_Handle handle, uint32_t frames) {
    auto& in = *static_cast<Instance*>(handle);
    if (in.out == nullptr) {
        return;
    }
    std::fill(in.out, in.out + frames, 0.0f);
    in.voices.settle();
    sound::Controls controls = sound::startControls();
    for (int id = kFirstPortControl; id < sound::kControlCount; ++id) {
        const sound::Control& control = sound::control(id);
        control.set(
            controls,
            portValue(control, in.controls[static_cast<std::size_t>(id - kFirstPortControl)]));
    }
    uint32_t mixed = 0;
    if (in.midi != nullptr) {
        LV2_ATOM_SEQUENCE_FOREACH(in.midi, ev) {
            // Events out of order or beyond the block are taken at the nearest frame that is not.
            const auto at = static_cast<uint32_t>(
                std::clamp<int64_t>(ev->time.frames, mixed, static_cast<int64_t>(frames)));
            in.voices.mix(in.out, mixed, at);
            mixed = at;
            if (ev->body.type == in.midiEvent) {
                handleMidi(in, controls,
                           static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&ev->body)),
                           ev->body.size);
            }
        }
    }
    in.voices.mix(in.out, mixed, frames);
    const float db = in.gain != nullptr && !std::isnan(*in.gain)
                         ? std::clamp(*in.gain, kGainMinDb, kGainMaxDb)
                         : 0.0f;
    if (db != 0.0f) {
        const float gain = std::pow(10.0f, db / 20.0f);
        for (uint32_t i = 0; i < frames; ++i) {
            in.out[i] *= gain;
        }
    }
}

void cleanup(LV2_Handle handle) {
    delete static_cast<Instance*>(handle);
}

LV2_Worker_Status work(LV2_Handle handle, LV2_Worker_Respond_Function, LV2_Worker_Respond_Handle,
                       uint32_t size, const void* data) {
    if (size != sizeof(Job)) {
        return LV2_WORKER_ERR_UNKNOWN;
    }
    Job job;
    std::memcpy(&job, data, sizeof job);
    doWork(*static_cast<Instance*>(handle), job);
    return LV2_WORKER_SUCCESS;
}

// run() sees a finished job by its buffer's flag; the worker sends no response.
LV2_Worker_Status workResponse(LV2_Handle, uint32_t, const void*) {
    return LV2_WORKER_SUCCESS;
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store,
                      LV2_State_Handle stateHandle, uint32_t, const LV2_Feature* const*) {
    auto& in = *static_cast<Instance*>(handle);
    try {
        const std::string text = in.engine.stateText();
        return store(stateHandle, in.stateKey, text.c_str(), text.size() + 1, in.atomString,
                     LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
    } catch (const std::exception&) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle stateHandle, uint32_t, const LV2_Feature* const*) {
    auto& in = *static_cast<Instance*>(handle);
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* value = retrieve(stateHandle, in.stateKey, &size, &type, &flags);
    if (value == nullptr) {
        return LV2_STATE_SUCCESS; // nothing saved: the state stays as it is
    }
    const char* text = static_cast<const char*>(value);
    if (type == in.atomLiteral && size >= sizeof(LV2_Atom_Literal_Body)) {
        text += sizeof(LV2_Atom_Literal_Body);
        size -= sizeof(LV2_Atom_Literal_Body);
    } else if (type != in.atomString) {
        return LV2_STATE_ERR_BAD_TYPE;
    }
    try {
        return in.engine.restoreState(std::string(text, strnlen(text, size)))
                   ? LV2_STATE_SUCCESS
                   : LV2_STATE_ERR_UNKNOWN;
    } catch (const std::exception&) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const void* extensionData(const char* uri) {
    static const LV2_Worker_Interface worker{work, workResponse, nullptr};
    static const LV2_State_Interface state{save, restore};
    if (std::strcmp(uri, LV2_WORKER__interface) == 0) {
        return &worker;
    }
    if (std::strcmp(uri, LV2_STATE__interface) == 0) {
        return &state;
    }
    return nullptr;
}

const LV2_Descriptor descriptor{kUri, instantiate, connectPort, activate,
                                run,  nullptr,     cleanup,     extensionData};

} // namespace
} // namespace tarmel::plugin

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &tarmel::plugin::descriptor : nullptr;
}
