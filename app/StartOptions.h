// The command line of tarmel, read before the window system is opened: --help, --version and
// wrong options are answered without a display.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <variant>

namespace tarmel::app {

struct StartOptions {
    std::optional<QString> file; // a settings file to open at start
    QStringList midiPorts;       // take notes only from MIDI outputs whose names contain one
    bool noMidi = false;
    bool view = false;            // open the Sound window
    std::optional<uint64_t> seed; // draws of "Random" and "Mutate" repeatable from this seed
};

// Reading stopped early: print text (to standard output for code 0, else standard error) and
// exit with code: 0 for --help and --version, 2 for wrong options.
struct StartExit {
    int code;
    QString text;
};

// Reads the arguments (the program's name first). Qt's own options (-platform, -style, ...) are
// passed over here, to be taken by QApplication from the same arguments.
std::variant<StartOptions, StartExit> parseStartOptions(const QStringList& arguments);

} // namespace tarmel::app
