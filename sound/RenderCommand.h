// The options of tarmel-render that give a sound's controls, made from the control table: the
// pitch, offsets and envelope by their symbols ("--pitch 98"), each modulator that is on as
// "--fm OSC.MOD:F:H", the oscillators played as "--play 1,3" (or "--play none").
#pragma once

#include "sound/Controls.h"

#include <string>
#include <vector>

namespace tarmel::sound {

std::vector<std::string> renderArguments(const Controls& controls);

} // namespace tarmel::sound
