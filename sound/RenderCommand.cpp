// The render command's options from the control table.
#include "sound/RenderCommand.h"

namespace tarmel::sound {

std::vector<std::string> renderArguments(const Controls& c) {
    std::vector<std::string> words;
    std::string play;
    for (const Control& control : controls()) {
        const int value = control.get(c);
        switch (control.kind) {
        case ControlKind::Pitch:
        case ControlKind::Offset:
        case ControlKind::Envelope:
            words.push_back("--" + control.symbol);
            words.push_back(std::to_string(value));
            break;
        case ControlKind::Play:
            if (value != 0) {
                play += (play.empty() ? "" : ",") + std::to_string(control.oscillator);
            }
            break;
        case ControlKind::Box:
            // A modulator that is on: its two bars follow the box in the table.
            if (value != 0) {
                words.push_back("--fm");
                words.push_back(std::to_string(control.oscillator) + "." +
                                std::to_string(control.modulator) + ":" +
                                std::to_string(sound::control(control.id + 1).get(c)) + ":" +
                                std::to_string(sound::control(control.id + 2).get(c)));
            }
            break;
        case ControlKind::Multiply:
        case ControlKind::Divide:
            break;
        }
    }
    words.push_back("--play");
    words.push_back(play.empty() ? "none" : play);
    return words;
}

} // namespace tarmel::sound
