// The plug-in's ports as a host reads them through lilv: MIDI, audio, gain and one for each
// control of the table but pitch 1 (which the notes set); a port of each kind worked by hand.
#include "tests/plugin/Host.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace tarmel::plugin::test {
namespace {

struct Port {
    std::string symbol, name;
    float minimum, maximum, start;
    bool integer, toggled, hertz;
    std::string group; // the name of its group, as a host's generic window shows it
};

// The first value of subject's predicate, or "".
std::string valueOf(const LilvNode* subject, const char* predicate) {
    LilvNode* p = lilv_new_uri(world(), predicate);
    LilvNode* value = lilv_world_get(world(), subject, p, nullptr);
    std::string text = value != nullptr ? lilv_node_as_string(value) : "";
    lilv_node_free(value);
    lilv_node_free(p);
    return text;
}

Port read(const std::string& symbol) {
    LilvNode* s = lilv_new_string(world(), symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(), s);
    lilv_node_free(s);
    if (port == nullptr) {
        return {};
    }
    const auto has = [&](const char* property) {
        LilvNode* node = lilv_new_uri(world(), property);
        const bool yes = lilv_port_has_property(plugin(), port, node);
        lilv_node_free(node);
        return yes;
    };
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin(), port, &def, &min, &max);
    LilvNode* name = lilv_port_get_name(plugin(), port);
    const LilvNode* node = lilv_port_get_node(plugin(), port);
    const std::string group = valueOf(node, "http://lv2plug.in/ns/ext/port-groups#group");
    LilvNode* groupNode = group.empty() ? nullptr : lilv_new_uri(world(), group.c_str());
    Port p{symbol,
           lilv_node_as_string(name),
           lilv_node_as_float(min),
           lilv_node_as_float(max),
           lilv_node_as_float(def),
           has("http://lv2plug.in/ns/lv2core#integer"),
           has("http://lv2plug.in/ns/lv2core#toggled"),
           valueOf(node, "http://lv2plug.in/ns/extensions/units#unit") ==
               "http://lv2plug.in/ns/extensions/units#hz",
           group.empty() ? "" : valueOf(groupNode, "http://lv2plug.in/ns/lv2core#name")};
    for (LilvNode* n : {def, min, max, name, groupNode}) {
        lilv_node_free(n);
    }
    return p;
}

TEST(Ports, EachKindAsAHostReadsIt) {
    EXPECT_EQ(lilv_plugin_get_num_ports(plugin()), 54u); // MIDI, audio, gain and 51 controls
    EXPECT_EQ(read("pitch").symbol, "");
    const std::vector<Port> want{
        {"o2m3_mul", "Multiply, modulator 3 of oscillator 2", 0, 10, 2, true, false, false,
         "Oscillator 2"},
        {"o1m2_mul", "Multiply, modulator 2 of oscillator 1", 2, 10, 2, true, false, false,
         "Oscillator 1"},
        {"o3m5_div", "Divide, modulator 5 of oscillator 3", 2, 16, 2, true, false, false,
         "Oscillator 3"},
        {"o3m1_on", "Modulator 1 of oscillator 3", 0, 1, 0, false, true, false, "Oscillator 3"},
        {"offset3", "Oscillator 3 pitch offset", -170, 170, 0, true, false, true, "Oscillator 3"},
        {"play1", "Play oscillator 1", 0, 1, 1, false, true, false, "Oscillator 1"},
        {"attack", "Envelope, decay to attack", 0, 1500, 0, true, false, false, ""},
        {"gain", "Gain", -60, 30, 0, false, false, false, ""},
    };
    for (const Port& w : want) {
        const Port p = read(w.symbol);
        EXPECT_EQ(std::tie(p.symbol, p.name, p.minimum, p.maximum, p.start, p.integer, p.toggled,
                           p.hertz, p.group),
                  std::tie(w.symbol, w.name, w.minimum, w.maximum, w.start, w.integer, w.toggled,
                           w.hertz, w.group))
            << w.symbol;
    }
}

} // namespace
} // namespace tarmel::plugin::test
