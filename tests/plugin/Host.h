// A small LV2 host on liblilv for the plug-in's tests and benchmark: it loads the bundle by URI
// (LV2_PATH), maps URIs, runs the worker's jobs, sends MIDI at chosen frames, runs blocks of
// chosen sizes, and saves and restores state through lilv.
#pragma once

#include <cstdint>
#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>
#include <map>
#include <string>
#include <vector>

namespace tarmel::plugin::test {

// The one lilv world of the test program, with every bundle of LV2_PATH loaded, and the plug-in.
LilvWorld* world();
const LilvPlugin* plugin();

class Host {
public:
    // worker: whether the host offers the LV2 Worker.
    explicit Host(double rate = 44100, bool worker = true);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Sets a control port by symbol (gain, or a control's table symbol).
    void set(const std::string& symbol, float value) { controls_[index(symbol)] = value; }
    // A MIDI message to send at frame (counted from the first frame rendered by this host; one
    // already past is sent with the next block).
    void send(uint64_t frame, std::vector<uint8_t> message) {
        pending_.emplace(frame, std::move(message));
    }
    void note(uint64_t frame, int note) { send(frame, {0x90, static_cast<uint8_t>(note), 100}); }
    // Runs blocks of the given sizes in turn until frames more frames are rendered; returns them.
    std::vector<float> render(uint64_t frames, const std::vector<uint32_t>& blocks);

    // The state through lilv as a string, and back (false when lilv cannot read the string).
    std::string saveState();
    bool restoreState(const std::string& text);
    // Applies a preset of the bundle, its port values included; false when lilv cannot load it.
    bool loadPreset(const std::string& uri);

    // Worker jobs wait until the block has run, as on a worker thread that is done before the
    // next block (live); otherwise they run at once, inside run() (offline).
    bool deferWork = false;
    // How long the last run() and the last worker job took, in seconds; and the processor time
    // the last run() used, without the time other threads took from it.
    double lastRunSeconds() const { return lastRun_; }
    double lastRunCpuSeconds() const { return lastRunCpu_; }
    double lastWorkSeconds() const { return lastWork_; }
    // Called around every run() of the plug-in and around every worker job.
    void (*onRun)(bool running) = [](bool) {};
    void (*onWork)(bool working) = [](bool) {};

private:
    static uint32_t index(const std::string& symbol);
    LV2_URID map(const char* uri);
    LV2_Worker_Status work(uint32_t size, const void* data);
    bool restore(LilvState* state); // frees state

    std::vector<std::string> uris_; // URID n is uris_[n - 1]
    LV2_URID_Map map_{this,
                      [](void* h, const char* uri) { return static_cast<Host*>(h)->map(uri); }};
    LV2_URID_Unmap unmap_{this, [](void* h, LV2_URID id) {
                              const auto& uris = static_cast<Host*>(h)->uris_;
                              return id - 1 < uris.size() ? uris[id - 1].c_str() : nullptr;
                          }};
    LV2_Worker_Schedule schedule_{this, nullptr};
    LV2_Feature features_[3]{};
    LilvInstance* instance_ = nullptr;
    const LV2_Worker_Interface* worker_ = nullptr;
    std::vector<float> controls_;      // one value for each port; control ports only used
    std::vector<uint64_t> midiBuffer_; // an atom sequence, 8-byte aligned
    LV2_Atom_Forge forge_{};
    std::multimap<uint64_t, std::vector<uint8_t>> pending_; // MIDI not yet sent, by frame
    std::vector<std::vector<uint8_t>> deferred_;
    double lastRun_ = 0, lastRunCpu_ = 0, lastWork_ = 0;
    uint64_t rendered_ = 0;
    uint32_t audioPort_ = 0, midiPort_ = 0;
};

} // namespace tarmel::plugin::test
