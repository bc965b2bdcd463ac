// Build tool: writes the bundle's Turtle files from the control table and the shipped presets,
// so that the ports and presets have one source each. Usage:
//   tarmel-lv2-ttl BUNDLE_DIR BINARY_NAME PRESET.tarmel...
// writes BUNDLE_DIR/manifest.ttl, tarmel.ttl (the plug-in and its ports) and presets.ttl.
#include "files/AtomicFile.h"
#include "files/Settings.h"
#include "plugin/Ports.h"
#include "sound/Controls.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace tarmel;

constexpr const char* kPrefixes = R"(@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix doap: <http://usefulinc.com/ns/doap#> .
@prefix foaf: <http://xmlns.com/foaf/0.1/> .
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix midi: <http://lv2plug.in/ns/ext/midi#> .
@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix units: <http://lv2plug.in/ns/extensions/units#> .
@prefix urid: <http://lv2plug.in/ns/ext/urid#> .
@prefix work: <http://lv2plug.in/ns/ext/worker#> .

)";

struct Preset {
    std::string uri;
    files::Settings settings;
};

// A Turtle long string: quotes and backslashes escaped, line breaks kept.
std::string quoted(const std::string& text) {
    std::string out = "\"\"\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"\"\"";
}

std::string number(int value) {
    return std::to_string(value) + ".0";
}

std::string group(int oscillator) {
    return "<" + std::string(plugin::kUri) + "#oscillator" + std::to_string(oscillator) + ">";
}

std::string controlPort(const sound::Control& c) {
    std::ostringstream s;
    s << "[\n        a lv2:InputPort, lv2:ControlPort ;\n"
      << "        lv2:index " << plugin::portOfControl(c.id) << " ;\n"
      << "        lv2:symbol \"" << c.symbol << "\" ;\n"
      << "        lv2:name \"" << c.name << "\" ;\n"
      << "        rdfs:comment " << quoted(c.description) << " ;\n"
      << "        lv2:default " << number(c.start) << " ;\n"
      << "        lv2:minimum " << number(c.minimum) << " ;\n"
      << "        lv2:maximum " << number(c.maximum) << " ;\n"
      << "        lv2:portProperty " << (c.toggled() ? "lv2:toggled" : "lv2:integer");
    if (c.unit == "Hz") {
        s << " ;\n        units:unit units:hz";
    }
    if (c.kind != sound::ControlKind::Envelope) {
        s << " ;\n        pg:group " << group(c.oscillator);
    }
    s << "\n    ]";
    return s.str();
}

std::string pluginTtl() {
    std::ostringstream s;
    s << kPrefixes;
    for (int oscillator = 1; oscillator <= synth::kOscillators; ++oscillator) {
        s << group(oscillator) << "\n    a pg:InputGroup ;\n    lv2:symbol \"oscillator"
          << oscillator << "\" ;\n    lv2:name \"Oscillator " << oscillator
          << "\" ;\n    rdfs:label \"Oscillator " << oscillator << "\" .\n\n";
    }
    s << "<" << plugin::kStateKey << ">\n    a rdf:Property ;\n    rdfs:label \"carried state\" ;\n"
      << "    rdfs:comment \"The fifteen modulator outputs and the random generator, as the "
         "text of a settings file.\" ;\n    rdfs:range atom:String .\n\n";
    s << "<" << plugin::kUri << ">\n"
      << "    a lv2:InstrumentPlugin, lv2:Plugin, doap:Project ;\n"
      << "    doap:name \"Tarmel\" ;\n"
      << "    rdfs:comment \"Quorvane: one second of sound from three modulated oscillators for "
         "each note.\" ;\n"
      << "    doap:maintainer [ foaf:name \"Tarmel developers\" ; foaf:mbox "
         "<mailto:tarmel@quorvane.org> ] ;\n"
      << "    lv2:minorVersion 2 ;\n    lv2:microVersion 0 ;\n"
      << "    lv2:requiredFeature urid:map ;\n"
      << "    lv2:optionalFeature work:schedule, lv2:hardRTCapable ;\n"
      << "    lv2:extensionData work:interface, state:interface ;\n"
      << "    lv2:port [\n        a lv2:InputPort, atom:AtomPort ;\n"
      << "        atom:bufferType atom:Sequence ;\n        atom:supports midi:MidiEvent ;\n"
      << "        lv2:designation lv2:control ;\n"
      << "        lv2:index " << plugin::kMidiPort << " ;\n"
      << "        lv2:symbol \"midi_in\" ;\n        lv2:name \"MIDI in\"\n    ], [\n"
      << "        a lv2:OutputPort, lv2:AudioPort ;\n"
      << "        lv2:index " << plugin::kAudioPort << " ;\n"
      << "        lv2:symbol \"out\" ;\n        lv2:name \"Out\"\n    ], [\n"
      << "        a lv2:InputPort, lv2:ControlPort ;\n"
      << "        lv2:index " << plugin::kGainPort << " ;\n"
      << "        lv2:symbol \"gain\" ;\n        lv2:name \"Gain\" ;\n"
      << "        rdfs:comment \"0 dB plays every sample exactly as the program does.\" ;\n"
      << "        lv2:default 0.0 ;\n        lv2:minimum " << plugin::kGainMinDb << ".0 ;\n"
      << "        lv2:maximum " << plugin::kGainMaxDb << ".0 ;\n"
      << "        units:unit units:db\n    ]";
    for (const sound::Control& c : sound::controls()) {
        if (c.id >= plugin::kFirstPortControl) {
            s << ", " << controlPort(c);
        }
    }
    s << " .\n";
    return s.str();
}

