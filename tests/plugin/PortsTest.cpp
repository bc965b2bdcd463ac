// The plug-in's ports as a host reads them through lilv: MIDI, audio, gain and one for each
// control of the table but pitch 1 (which the notes set); a port of each kind worked by hand.
#include "tests/plugin/Host.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarmel::plugin::test {
namespace {

// The first value of subject's predicate, or "".
std::string valueOf(const LilvNode* subject, const std::string& predicate) {
    LilvNode* p = lilv_new_uri(world(), predicate.c_str());
    LilvNode* value = lilv_world_get(world(), subject, p, nullptr);
    std::string text = value != nullptr ? lilv_node_as_string(value) : "";
    lilv_node_free(value);
    lilv_node_free(p);
    return text;
}

// What a host shows of a port: "name, minimum to maximum, default, kinds, unit, group's name".
std::string describe(const std::string& symbol) {
    LilvNode* s = lilv_new_string(world(), symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(), s);
    lilv_node_free(s);
    if (port == nullptr) {
        return "none";
    }
    const auto text = [](LilvNode* n) {
        std::string t = lilv_node_as_string(n);
        lilv_node_free(n);
        return t;
    };
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin(), port, &def, &min, &max);
    std::string d = text(lilv_port_get_name(plugin(), port)) + ", " + text(min) + " to " +
                    text(max) + ", " + text(def);
    const std::string lv2 = "http://lv2plug.in/ns/lv2core#";
    for (const std::string property : {"integer", "toggled"}) {
        LilvNode* node = lilv_new_uri(world(), (lv2 + property).c_str());
        d += lilv_port_has_property(plugin(), port, node) ? ", " + property : "";
        lilv_node_free(node);
    }
    const LilvNode* node = lilv_port_get_node(plugin(), port);
    const std::string unit = valueOf(node, "http://lv2plug.in/ns/extensions/units#unit");
    d += unit.empty() ? "" : ", " + unit.substr(unit.rfind('#') + 1);
    const std::string group = valueOf(node, "http://lv2plug.in/ns/ext/port-groups#group");
    if (!group.empty()) {
        LilvNode* g = lilv_new_uri(world(), group.c_str());
        d += ", " + valueOf(g, lv2 + "name");
        lilv_node_free(g);
    }
    return d;
}

TEST(Ports, EachKindAsAHostReadsIt) {
    EXPECT_EQ(lilv_plugin_get_num_ports(plugin()), 54u); // MIDI, audio, gain and 51 controls
    const std::vector<std::pair<std::string, std::string>> want{
        {"pitch", "none"},
        {"o2m3_mul",
         "Multiply, modulator 3 of oscillator 2, 0.0 to 10.0, 2.0, integer, Oscillator 2"},
        {"o1m2_mul",
         "Multiply, modulator 2 of oscillator 1, 2.0 to 10.0, 2.0, integer, Oscillator 1"},
        {"o3m5_div",
         "Divide, modulator 5 of oscillator 3, 2.0 to 16.0, 2.0, integer, Oscillator 3"},
        {"o3m1_on", "Modulator 1 of oscillator 3, 0.0 to 1.0, 0.0, toggled, Oscillator 3"},
        {"offset3", "Oscillator 3 pitch offset, -170.0 to 170.0, 0.0, integer, hz, Oscillator 3"},
        {"play1", "Play oscillator 1, 0.0 to 1.0, 1.0, toggled, Oscillator 1"},
        {"attack", "Envelope, decay to attack, 0.0 to 1500.0, 0.0, integer"},
        {"gain", "Gain, -60.0 to 30.0, 0.0, db"},
    };
    for (const auto& [symbol, description] : want) {
        EXPECT_EQ(describe(symbol), description) << symbol;
    }
}

} // namespace
} // namespace tarmel::plugin::test
