// tarmel-render's options: declared with CLI11, then the rules CLI11 cannot express.
#include "cli/RenderOptions.h"

#include "files/SoundFile.h"
#include "sound/Document.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <set>

namespace tarmel::cli {

namespace {

// A bad value: CLI11 turns this into exit status 2 with the one-line message.
[[noreturn]] void reject(const std::string& message) {
    throw CLI::ValidationError(message);
}

int wholeNumber(const std::string& option, const std::string& text, int lo, int hi,
                const std::string& what) {
    int value = 0;
    std::size_t used = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || value < lo || value > hi) {
        reject(option + ": " + what + " '" + text + "' is not allowed; use a whole number from " +
               std::to_string(lo) + " to " + std::to_string(hi));
    }
    return value;
}

// OSC.MOD[:F[:H]] switches one modulator on; repeating the same modulator needs the same values.
void addModulator(RenderRequest& req, std::set<int>& seen, const std::string& text) {
    // Split "OSC.MOD[:F[:H]]" into its parts; F and H may be left out.
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t colon = text.find(':'); colon != std::string::npos;
         colon = text.find(':', start)) {
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(text.substr(start));
    const std::size_t dot = parts[0].find('.');
    if (parts.size() > 3 || dot == std::string::npos) {
        reject("--fm: '" + text + "' is malformed; use OSC.MOD[:F[:H]], e.g. 2.3:4:8");
    }
    const int osc =
        wholeNumber("--fm", parts[0].substr(0, dot), 1, synth::kOscillators, "oscillator");
    const int mod = wholeNumber("--fm", parts[0].substr(dot + 1), 1,
                                synth::kModulatorsPerOscillator, "modulator");
    const int fMin = mod == 2 ? synth::kMultiplierMinSecond : synth::kMultiplierMin;
    synth::ModulatorSetting setting{true, synth::kStartMultiplier, synth::kStartRatio};
    if (parts.size() > 1) {
        setting.F = static_cast<int16_t>(wholeNumber(
            "--fm", parts[1], fMin, synth::kMultiplierMax,
            "multiplier of modulator " + std::to_string(osc) + "." + std::to_string(mod)));
    }
    if (parts.size() > 2) {
        setting.H = static_cast<int16_t>(
            wholeNumber("--fm", parts[2], synth::kRatioMin, synth::kRatioMax,
                        "ratio of modulator " + std::to_string(osc) + "." + std::to_string(mod)));
    }
    const int index = (osc - 1) * synth::kModulatorsPerOscillator + (mod - 1);
    auto& slot = req.settings.modulators[static_cast<std::size_t>(index)];
    if (seen.contains(index) && slot != setting) {
        reject("--fm: modulator " + std::to_string(osc) + "." + std::to_string(mod) +
               " is given twice with different values; give it once");
    }
    seen.insert(index);
    slot = setting;
}

std::array<bool, synth::kOscillators> oscillatorList(const std::string& text) {
    std::array<bool, synth::kOscillators> play{};
    // No oscillator heard: the file holds a second of silence, as the window plays then.
    if (text == "none") {
        return play;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma - start);
        play[static_cast<std::size_t>(
            wholeNumber("--play", item, 1, synth::kOscillators, "oscillator") - 1)] = true;
        if (comma == std::string::npos) {
            return play;
        }
        start = comma + 1;
    }
}

} // namespace

