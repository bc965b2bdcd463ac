// The search's moves, all within the ranges of the control table.
#include "match/Variation.h"

#include "synth/Modulators.h"

#include <algorithm>
#include <cmath>

namespace tarmel::match {

namespace {

using sound::Control;
using sound::ControlKind;

int uniform(Random& random, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
}

double chance(Random& random) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(random);
}

bool plays(const sound::Controls& c, int oscillator) {
    return c.play[static_cast<std::size_t>(oscillator - 1)];
}

// Whether the modulator a control belongs to is switched on.
bool modulatorOn(const sound::Controls& c, const Control& control) {
    return c
        .modulators[static_cast<std::size_t>(
            (control.oscillator - 1) * synth::kModulatorsPerOscillator + control.modulator - 1)]
        .on;
}

// The controls whose value can change what is heard, each as often as its weight says.
std::vector<int> movable(const sound::Controls& c) {
    std::vector<int> ids;
    const auto add = [&ids](int id, int weight) { ids.insert(ids.end(), weight, id); };
    for (const Control& control : sound::controls()) {
        const bool heard = plays(c, control.oscillator);
        switch (control.kind) {
        case ControlKind::Pitch:
            add(control.id, 4);
            break;
        case ControlKind::Envelope:
            add(control.id, 3);
            break;
        case ControlKind::Play:
            add(control.id, 1);
            break;
        case ControlKind::Offset:
            add(control.id, heard ? 3 : 0);
            break;
        case ControlKind::Box:
            add(control.id, heard ? 1 : 0);
            break;
        case ControlKind::Multiply:
        case ControlKind::Divide:
            add(control.id, heard && modulatorOn(c, control) ? 2 : 0);
            break;
        }
    }
    return ids;
}

// A value of control drawn anywhere in its range, in steps of its step from its minimum.
int anywhere(const Control& control, Random& random) {
    const int steps = (control.maximum - control.minimum) / control.step;
    return control.minimum + control.step * uniform(random, 0, steps);
}

int nearby(int value, int most, Random& random) {
    const int size = uniform(random, 1, most);
    return chance(random) < 0.5 ? value - size : value + size;
}

void switchOn(sound::Controls& c, const Control& box, Random& random) {
    const Control& mul = sound::control(box.id + 1);
    const Control& div = sound::control(box.id + 2);
    box.set(c, 1);
    mul.set(c, uniform(random, std::max(mul.minimum, 1), mul.maximum));
    div.set(c, chance(random) < 0.7 ? anywhere(div, random)
                                    : uniform(random, div.minimum, div.maximum));
}

void moveOne(sound::Controls& c, Random& random) {
    const std::vector<int> ids = movable(c);
    const Control& control = sound::control(
        ids[static_cast<std::size_t>(uniform(random, 0, static_cast<int>(ids.size()) - 1))]);
    const int value = control.get(c);
    const double r = chance(random);
    int next = value;
    switch (control.kind) {
    case ControlKind::Pitch:
        next = r < 0.5   ? nearby(value, 3, random)
               : r < 0.8 ? static_cast<int>(std::lround(
                               value * std::exp(std::normal_distribution<double>(0, 0.08)(random))))
               : r < 0.9 ? (chance(random) < 0.5 ? value * 2 : value / 2)
                         : anywhere(control, random);
        break;
    case ControlKind::Offset:
        next = r < 0.5   ? nearby(value, 3, random)
               : r < 0.8 ? value + static_cast<int>(
                                       std::lround(std::normal_distribution<double>(0, 20)(random)))
                         : anywhere(control, random);
        break;
    case ControlKind::Envelope:
        next = r < 0.4   ? nearby(value, 5, random)
               : r < 0.8 ? value + static_cast<int>(std::lround(
                                       std::normal_distribution<double>(0, 100)(random)))
                         : anywhere(control, random);
        break;
    case ControlKind::Play:
        next = 1 - value;
        break;
    case ControlKind::Box:
        if (value == 0) {
            switchOn(c, control, random);
            return;
        }
        next = 0;
        break;
    case ControlKind::Multiply:
        next = r < 0.6 ? nearby(value, 1, random) : anywhere(control, random);
        break;
    case ControlKind::Divide:
        next = r < 0.5 ? nearby(value, 2, random) : anywhere(control, random);
        break;
    }
    control.set(c, std::clamp(next, control.minimum, control.maximum));
}

// The other Multiply and Divide of the modulator of a Multiply control that give its sine the
// same frequency: the same product, or the same quotient, of the two.
void sameFrequency(const sound::Controls& from, const Control& multiply,
                   std::vector<sound::Controls>& out) {
    const Control& divide = sound::control(multiply.id + 1);
    const int f = multiply.get(from);
    const int h = divide.get(from);
    const bool product =
        synth::kModulatorKinds[static_cast<std::size_t>((multiply.oscillator - 1) *
                                                            synth::kModulatorsPerOscillator +
                                                        multiply.modulator - 1)]
            .phase == synth::Phase::Multiply;
    for (int f2 = std::max(multiply.minimum, 1); f2 <= multiply.maximum; ++f2) {
        for (int h2 = divide.minimum; h2 <= divide.maximum; ++h2) {
            const bool same = product ? f2 * h2 == f * h : f2 * h == f * h2;
            if (same && f2 != f) {
                sound::Controls c = from;
                multiply.set(c, f2);
                divide.set(c, h2);
                out.push_back(c);
            }
        }
    }
}

} // namespace

