// The plug-in's ports as a host reads them through lilv: one for each control of the table but
// pitch 1, with its name, range, default, kind, unit and group; and a few worked by hand.
#include "sound/Controls.h"
#include "tests/plugin/Host.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarmel::plugin::test {
namespace {

struct Port {
    std::string symbol, name;
    float minimum, maximum, start;
    bool integer, toggled, hertz;
    std::string group;
};

bool has(const LilvPort* port, const char* property) {
    LilvNode* node = lilv_new_uri(world(), property);
    const bool yes = lilv_port_has_property(plugin(), port, node);
    lilv_node_free(node);
    return yes;
}

std::string valueOf(const LilvPort* port, const char* predicate) {
    LilvNode* node = lilv_new_uri(world(), predicate);
    LilvNodes* values = lilv_port_get_value(plugin(), port, node);
    std::string text = values != nullptr && lilv_nodes_size(values) > 0
                           ? lilv_node_as_string(lilv_nodes_get_first(values))
                           : "";
    lilv_nodes_free(values);
    lilv_node_free(node);
    return text;
}

Port read(const std::string& symbol) {
    LilvNode* s = lilv_new_string(world(), symbol.c_str());
    const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin(), s);
    lilv_node_free(s);
    if (port == nullptr) {
        return {};
    }
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin(), port, &def, &min, &max);
    LilvNode* name = lilv_port_get_name(plugin(), port);
    Port p{symbol,
           lilv_node_as_string(name),
           lilv_node_as_float(min),
           lilv_node_as_float(max),
           lilv_node_as_float(def),
           has(port, "http://lv2plug.in/ns/lv2core#integer"),
           has(port, "http://lv2plug.in/ns/lv2core#toggled"),
           valueOf(port, "http://lv2plug.in/ns/extensions/units#unit") ==
               "http://lv2plug.in/ns/extensions/units#hz",
           valueOf(port, "http://lv2plug.in/ns/ext/port-groups#group")};
    for (LilvNode* n : {def, min, max, name}) {
        lilv_node_free(n);
    }
    return p;
}

TEST(Ports, OneForEachControlButPitchOne) {
    EXPECT_EQ(read("pitch").symbol, "");
    int controlPorts = 0;
    for (const sound::Control& c : sound::controls()) {
        if (c.kind == sound::ControlKind::Pitch) {
            continue;
        }
        const Port p = read(c.symbol);
        ASSERT_EQ(p.symbol, c.symbol);
        EXPECT_EQ(p.name, c.name);
        EXPECT_EQ(p.minimum, c.minimum) << c.symbol;
        EXPECT_EQ(p.maximum, c.maximum) << c.symbol;
        EXPECT_EQ(p.start, c.start) << c.symbol;
        EXPECT_EQ(p.toggled, c.toggled()) << c.symbol;
        EXPECT_EQ(p.integer, !c.toggled()) << c.symbol;
        EXPECT_EQ(p.hertz, c.unit == "Hz") << c.symbol;
        ++controlPorts;
    }
    EXPECT_EQ(controlPorts, 51);
    EXPECT_EQ(lilv_plugin_get_num_ports(plugin()), 54u); // MIDI, audio, gain and the 51
}

TEST(Ports, WorkedExamples) {
    const std::string group = "https://quorvane.org/lv2/tarmel#oscillator";
    const std::vector<Port> want{
        {"o2m3_mul", "Multiply, modulator 3 of oscillator 2", 0, 10, 2, true, false, false,
         group + "2"},
        {"o1m2_mul", "Multiply, modulator 2 of oscillator 1", 2, 10, 2, true, false, false,
         group + "1"},
        {"o3m5_div", "Divide, modulator 5 of oscillator 3", 2, 16, 2, true, false, false,
         group + "3"},
        {"offset3", "Oscillator 3 pitch offset", -170, 170, 0, true, false, true, group + "3"},
        {"play1", "Play oscillator 1", 0, 1, 1, false, true, false, group + "1"},
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

// Each oscillator's group has the name a host's generic window shows above its controls (jalv
// reads lv2:name; without it, it shows "(null)").
TEST(Ports, EachGroupHasTheNameHostsShow) {
    // lilv reads the plug-in's description when first asked about the plug-in, as hosts do.
    lilv_node_free(lilv_plugin_get_name(plugin()));
    LilvNode* name = lilv_new_uri(world(), "http://lv2plug.in/ns/lv2core#name");
    for (int oscillator = 1; oscillator <= 3; ++oscillator) {
        const std::string uri =
            "https://quorvane.org/lv2/tarmel#oscillator" + std::to_string(oscillator);
        LilvNode* group = lilv_new_uri(world(), uri.c_str());
        LilvNode* got = lilv_world_get(world(), group, name, nullptr);
        EXPECT_EQ(got != nullptr ? std::string(lilv_node_as_string(got)) : std::string(),
                  "Oscillator " + std::to_string(oscillator));
        lilv_node_free(got);
        lilv_node_free(group);
    }
    lilv_node_free(name);
}

} // namespace
} // namespace tarmel::plugin::test
