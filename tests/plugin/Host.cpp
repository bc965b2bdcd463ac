// The test host: lilv loads and instantiates the plug-in and keeps its state; MIDI goes in as an
// atom sequence written with LV2's forge; worker jobs run at once, inside run(), or after it.
#include "tests/plugin/Host.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <lv2/midi/midi.h>
#include <stdexcept>
#include <time.h>
#include <utility>

namespace tarmel::plugin::test {
namespace {

double seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

} // namespace

LilvWorld* world() {
    static LilvWorld* w = [] {
        setenv("LV2_PATH", TARMEL_LV2_PATH, 0);
        LilvWorld* created = lilv_world_new();
        lilv_world_load_all(created);
        return created;
    }();
    return w;
}

const LilvPlugin* plugin() {
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

uint32_t Host::index(const std::string& symbol) {
    LilvNode* node = lilv_new_string(world(), symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(), node);
    lilv_node_free(node);
    return port != nullptr ? lilv_port_get_index(plugin(), port)
                           : throw std::invalid_argument("no port " + symbol);
}

Host::Host(double rate, bool worker) {
    schedule_.schedule_work = [](void* handle, uint32_t size, const void* data) {
        auto& host = *static_cast<Host*>(handle);
        if (!host.deferWork) {
            return host.work(size, data);
        }
        const auto* bytes = static_cast<const uint8_t*>(data);
        host.deferred_.emplace_back(bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    };
    features_[0] = {LV2_URID__map, &map_};
    features_[1] = {LV2_URID__unmap, &unmap_};
    features_[2] = {LV2_WORKER__schedule, &schedule_};
    const LV2_Feature* features[] = {&features_[0], &features_[1], worker ? &features_[2] : nullptr,
                                     nullptr};
    lv2_atom_forge_init(&forge_, &map_);
    instance_ = lilv_plugin_instantiate(plugin(), rate, features);
    if (instance_ == nullptr) {
        throw std::runtime_error("the plug-in could not be instantiated");
    }
    worker_ = static_cast<const LV2_Worker_Interface*>(
        lilv_instance_get_extension_data(instance_, LV2_WORKER__interface));
    controls_.assign(lilv_plugin_get_num_ports(plugin()), NAN);
    lilv_plugin_get_port_ranges_float(plugin(), nullptr, nullptr, controls_.data());
    midiBuffer_.assign(8192, 0);
    midiPort_ = index("midi_in");
    audioPort_ = index("out");
    for (uint32_t i = 0; i < controls_.size(); ++i) {
        lilv_instance_connect_port(
            instance_, i, i == midiPort_ ? static_cast<void*>(midiBuffer_.data()) : &controls_[i]);
    }
    lilv_instance_activate(instance_);
}

Host::~Host() {
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

LV2_URID Host::map(const char* uri) {
    const auto found = std::ranges::find(uris_, uri);
    if (found == uris_.end()) {
        uris_.emplace_back(uri);
        return static_cast<LV2_URID>(uris_.size());
    }
    return static_cast<LV2_URID>(found - uris_.begin() + 1);
}

LV2_Worker_Status Host::work(uint32_t size, const void* data) {
    onWork(true);
    const double start = seconds(CLOCK_MONOTONIC);
    // The plug-in sends no responses: one would be refused.
    const LV2_Worker_Status status = worker_->work(
        lilv_instance_get_handle(instance_),
        [](void*, uint32_t, const void*) { return LV2_WORKER_ERR_UNKNOWN; }, this, size, data);
    lastWork_ = seconds(CLOCK_MONOTONIC) - start;
    onWork(false);
    return status;
}

std::vector<float> Host::render(uint64_t frames, const std::vector<uint32_t>& blocks) {
    std::vector<float> out(frames, NAN);
    for (uint64_t done = 0, k = 0; done < frames; ++k) {
        const auto n =
            static_cast<uint32_t>(std::min<uint64_t>(blocks[k % blocks.size()], frames - done));
        lv2_atom_forge_set_buffer(&forge_, reinterpret_cast<uint8_t*>(midiBuffer_.data()),
                                  midiBuffer_.size() * sizeof(uint64_t));
        LV2_Atom_Forge_Frame sequence;
        lv2_atom_forge_sequence_head(&forge_, &sequence, 0);
        const auto end = pending_.lower_bound(rendered_ + n);
        for (auto it = pending_.begin(); it != end; ++it) {
            lv2_atom_forge_frame_time(&forge_, std::max(it->first, rendered_) - rendered_);
            lv2_atom_forge_atom(&forge_, static_cast<uint32_t>(it->second.size()),
                                map(LV2_MIDI__MidiEvent));
            if (!it->second.empty()) { // an empty message is an atom with no body
                lv2_atom_forge_write(&forge_, it->second.data(),
                                     static_cast<uint32_t>(it->second.size()));
            }
        }
        lv2_atom_forge_pop(&forge_, &sequence);
        pending_.erase(pending_.begin(), end);
        lilv_instance_connect_port(instance_, audioPort_, out.data() + done);
        onRun(true);
        const double start = seconds(CLOCK_MONOTONIC), cpu = seconds(CLOCK_THREAD_CPUTIME_ID);
        lilv_instance_run(instance_, n);
        lastRunCpu_ = seconds(CLOCK_THREAD_CPUTIME_ID) - cpu;
        lastRun_ = seconds(CLOCK_MONOTONIC) - start;
        onRun(false);
        for (const auto& job : std::exchange(deferred_, {})) {
            work(static_cast<uint32_t>(job.size()), job.data());
        }
        done += n;
        rendered_ += n;
    }
    return out;
}

std::string Host::saveState() {
    LilvState* state = lilv_state_new_from_instance(plugin(), instance_, &map_, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr, 0, nullptr);
    char* text =
        lilv_state_to_string(world(), &map_, &unmap_, state, "urn:tarmel:test:state", nullptr);
    std::string result = text != nullptr ? text : "";
    lilv_free(text);
    lilv_state_free(state);
    return result;
}

bool Host::restore(LilvState* state) {
    if (state != nullptr) {
        // A preset's port values, by symbol: the bundle writes them as floats.
        const auto setPort = [](const char* symbol, void* host, const void* value, uint32_t size,
                                uint32_t) {
            if (size == sizeof(float)) {
                static_cast<Host*>(host)->set(symbol, *static_cast<const float*>(value));
            }
        };
        lilv_state_restore(state, instance_, setPort, this, 0, nullptr);
        lilv_state_free(state);
    }
    return state != nullptr;
}

bool Host::restoreState(const std::string& text) {
    return restore(lilv_state_new_from_string(world(), &map_, text.c_str()));
}

bool Host::loadPreset(const std::string& uri) {
    LilvNode* node = lilv_new_uri(world(), uri.c_str());
    lilv_world_load_resource(world(), node); // the preset's own file, named by the manifest
    LilvState* state = lilv_state_new_from_world(world(), &map_, node);
    lilv_node_free(node);
    return restore(state);
}

} // namespace tarmel::plugin::test