std::string presetsTtl(const std::vector<Preset>& presets) {
    std::ostringstream s;
    s << kPrefixes;
    for (const Preset& p : presets) {
        const sound::Controls& controls = p.settings;
        s << "<" << p.uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << plugin::kUri
          << "> ;\n    rdfs:label \"" << p.settings.name << "\" ;\n    lv2:port ";
        for (const sound::Control& c : sound::controls()) {
            if (c.id < plugin::kFirstPortControl) {
                continue;
            }
            s << (c.id == plugin::kFirstPortControl ? "" : ", ") << "[ lv2:symbol \"" << c.symbol
              << "\" ; pset:value " << number(c.get(controls)) << " ]";
        }
        s << " ;\n    state:state [\n        <" << plugin::kStateKey << "> "
          << quoted(files::settingsText(p.settings)) << "\n    ] .\n\n";
    }
    return s.str();
}

std::string manifestTtl(const std::string& binary, const std::vector<Preset>& presets) {
    std::ostringstream s;
    s << kPrefixes << "<" << plugin::kUri << ">\n    a lv2:Plugin, lv2:InstrumentPlugin ;\n"
      << "    lv2:binary <" << binary << "> ;\n    rdfs:seeAlso <tarmel.ttl> .\n";
    for (const Preset& p : presets) {
        s << "\n<" << p.uri << ">\n    a pset:Preset ;\n    lv2:appliesTo <" << plugin::kUri
          << "> ;\n    rdfs:seeAlso <presets.ttl> .\n";
    }
    return s.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: tarmel-lv2-ttl BUNDLE_DIR BINARY_NAME PRESET.tarmel...\n";
        return 2;
    }
    try {
        const std::filesystem::path bundle = argv[1];
        std::vector<Preset> presets;
        for (int i = 3; i < argc; ++i) {
            const std::filesystem::path file = argv[i];
            presets.push_back(
                {plugin::kPresetPrefix + file.stem().string(), files::readSettings(file)});
        }
        std::sort(presets.begin(), presets.end(),
                  [](const Preset& a, const Preset& b) { return a.uri < b.uri; });
        std::filesystem::create_directories(bundle);
        files::writeBytesAtomically(bundle / "tarmel.ttl", true, pluginTtl());
        files::writeBytesAtomically(bundle / "presets.ttl", true, presetsTtl(presets));
        files::writeBytesAtomically(bundle / "manifest.ttl", true, manifestTtl(argv[2], presets));
    } catch (const std::exception& e) {
        std::cerr << "tarmel-lv2-ttl: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
