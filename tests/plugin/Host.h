// A small LV2 host on liblilv for the plug-in's tests and benchmark: lilv loads the bundle by URI
// (LV2_PATH) and instantiates it; the host maps URIs, runs the worker's jobs (at once, inside
// run(), or after it), sends MIDI at chosen frames as an atom sequence written with LV2's forge,
// runs blocks of chosen sizes, and saves and restores state and presets through lilv.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarmel::plugin::test {

// The one lilv world of the test program, with every bundle of LV2_PATH loaded, and the plug-in.
inline LilvWorld* world() {
    static LilvWorld* w = [] {
        setenv("LV2_PATH", TARMEL_LV2_PATH, 0);
        LilvWorld* created = lilv_world_new();
        lilv_world_load_all(created);
        return created;
    }();
    return w;
}

inline const LilvPlugin* plugin() {
    static const LilvPlugin* p = [] {
        LilvNode* uri = lilv_new_uri(world(), "https://quorvane.org/lv2/tarmel");
        const LilvPlugin* found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world()), uri);
        lilv_node_free(uri);
        return found != nullptr ? found
                                : throw std::runtime_error("the plug-in is not found: set "
                                                           "LV2_PATH to the build's lv2 folder");
    }();
    return p;
}

// True on a thread while the plug-in's run() runs there, except in a worker job inside it, in a
// host that offers a worker (else run() computes the second itself and may allocate): the tests
// count allocations then.
inline thread_local bool inRun = false;

class Host {
public:
    // worker: whether the host offers the LV2 Worker.
    explicit Host(double rate = 44100, bool worker = true) : worker_(worker) {
        const LV2_Feature* features[] = {&features_[0], &features_[1],
                                         worker ? &features_[2] : nullptr, nullptr};
        lv2_atom_forge_init(&forge_, &map_);
        instance_ = lilv_plugin_instantiate(plugin(), rate, features);
        controls_.assign(lilv_plugin_get_num_ports(plugin()), NAN);
        lilv_plugin_get_port_ranges_float(plugin(), nullptr, nullptr, controls_.data());
        for (uint32_t i = 0; i < controls_.size(); ++i) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin(), i);
            ports_[lilv_node_as_string(lilv_port_get_symbol(plugin(), port))] = i;
            lilv_instance_connect_port(instance_, i, &controls_[i]);
        }
        lilv_instance_connect_port(instance_, ports_.at("midi_in"), midiBuffer_.data());
        lilv_instance_activate(instance_);
    }
    ~Host() {
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }

    // Sets a control port by symbol (gain, or a control's table symbol).
    void set(const std::string& symbol, float value) { controls_[ports_.at(symbol)] = value; }
    // A MIDI message to send at frame (counted from the first frame rendered by this host; one
    // already past is sent with the next block).
    void send(uint64_t frame, std::vector<uint8_t> message) {
        pending_.emplace(frame, std::move(message));
    }
    void note(uint64_t frame, int note) { send(frame, {0x90, static_cast<uint8_t>(note), 100}); }

    // Runs blocks of the given sizes in turn until frames more frames are rendered; returns them.
    std::vector<float> render(uint64_t frames, const std::vector<uint32_t>& blocks) {
        std::vector<float> out(frames, NAN);
        for (uint64_t k = 0, start = rendered_; rendered_ < start + frames; ++k) {
            const auto n = static_cast<uint32_t>(
                std::min<uint64_t>(blocks[k % blocks.size()], start + frames - rendered_));
            lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<uint8_t*>(midiBuffer_.data()),
                                      midiBuffer_.size() * sizeof(uint64_t));
            LV2_Atom_Forge_Frame sequence;
            lv2_atom_forge_sequence_head(&forge_, &sequence, 0);
            const auto end = pending_.lower_bound(rendered_ + n);
            for (auto it = pending_.begin(); it != end; ++it) {
                lv2_atom_forge_frame_time(&forge_, std::max(it->first, rendered_) - rendered_);
                const auto size = static_cast<uint32_t>(it->second.size());
                lv2_atom_forge_atom(&forge_, size, map_.map(this, LV2_MIDI__MidiEvent));
                lv2_atom_forge_write(&forge_, it->second.data(), size);
            }
            lv2_atom_forge_pop(&forge_, &sequence);
            pending_.erase(pending_.begin(), end);
            lilv_instance_connect_port(instance_, ports_.at("out"),
                                       out.data() + (rendered_ - start));
            timespec t0{}, t1{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
            inRun = worker_;
            lilv_instance_run(instance_, n);
            inRun = false;
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
            lastRun = double(t1.tv_sec - t0.tv_sec) + 1e-9 * double(t1.tv_nsec - t0.tv_nsec);
            for (const auto& job : std::exchange(deferred_, {})) {
                work(static_cast<uint32_t>(job.size()), job.data());
            }
            rendered_ += n;
        }
        return out;
    }

    // The state through lilv as a string, and back (false when lilv cannot read the string).
    std::string saveState() {
        LilvState* state =
            lilv_state_new_from_instance(plugin(), instance_, &map_, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, 0, nullptr);
        char* text =
            lilv_state_to_string(world(), &map_, &unmap_, state, "urn:tarmel:test:state", nullptr);
        std::string result = text != nullptr ? text : "";
        lilv_free(text);
        lilv_state_free(state);
        return result;
    }
    bool restoreState(const std::string& text) {
        return restore(lilv_state_new_from_string(world(), &map_, text.c_str()));
    }
    // Applies a preset of the bundle, its port values included; false when lilv cannot load it.
    bool loadPreset(const std::string& uri) {
        LilvNode* node = lilv_new_uri(world(), uri.c_str());
        lilv_world_load_resource(world(), node); // the preset's own file, named by the manifest
        LilvState* state = lilv_state_new_from_world(world(), &map_, node);
        lilv_node_free(node);
        return restore(state);
    }

    // Worker jobs wait until the block has run, as on a worker thread that is done before the
    // next block (live); otherwise they run at once, inside run() (offline).
    bool deferWork = false;
    // The processor time the last run() used, in seconds: time other programs took from it on a
    // busy machine is not counted.
    double lastRun = 0;

