// The table of a sound's controls: the 52 values a user sets (pitch 1, the two offsets, the
// envelope, the three play boxes, and each modulator's box, Multiply and Divide), each with its
// range, start value, the window control that shows it, its settings-file key, its words for a
// screen reader and a short stable symbol. Every door onto a sound (the windows, undo, settings
// files, the render command, random and mutate, the plug-in, the match search) reads this table
// instead of keeping a list of its own.
#pragma once

#include "synth/Parameters.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarmel::sound {

// The values of one sound's controls; the carried state is not part of it.
struct Controls {
    int16_t pitch1 = synth::kStartPitch;
    std::array<int16_t, 2> offsets{}; // of oscillators 2 and 3 from pitch 1
    int16_t attack = 0;               // the envelope balance
    std::array<bool, synth::kOscillators> play{true, false, false};
    // Oscillator 1's modulators first, then oscillator 2's, then oscillator 3's.
    std::array<synth::ModulatorSetting, synth::kModulators> modulators{};

    friend bool operator==(const Controls&, const Controls&) = default;
};

enum class ControlKind {
    Pitch,    // oscillator 1's pitch, hertz
    Offset,   // oscillator 2's or 3's offset from pitch 1, hertz
    Envelope, // 0 pure decay .. 1500 pure attack
    Play,     // a play box
    Box,      // a modulator's on box
    Multiply, // a modulator's multiplier bar F
    Divide,   // a modulator's ratio bar H
};

struct Control {
    int id; // its place in the table, 0..51
    ControlKind kind;
    int oscillator; // 1..3
    int modulator;  // 1..5 for a modulator's control, else 0
    int minimum;
    int maximum;
    int step; // an arrow key's or arrow button's step
    int page; // Page Up/Down's step
    int start;
    std::string symbol;      // short, stable, a C identifier: "pitch", "o2m3_mul"
    int window;              // the window whose control shows it: 1 main, 2 and 3 the oscillators'
    std::string widget;      // that control's objectName: "VScroll1", "sliderFm(2)", "ChkFm(0)"
    std::string key;         // the settings file's dotted key: "oscillator2.modulator3.multiplier"
    std::string name;        // for people: "Multiply, modulator 3 of oscillator 2"
    std::string description; // a few words beyond the name
    std::string unit;        // "Hz" where the value is in hertz, else empty

    bool toggled() const { return kind == ControlKind::Play || kind == ControlKind::Box; }
    bool accepts(int value) const { return value >= minimum && value <= maximum; }
    // The value of this control in controls.
    int get(const Controls& controls) const;
    // Sets this control's value; the value must be in range (accepts).
    void set(Controls& controls, int value) const;
    // The value as a screen reader says it: "98 hertz", "plus 12 hertz", "times 4", "divided
    // by 8", "attack 300 of 1500", "on"/"off".
    std::string spoken(int value) const;
};

inline constexpr int kControlCount = 52;

// The 52 controls, in a fixed order: pitch 1, offsets 2 and 3, the envelope, play boxes 1 to 3,
// then for each oscillator and modulator its box, Multiply and Divide.
std::span<const Control> controls();
const Control& control(int id);
// The control with that symbol, window control or settings key; nothing when there is none.
const Control* findSymbol(std::string_view symbol);
const Control* findWidget(int window, std::string_view widget);
const Control* findKey(std::string_view key);
// The id of a modulator's control: kind Box, Multiply or Divide, oscillator 1..3, modulator 1..5.
int modulatorControl(ControlKind kind, int oscillator, int modulator);

// The controls every control at its start value; equal to Controls{}.
Controls startControls();

// What a generation reads from these controls: pitch 2 and 3 are pitch 1 plus their offsets.
synth::Parameters parametersOf(const Controls& controls);

// What a modulator computes, in words: "tangent of a sine at pitch 1 times Multiply divided by
// Divide"; and in a few words: "tangent of a sine, divided". oscillator 1..3, modulator 1..5.
std::string modulatorComputes(int oscillator, int modulator);
std::string modulatorInShort(int oscillator, int modulator);

} // namespace tarmel::sound
