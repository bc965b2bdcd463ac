// The test host: lilv loads and instantiates the plug-in; MIDI goes in as an atom sequence built
// by hand; worker jobs run at once, inside run(), and their responses follow the block.
#include "tests/plugin/Host.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <stdexcept>
#include <time.h>

namespace tarmel::plugin::test {

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
        LilvNode* uri = lilv_new_uri(world(), kPluginUri);
        const LilvPlugin* found = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world()), uri);
        lilv_node_free(uri);
        if (found == nullptr) {
            throw std::runtime_error("the plug-in is not found: set LV2_PATH to the build's lv2 "
                                     "folder");
        }
        return found;
    }();
    return p;
}

namespace {

uint32_t portIndex(const std::string& symbol) {
    LilvNode* node = lilv_new_string(world(), symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(), node);
    lilv_node_free(node);
    if (port == nullptr) {
        throw std::invalid_argument("no port " + symbol);
    }
    return lilv_port_get_index(plugin(), port);
}

constexpr std::size_t kMidiBytes = 1 << 16;

} // namespace

Host::Host(double rate, bool worker) {
    map_.map = [](LV2_URID_Map_Handle h, const char* uri) {
        return static_cast<Host*>(h)->map(uri);
    };
    unmap_.unmap = [](LV2_URID_Unmap_Handle h, LV2_URID id) {
        return static_cast<Host*>(h)->unmap(id);
    };
    schedule_.schedule_work = schedule;
    mapFeature_ = {LV2_URID__map, &map_};
    unmapFeature_ = {LV2_URID__unmap, &unmap_};
    scheduleFeature_ = {LV2_WORKER__schedule, &schedule_};
    const LV2_Feature* features[] = {&mapFeature_, &unmapFeature_,
                                     worker ? &scheduleFeature_ : nullptr, nullptr};
    midiEvent_ = map(LV2_MIDI__MidiEvent);
    sequence_ = map(LV2_ATOM__Sequence);
    instance_ = lilv_plugin_instantiate(plugin(), rate, features);
    if (instance_ == nullptr) {
        throw std::runtime_error("the plug-in could not be instantiated");
    }
    worker_ = static_cast<const LV2_Worker_Interface*>(
        lilv_instance_get_extension_data(instance_, LV2_WORKER__interface));
    const uint32_t ports = lilv_plugin_get_num_ports(plugin());
    controls_.assign(ports, NAN);
    lilv_plugin_get_port_ranges_float(plugin(), nullptr, nullptr, controls_.data());
    midiBuffer_.assign(kMidiBytes / sizeof(uint64_t), 0);
    midiPort_ = portIndex("midi_in");
    audioPort_ = portIndex("out");
    for (uint32_t i = 0; i < ports; ++i) {
        if (i == midiPort_) {
            lilv_instance_connect_port(instance_, i, midiBuffer_.data());
        } else if (i != audioPort_) {
            lilv_instance_connect_port(instance_, i, &controls_[i]);
        }
    }
    lilv_instance_activate(instance_);
}

Host::~Host() {
    lilv_instance_deactivate(instance_);
    lilv_instance_free(instance_);
}

LV2_URID Host::map(const char* uri) {
    const auto [it, added] = ids_.emplace(uri, static_cast<LV2_URID>(uris_.size() + 1));
    if (added) {
        uris_.emplace_back(uri);
    }
    return it->second;
}

const char* Host::unmap(LV2_URID urid) const {
    return urid >= 1 && urid <= uris_.size() ? uris_[urid - 1].c_str() : nullptr;
}

void Host::set(const std::string& symbol, float value) {
    controls_[portIndex(symbol)] = value;
}

float Host::get(const std::string& symbol) const {
    return controls_[portIndex(symbol)];
}

void Host::send(uint64_t frame, std::vector<uint8_t> message) {
    pending_.emplace(frame, std::move(message));
}

LV2_Worker_Status Host::schedule(LV2_Worker_Schedule_Handle handle, uint32_t size,
                                 const void* data) {
    auto& host = *static_cast<Host*>(handle);
    if (host.deferWork) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        host.deferred_.emplace_back(bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    }
    return host.work(size, data);
}

LV2_Worker_Status Host::work(uint32_t size, const void* data) {
    if (onWork != nullptr) {
        onWork(true);
    }
    const auto start = std::chrono::steady_clock::now();
    const LV2_Worker_Status status =
        worker_->work(lilv_instance_get_handle(instance_), respond, this, size, data);
    lastWork_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (onWork != nullptr) {
        onWork(false);
    }
    return status;
}

