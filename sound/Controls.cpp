// The table of a sound's controls, built once from the ranges of the computation.
#include "sound/Controls.h"

#include "synth/Modulators.h"
#include "synth/Pitch.h"

#include <stdexcept>
#include <vector>

namespace tarmel::sound {

namespace {

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    return text;
}

const synth::ModulatorKind& kindOf(int oscillator, int modulator) {
    return synth::kModulatorKinds.at(static_cast<std::size_t>(
        (oscillator - 1) * synth::kModulatorsPerOscillator + modulator - 1));
}

std::string phaseWords(synth::Phase phase) {
    switch (phase) {
    case synth::Phase::Multiply:
        return "at pitch 1 times Multiply times Divide";
    case synth::Phase::Divide:
        return "at pitch 1 times Multiply divided by Divide";
    case synth::Phase::DivideHalved:
        break;
    }
    return "at pitch 1 times Multiply divided by twice Divide";
}

std::string phaseInShort(synth::Phase phase) {
    switch (phase) {
    case synth::Phase::Multiply:
        return "multiplied";
    case synth::Phase::Divide:
        return "divided";
    case synth::Phase::DivideHalved:
        break;
    }
    return "divided and halved";
}

std::string hertz(int value) {
    return std::to_string(value) + " hertz";
}

std::vector<Control> makeTable() {
    using enum ControlKind;
    std::vector<Control> table;
    const auto add = [&table](Control c) {
        c.id = static_cast<int>(table.size());
        table.push_back(std::move(c));
    };
    add({0, Pitch, 1, 0, synth::kPitchMin, synth::kPitchMax, 1, 5, synth::kStartPitch, "pitch", 1,
         "VScroll1", "oscillator1.pitch", "Oscillator 1 pitch",
         "1 to 1000; the letter keys set it too.", "Hz"});
    for (int oscillator : {2, 3}) {
        const std::string n = std::to_string(oscillator);
        add({0, Offset, oscillator, 0, synth::kOffsetMin, synth::kOffsetMax, 1, 5, 0, "offset" + n,
             1, "VScroll" + n, "oscillator" + n + ".offset", "Oscillator " + n + " pitch offset",
             "From oscillator 1's pitch.", "Hz"});
    }
    add({0, Envelope, 1, 0, 0, synth::kAttackMax, 1, 1, 0, "attack", 1, "Sliderattack", "attack",
         "Envelope, decay to attack", "0 decays from loud, 1500 rises from silence.", ""});
    for (int oscillator = 1; oscillator <= synth::kOscillators; ++oscillator) {
        const std::string n = std::to_string(oscillator);
        add({0, Play, oscillator, 0, 0, 1, 1, 1, oscillator == 1 ? 1 : 0, "play" + n, 1,
             "Check1(" + std::to_string(oscillator - 1) + ")", "oscillator" + n + ".play",
             "Play oscillator " + n, "Ticked, oscillator " + n + " sounds when a sound plays.",
             ""});
    }
    for (int oscillator = 1; oscillator <= synth::kOscillators; ++oscillator) {
        for (int m = 1; m <= synth::kModulatorsPerOscillator; ++m) {
            const std::string o = std::to_string(oscillator);
            const std::string i = std::to_string(m - 1);
            const std::string symbol = "o" + o + "m" + std::to_string(m);
            const std::string key = "oscillator" + o + ".modulator" + std::to_string(m);
            const std::string of = "modulator " + std::to_string(m) + " of oscillator " + o;
            const std::string inShort = capitalised(modulatorInShort(oscillator, m));
            // A few words, read at every Tab; the whole computation is in the tooltip.
            add({0, Box, oscillator, m, 0, 1, 1, 1, 0, symbol + "_on", oscillator,
                 "ChkFm(" + i + ")", key + ".on", capitalised(of),
                 inShort + ". Ticked, it shapes oscillator " + o + ".", ""});
            // Modulator 2's multiplier never goes below 2.
            add({0, Multiply, oscillator, m,
                 m == 2 ? synth::kMultiplierMinSecond : synth::kMultiplierMin,
                 synth::kMultiplierMax, 1, 2, synth::kStartMultiplier, symbol + "_mul", oscillator,
                 "sliderFm(" + i + ")", key + ".multiplier", "Multiply, " + of, inShort + ".", ""});
            add({0, Divide, oscillator, m, synth::kRatioMin, synth::kRatioMax, 2, 2,
                 synth::kStartRatio, symbol + "_div", oscillator, "sliderharmon(" + i + ")",
                 key + ".ratio", "Divide, " + of, inShort + ".", ""});
        }
    }
    if (table.size() != kControlCount) {
        throw std::logic_error("the control table must hold 52 controls");
    }
    return table;
}

const std::vector<Control>& table() {
    static const std::vector<Control> t = makeTable();
    return t;
}

synth::ModulatorSetting& modulatorOf(Controls& c, const Control& control) {
    return c.modulators[static_cast<std::size_t>(
        (control.oscillator - 1) * synth::kModulatorsPerOscillator + control.modulator - 1)];
}

const synth::ModulatorSetting& modulatorOf(const Controls& c, const Control& control) {
    return c.modulators[static_cast<std::size_t>(
        (control.oscillator - 1) * synth::kModulatorsPerOscillator + control.modulator - 1)];
}

} // namespace