std::variant<RenderRequest, EarlyExit> parseRenderOptions(int argc, const char* const* argv) {
    RenderRequest req;
    std::string output;
    std::string pitch = "98";
    std::string offset2 = "0";
    std::string offset3 = "0";
    std::string attack = "0";
    std::vector<std::string> fm;
    std::string play = "1";
    std::string osc;
    std::string generations = "1";
    std::string settingsFile;
    std::string format;

    CLI::App app{"Renders one second of Tarmel's sound, as one generate request computes it, to a "
                 "sound file or standard output.",
                 "tarmel-render"};
    app.get_formatter()->column_width(26);
    app.add_option("-o,--output", output,
                   "file to write, - for standard output; its extension picks the format: .wav, "
                   ".flac, .aiff or .aif (16-bit mono, 44100 Hz), .ogg or .oga (Ogg Vorbis), "
                   ".opus (48000 Hz), .mp3")
        ->type_name("FILE");
    std::string picture;
    app.add_option("--picture", picture,
                   "also draw the Sound window's picture of the sound (waveform and spectrum, "
                   "800 x 500 pixels) to FILE: .png, or .svg for a drawing")
        ->type_name("FILE");
    app.add_option("--format", format,
                   "write this format whatever the extension: wav, flac, aiff, ogg, opus or mp3 "
                   "(default for -o -: wav)")
        ->type_name("NAME");
    app.add_option("--pitch", pitch, "pitch of oscillator 1, 1..1000 (default 98)")
        ->type_name("HZ");
    app.add_option("--offset2", offset2,
                   "offset of oscillator 2 from oscillator 1, -170..170 (default 0)")
        ->type_name("HZ");
    app.add_option("--offset3", offset3, "offset of oscillator 3, -170..170 (default 0)")
        ->type_name("HZ");
    app.add_option("--attack", attack, "envelope balance 0..1500 (default 0: pure decay)")
        ->type_name("A");
    app.add_option("--fm", fm,
                   "switch modulator MOD (1..5) of oscillator OSC (1..3) on, with multiplier F "
                   "(0..10; 2..10 for modulator 2) and ratio H (2..16), both 2 when left out; "
                   "repeatable")
        ->type_name("OSC.MOD[:F[:H]]")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    auto* playOpt =
        app.add_option("--play", play,
                       "oscillators heard, mixed into the file, e.g. 1,3, or none (default 1)")
            ->type_name("LIST");
    auto* oscOpt =
        app.add_option("--osc", osc, "write oscillator N's own samples instead of the mix")
            ->type_name("N");
    playOpt->excludes(oscOpt);
    app.add_option("--generations", generations,
                   "compute N generations in a row, write the last (outputs and random state "
                   "carry over); default 1")
        ->type_name("N");
    app.add_option("--settings", settingsFile,
                   "start from a settings file saved by tarmel (.tarmel), carried state "
                   "included; the options above then change single values of it")
        ->type_name("FILE");
    app.add_flag("--normalise", req.normalise,
                 "raise or lower the sound file by one gain until its loudest sample is at "
                 "-1 dBFS (29204 of 32767), as the window's export can");
    app.add_flag("--force", req.force, "replace the files written if they exist");
    app.set_version_flag("--version", "tarmel-render " TARMEL_VERSION,
                         "print the version and exit");
    app.footer("Many settings files at once, side by side on every core:\n"
               "  tarmel-render --settings A.tarmel B.tarmel ... --output-dir DIR [--format NAME] "
               "[--jobs N] [--normalise] [--force]\n"
               "Exit status: 0 written, 1 synthesis or write failure, 2 bad input or FILE exists.");

    try {
        app.parse(argc, argv);
        req.output = output;
        req.picture = picture;
        if (output.empty() && picture.empty()) {
            reject("--output is required: give the sound file to write (or --picture)");
        }
        std::string kind = req.picture.extension().string();
        std::transform(kind.begin(), kind.end(), kind.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (!picture.empty() && kind != ".png" && kind != ".svg") {
            reject("--picture: unknown extension '" + req.picture.extension().string() +
                   "'; use .png or .svg");
        }
        if (output.empty()) {
            // Only the picture is drawn: no sound format to choose.
        } else if (!format.empty()) {
            const auto named = files::soundFormatNamed(format);
            if (!named) {
                reject("--format: unknown format '" + format +
                       "'; use wav, flac, aiff, ogg, opus or mp3");
            }
            req.format = *named;
        } else if (!toStandardOutput(req)) {
            const auto byExtension = files::soundFormatFor(req.output);
            if (!byExtension) {
                reject("--output: unknown extension '" + req.output.extension().string() +
                       "'; use " + files::writableExtensions() + ", or name one with --format");
            }
            req.format = *byExtension;
        }
        if (!output.empty() && !files::soundFormatAvailable(req.format)) {
            reject("--output: this system's libsndfile cannot write " +
                   (format.empty() ? req.output.extension().string() : format) + " files; use " +
                   files::writableExtensions());
        }
        files::Settings& s = req.settings;
        files::Settings fileSound;
        if (!settingsFile.empty()) {
            try {
                s = files::readSettings(settingsFile);
                fileSound = s;
            } catch (const files::SettingsError& e) {
                // The message names the file and the line to mend; the options are not at fault.
                return EarlyExit{2, std::string("tarmel-render: ") + e.what() + "\n"};
            }
        }
        // Without a settings file every option counts, given or not; with one, only those given.
        const auto counts = [&](const char* name) {
            return settingsFile.empty() || app.count(name) > 0;
        };
        if (counts("--pitch")) {
            s.pitch1 = static_cast<int16_t>(
                wholeNumber("--pitch", pitch, synth::kPitchMin, synth::kPitchMax, "pitch"));
        }
        if (counts("--offset2")) {
            s.offsets[0] = static_cast<int16_t>(
                wholeNumber("--offset2", offset2, synth::kOffsetMin, synth::kOffsetMax, "offset"));
        }
        if (counts("--offset3")) {
            s.offsets[1] = static_cast<int16_t>(
                wholeNumber("--offset3", offset3, synth::kOffsetMin, synth::kOffsetMax, "offset"));
        }
        if (counts("--attack")) {
            s.attack = static_cast<int16_t>(
                wholeNumber("--attack", attack, 0, synth::kAttackMax, "envelope balance"));
        }
        std::set<int> seen;
        for (const auto& value : fm) {
            addModulator(req, seen, value);
        }
        if (counts("--play")) {
            s.play = oscillatorList(play);
        }
        if (!settingsFile.empty()) {
            // The options change the file's sound as its controls would in the window: a box
            // that changes sets the outputs back to 1, and the carried state goes on from the
            // file's.
            sound::Document document;
            document.open(fileSound, fileSound.state);
            document.setControls(s);
            s.state = document.state();
        }
        if (!osc.empty()) {
            req.osc = wholeNumber("--osc", osc, 1, synth::kOscillators, "oscillator");
        }
        req.generations = wholeNumber("--generations", generations, 1, 100000, "count");
    } catch (const CLI::CallForHelp&) {
        return EarlyExit{0, app.help()};
    } catch (const CLI::CallForVersion& e) {
        return EarlyExit{0, std::string(e.what()) + "\n"};
    } catch (const CLI::ParseError& e) {
        return EarlyExit{2, std::string("tarmel-render: ") + e.what() +
                                " (see tarmel-render --help)\n"};
    }
    return req;
}

} // namespace tarmel::cli
