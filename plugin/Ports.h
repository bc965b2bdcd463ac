// The plug-in's ports and names, shared by the plug-in and by the tool that writes its Turtle
// description: the MIDI input, the audio output, the gain, then one control port for every control
// of the sound's table but pitch 1 (which the notes set), in the table's order.
#pragma once

#include "sound/Controls.h"

#include <cstdint>

namespace tarmel::plugin {

// The plug-in's stable URI; its presets and its state key live below it.
inline constexpr const char* kUri = "https://quorvane.org/lv2/tarmel";
inline constexpr const char* kStateKey = "https://quorvane.org/lv2/tarmel#carried";
inline constexpr const char* kPresetPrefix = "https://quorvane.org/lv2/tarmel/preset/";

inline constexpr uint32_t kMidiPort = 0;
inline constexpr uint32_t kAudioPort = 1;
inline constexpr uint32_t kGainPort = 2;
inline constexpr uint32_t kFirstControlPort = 3;
// Table control 1 (the first after pitch 1) is the first control port.
inline constexpr int kFirstPortControl = 1;
inline constexpr int kControlPorts = sound::kControlCount - kFirstPortControl;
inline constexpr uint32_t kPortCount = kFirstControlPort + kControlPorts;

inline constexpr float kGainMinDb = -60.0f;
inline constexpr float kGainMaxDb = 30.0f;

// The port of table control id (1..51).
inline constexpr uint32_t portOfControl(int id) {
    return kFirstControlPort + static_cast<uint32_t>(id - kFirstPortControl);
}

} // namespace tarmel::plugin