ControlValues valuesOf(const sound::Controls& controls) {
    ControlValues out{};
    for (const Control& control : sound::controls()) {
        out[static_cast<std::size_t>(control.id)] = static_cast<int16_t>(control.get(controls));
    }
    return out;
}

sound::Controls canonical(sound::Controls c) {
    const sound::Controls start = sound::startControls();
    for (const Control& control : sound::controls()) {
        const bool heard = plays(c, control.oscillator);
        const bool unused =
            (control.kind == ControlKind::Offset && !heard) ||
            (control.kind == ControlKind::Box && !heard) ||
            ((control.kind == ControlKind::Multiply || control.kind == ControlKind::Divide) &&
             (!heard || !modulatorOn(c, control)));
        if (unused) {
            control.set(c, control.get(start));
        }
    }
    return c;
}

sound::Controls randomSound(Random& random, const std::vector<int>& pitches, int attack) {
    sound::Controls c = sound::startControls();
    const Control& pitch = sound::control(0);
    if (pitches.empty()) {
        c.pitch1 = static_cast<int16_t>(uniform(random, pitch.minimum, pitch.maximum));
    } else {
        const int centre = pitches[static_cast<std::size_t>(
            uniform(random, 0, static_cast<int>(pitches.size()) - 1))];
        c.pitch1 = static_cast<int16_t>(
            std::clamp(static_cast<int>(std::lround(
                           centre * std::exp(std::normal_distribution<double>(0, 0.3)(random)))),
                       pitch.minimum, pitch.maximum));
    }
    c.attack = static_cast<int16_t>(std::clamp(
        attack + static_cast<int>(std::lround(std::normal_distribution<double>(0, 150)(random))), 0,
        static_cast<int>(synth::kAttackMax)));
    c.play = {true, chance(random) < 0.4, chance(random) < 0.4};
    for (int oscillator : {2, 3}) {
        const Control& offset = sound::control(oscillator - 1);
        offset.set(c, std::clamp(uniform(random, offset.minimum, offset.maximum),
                                 std::max(offset.minimum, 1 - c.pitch1), offset.maximum));
    }
    const int on = uniform(random, 1, 4);
    for (int i = 0; i < on; ++i) {
        const int oscillator = uniform(random, 1, 3);
        if (plays(c, oscillator)) {
            switchOn(c,
                     sound::control(sound::modulatorControl(ControlKind::Box, oscillator,
                                                            uniform(random, 1, 5))),
                     random);
        }
    }
    return c;
}

sound::Controls mutated(const sound::Controls& from, Random& random) {
    sound::Controls c = from;
    const double r = chance(random);
    const int changes = r < 0.6 ? 1 : r < 0.85 ? 2 : 3;
    for (int i = 0; i < changes; ++i) {
        moveOne(c, random);
    }
    return c;
}

sound::Controls crossed(const sound::Controls& a, const sound::Controls& b, Random& random) {
    sound::Controls c = chance(random) < 0.5 ? a : b;
    for (int oscillator = 1; oscillator <= synth::kOscillators; ++oscillator) {
        const sound::Controls& from = chance(random) < 0.5 ? a : b;
        for (const Control& control : sound::controls()) {
            const bool part = control.oscillator == oscillator &&
                              (control.kind == ControlKind::Play ||
                               control.kind == ControlKind::Offset || control.modulator > 0);
            if (part) {
                control.set(c, control.get(from));
            }
        }
    }
    return c;
}

std::vector<sound::Controls> neighbours(const sound::Controls& from) {
    std::vector<sound::Controls> out;
    const auto step = [&](const Control& control, int delta) {
        const int value = control.get(from) + delta;
        if (control.accepts(value)) {
            sound::Controls c = from;
            control.set(c, value);
            out.push_back(c);
        }
    };
    for (const Control& control : sound::controls()) {
        const bool heard = plays(from, control.oscillator);
        switch (control.kind) {
        case ControlKind::Pitch:
        case ControlKind::Offset:
            if (control.kind == ControlKind::Pitch || heard) {
                for (int d : {-2, -1, 1, 2}) {
                    step(control, d);
                }
            }
            break;
        case ControlKind::Envelope:
            for (int d : {-16, -8, -4, -2, -1, 1, 2, 4, 8, 16}) {
                step(control, d);
            }
            break;
        case ControlKind::Play:
            step(control, 1 - 2 * control.get(from));
            break;
        case ControlKind::Box:
            if (heard) {
                step(control, 1 - 2 * control.get(from));
            }
            break;
        case ControlKind::Multiply:
        case ControlKind::Divide:
            if (heard && modulatorOn(from, control)) {
                for (int d : {-2, -1, 1, 2}) {
                    step(control, d);
                }
                if (control.kind == ControlKind::Multiply) {
                    sameFrequency(from, control, out);
                }
            }
            break;
        }
    }
    return out;
}

std::vector<sound::Controls> modulatorSweep(const sound::Controls& from, int oscillator,
                                            int modulator) {
    const Control& box =
        sound::control(sound::modulatorControl(ControlKind::Box, oscillator, modulator));
    const Control& mul = sound::control(box.id + 1);
    const Control& div = sound::control(box.id + 2);
    std::vector<sound::Controls> out;
    sound::Controls off = from;
    box.set(off, 0);
    out.push_back(off);
    for (int f = mul.minimum; f <= mul.maximum; ++f) {
        for (int h = div.minimum; h <= div.maximum; ++h) {
            sound::Controls c = from;
            box.set(c, 1);
            mul.set(c, f);
            div.set(c, h);
            out.push_back(c);
        }
    }
    return out;
}

} // namespace tarmel::match