private:
    LV2_Worker_Status work(uint32_t size, const void* data) {
        const bool running = std::exchange(inRun, false);
        // The plug-in sends no responses: one would be refused.
        const auto* worker = static_cast<const LV2_Worker_Interface*>(
            lilv_instance_get_extension_data(instance_, LV2_WORKER__interface));
        const LV2_Worker_Status status = worker->work(
            lilv_instance_get_handle(instance_),
            [](void*, uint32_t, const void*) { return LV2_WORKER_ERR_UNKNOWN; }, this, size, data);
        inRun = running;
        return status;
    }

    bool restore(LilvState* state) { // frees state
        if (state != nullptr) {
            // A preset's port values, by symbol: the bundle writes them as floats.
            const auto setPort = [](const char* symbol, void* host, const void* value, uint32_t,
                                    uint32_t) {
                static_cast<Host*>(host)->set(symbol, *static_cast<const float*>(value));
            };
            lilv_state_restore(state, instance_, setPort, this, 0, nullptr);
            lilv_state_free(state);
        }
        return state != nullptr;
    }

    std::deque<std::string> uris_; // URID n is uris_[n - 1], in the order first asked for
    LV2_URID_Map map_{this, [](void* h, const char* uri) {
                          auto& uris = static_cast<Host*>(h)->uris_;
                          if (std::ranges::find(uris, uri) == uris.end()) {
                              uris.emplace_back(uri);
                          }
                          return LV2_URID(std::ranges::find(uris, uri) - uris.begin() + 1);
                      }};
    LV2_URID_Unmap unmap_{
        this, [](void* h, LV2_URID id) { return static_cast<Host*>(h)->uris_.at(id - 1).c_str(); }};
    LV2_Worker_Schedule schedule_{this, [](void* handle, uint32_t size, const void* data) {
                                      auto& host = *static_cast<Host*>(handle);
                                      const auto* bytes = static_cast<const uint8_t*>(data);
                                      if (host.deferWork) {
                                          host.deferred_.emplace_back(bytes, bytes + size);
                                      }
                                      return host.deferWork ? LV2_WORKER_SUCCESS
                                                            : host.work(size, data);
                                  }};
    LV2_Feature features_[3]{
        {LV2_URID__map, &map_}, {LV2_URID__unmap, &unmap_}, {LV2_WORKER__schedule, &schedule_}};
    LilvInstance* instance_ = nullptr;
    bool worker_;                           // whether the host offers the worker
    std::map<std::string, uint32_t> ports_; // index by symbol
    std::vector<float> controls_;           // one value for each port; control ports only used
    std::vector<uint64_t> midiBuffer_ = std::vector<uint64_t>(8192); // an atom sequence, aligned
    LV2_Atom_Forge forge_{};
    std::multimap<uint64_t, std::vector<uint8_t>> pending_; // MIDI not yet sent, by frame
    std::vector<std::vector<uint8_t>> deferred_;
    uint64_t rendered_ = 0;
};

} // namespace tarmel::plugin::test