int Control::get(const Controls& c) const {
    switch (kind) {
    case ControlKind::Pitch:
        return c.pitch1;
    case ControlKind::Offset:
        return c.offsets[static_cast<std::size_t>(oscillator - 2)];
    case ControlKind::Envelope:
        return c.attack;
    case ControlKind::Play:
        return c.play[static_cast<std::size_t>(oscillator - 1)] ? 1 : 0;
    case ControlKind::Box:
        return modulatorOf(c, *this).on ? 1 : 0;
    case ControlKind::Multiply:
        return modulatorOf(c, *this).F;
    case ControlKind::Divide:
        break;
    }
    return modulatorOf(c, *this).H;
}

void Control::set(Controls& c, int value) const {
    const auto v = static_cast<int16_t>(value);
    switch (kind) {
    case ControlKind::Pitch:
        c.pitch1 = v;
        return;
    case ControlKind::Offset:
        c.offsets[static_cast<std::size_t>(oscillator - 2)] = v;
        return;
    case ControlKind::Envelope:
        c.attack = v;
        return;
    case ControlKind::Play:
        c.play[static_cast<std::size_t>(oscillator - 1)] = value != 0;
        return;
    case ControlKind::Box:
        modulatorOf(c, *this).on = value != 0;
        return;
    case ControlKind::Multiply:
        modulatorOf(c, *this).F = v;
        return;
    case ControlKind::Divide:
        break;
    }
    modulatorOf(c, *this).H = v;
}

std::string Control::spoken(int value) const {
    switch (kind) {
    case ControlKind::Pitch:
        return hertz(value);
    case ControlKind::Offset:
        return value < 0 ? "minus " + hertz(-value) : "plus " + hertz(value);
    case ControlKind::Envelope:
        return "attack " + std::to_string(value) + " of " + std::to_string(synth::kAttackMax);
    case ControlKind::Play:
    case ControlKind::Box:
        return value != 0 ? "on" : "off";
    case ControlKind::Multiply:
        return "times " + std::to_string(value);
    case ControlKind::Divide:
        break;
    }
    return kindOf(oscillator, modulator).phase == synth::Phase::Multiply
               ? "times " + std::to_string(value)
               : "divided by " + std::to_string(value);
}

std::span<const Control> controls() {
    return table();
}

const Control& control(int id) {
    return table().at(static_cast<std::size_t>(id));
}

const Control* findSymbol(std::string_view symbol) {
    for (const Control& c : table()) {
        if (c.symbol == symbol) {
            return &c;
        }
    }
    return nullptr;
}

const Control* findWidget(int window, std::string_view widget) {
    for (const Control& c : table()) {
        if (c.window == window && c.widget == widget) {
            return &c;
        }
    }
    return nullptr;
}

const Control* findKey(std::string_view key) {
    for (const Control& c : table()) {
        if (c.key == key) {
            return &c;
        }
    }
    return nullptr;
}

int modulatorControl(ControlKind kind, int oscillator, int modulator) {
    const int first = 7; // after pitch, two offsets, envelope and three play boxes
    const int column = kind == ControlKind::Box ? 0 : kind == ControlKind::Multiply ? 1 : 2;
    return first + ((oscillator - 1) * synth::kModulatorsPerOscillator + modulator - 1) * 3 +
           column;
}

Controls startControls() {
    Controls c;
    for (const Control& control : table()) {
        control.set(c, control.start);
    }
    return c;
}

synth::Parameters parametersOf(const Controls& c) {
    synth::Parameters p;
    p.pitch1 = c.pitch1;
    p.pitch2 = synth::pitchWithOffset(c.offsets[0], c.pitch1);
    p.pitch3 = synth::pitchWithOffset(c.offsets[1], c.pitch1);
    p.attack = c.attack;
    p.modulators = c.modulators;
    return p;
}

std::string modulatorComputes(int oscillator, int modulator) {
    const synth::ModulatorKind& kind = kindOf(oscillator, modulator);
    const std::string phase = phaseWords(kind.phase);
    switch (kind.waveform) {
    case synth::Waveform::Sine:
        return "a sine " + phase;
    case synth::Waveform::TanSine:
        return "tangent of a sine " + phase;
    case synth::Waveform::SineGatedS:
        return "a sine " + phase +
               ", silent while oscillator 1's sine is positive and turned over while it is "
               "negative";
    case synth::Waveform::SineGatedC:
        return "a sine " + phase +
               ", silent while oscillator 1's cosine is positive and turned over while it is "
               "negative";
    case synth::Waveform::Random:
        break;
    }
    return "noise: random values while a sine " + phase +
           " is positive, values set by that sine while it is negative";
}

std::string modulatorInShort(int oscillator, int modulator) {
    const synth::ModulatorKind& kind = kindOf(oscillator, modulator);
    const std::string phase = phaseInShort(kind.phase);
    switch (kind.waveform) {
    case synth::Waveform::Sine:
        return "a sine, " + phase;
    case synth::Waveform::TanSine:
        return "tangent of a sine, " + phase;
    case synth::Waveform::SineGatedS:
        return "a sine gated by oscillator 1's sine, " + phase;
    case synth::Waveform::SineGatedC:
        return "a sine gated by oscillator 1's cosine, " + phase;
    case synth::Waveform::Random:
        break;
    }
    return "noise, " + phase;
}

} // namespace tarmel::sound