LV2_Worker_Status Host::respond(LV2_Worker_Respond_Handle handle, uint32_t size, const void* data) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    static_cast<Host*>(handle)->responses_.emplace_back(bytes, bytes + size);
    return LV2_WORKER_SUCCESS;
}

void Host::runBlock(uint32_t frames, float* out) {
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(midiBuffer_.data());
    seq->atom.type = sequence_;
    seq->body.unit = 0;
    seq->body.pad = 0;
    auto* bytes = reinterpret_cast<uint8_t*>(midiBuffer_.data());
    std::size_t used = sizeof(LV2_Atom_Sequence);
    const auto end = pending_.lower_bound(rendered_ + frames);
    for (auto it = pending_.begin(); it != end; ++it) {
        auto* ev = reinterpret_cast<LV2_Atom_Event*>(bytes + used);
        ev->time.frames = static_cast<int64_t>(it->first - std::min(it->first, rendered_));
        ev->body.size = static_cast<uint32_t>(it->second.size());
        ev->body.type = midiEvent_;
        if (!it->second.empty()) {
            std::memcpy(ev + 1, it->second.data(), it->second.size());
        }
        used += sizeof(LV2_Atom_Event) + lv2_atom_pad_size(ev->body.size);
    }
    pending_.erase(pending_.begin(), end);
    seq->atom.size = static_cast<uint32_t>(used - sizeof(LV2_Atom));
    lilv_instance_connect_port(instance_, audioPort_, out);
    if (onRun != nullptr) {
        onRun(true);
    }
    timespec cpuStart{}, cpuEnd{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
    const auto start = std::chrono::steady_clock::now();
    lilv_instance_run(instance_, frames);
    lastRun_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
    lastRunCpu_ =
        double(cpuEnd.tv_sec - cpuStart.tv_sec) + 1e-9 * double(cpuEnd.tv_nsec - cpuStart.tv_nsec);
    if (onRun != nullptr) {
        onRun(false);
    }
    for (const auto& job : deferred_) {
        work(static_cast<uint32_t>(job.size()), job.data());
    }
    deferred_.clear();
    for (const auto& r : responses_) {
        worker_->work_response(lilv_instance_get_handle(instance_), static_cast<uint32_t>(r.size()),
                               r.data());
    }
    responses_.clear();
    if (worker_->end_run != nullptr) {
        worker_->end_run(lilv_instance_get_handle(instance_));
    }
    rendered_ += frames;
}

std::vector<float> Host::render(uint64_t frames, const std::vector<uint32_t>& blocks) {
    std::vector<float> out(frames, NAN);
    uint64_t done = 0;
    for (std::size_t k = 0; done < frames; ++k) {
        const auto n =
            static_cast<uint32_t>(std::min<uint64_t>(blocks[k % blocks.size()], frames - done));
        runBlock(n, out.data() + done);
        done += n;
    }
    return out;
}

namespace {

struct PortAccess {
    Host* host;
    uint32_t floatType;
    float value;
};

const void* getPort(const char* symbol, void* data, uint32_t* size, uint32_t* type) {
    auto& access = *static_cast<PortAccess*>(data);
    access.value = access.host->get(symbol);
    *size = sizeof(float);
    *type = access.floatType;
    return &access.value;
}

void setPort(const char* symbol, void* data, const void* value, uint32_t size, uint32_t type) {
    auto& access = *static_cast<PortAccess*>(data);
    if (type == access.floatType && size == sizeof(float)) {
        float v = 0;
        std::memcpy(&v, value, sizeof v);
        access.host->set(symbol, v);
    }
}

} // namespace

std::string Host::saveState() {
    PortAccess access{this, map(LV2_ATOM__Float), 0};
    const LV2_Feature* features[] = {&mapFeature_, &unmapFeature_, nullptr};
    LilvState* state =
        lilv_state_new_from_instance(plugin(), instance_, &map_, nullptr, nullptr, nullptr, nullptr,
                                     getPort, &access, 0, features);
    char* text =
        lilv_state_to_string(world(), &map_, &unmap_, state, "urn:tarmel:test:state", nullptr);
    std::string result = text != nullptr ? text : "";
    lilv_free(text);
    lilv_state_free(state);
    return result;
}

bool Host::restore(LilvState* state) {
    if (state == nullptr) {
        return false;
    }
    PortAccess access{this, map(LV2_ATOM__Float), 0};
    const LV2_Feature* features[] = {&mapFeature_, &unmapFeature_, nullptr};
    lilv_state_restore(state, instance_, setPort, &access, 0, features);
    lilv_state_free(state);
    return true;
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
