// Tarmel: opens the main window on the default sound output and runs until "Exit".
#include "app/Artwork.h"
#include "app/MainWindow.h"
#include "audio/SdlDevice.h"
#include "midi/MidiInput.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarmel"));
    QApplication::setApplicationVersion(QStringLiteral(TARMEL_VERSION));
    tarmel::app::installWindowIcon();

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Tarmel (Quorvane): a small interactive sound generator."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("FILE"),
                                  QStringLiteral("a settings file (.tarmel) to open at start"),
                                  QStringLiteral("[FILE]"));
    const QCommandLineOption midiPort(
        QStringLiteral("midi"),
        QStringLiteral("Take notes only from the MIDI outputs whose names contain PORT (may be "
                       "given more than once); without it, from every MIDI output."),
        QStringLiteral("PORT"));
    const QCommandLineOption noMidi(QStringLiteral("no-midi"),
                                    QStringLiteral("Open no MIDI input."));
    options.addOption(midiPort);
    options.addOption(noMidi);
    const QCommandLineOption view(QStringLiteral("view"),
                                  QStringLiteral("Open the Sound window (waveform and spectrum)."));
    options.addOption(view);
    options.process(app);
    if (options.isSet(midiPort) && options.isSet(noMidi)) {
        std::fputs("tarmel: --midi and --no-midi exclude each other; give one of them\n", stderr);
        return 2;
    }

    tarmel::audio::SdlDevice device;
    tarmel::app::MainWindow window([&device] { return device.openOutput(); });
    try {
        window.load();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Tarmel"),
                              QStringLiteral("Tarmel cannot start: no sound device could be "
                                             "opened.\n\n%1\n\nConnect or free a sound output, "
                                             "then start Tarmel again.")
                                  .arg(QString::fromUtf8(e.what())));
        return 1;
    }
    window.show();
    if (options.isSet(view) || tarmel::ui::SoundView::wasOpen()) {
        window.showSoundView();
    }
    if (!options.positionalArguments().isEmpty()) {
        window.openSettings(options.positionalArguments().front());
    }
    // Notes come on MIDI threads and are played on this one, in the order they came.
    std::unique_ptr<tarmel::midi::MidiInput> midi;
    if (!options.isSet(noMidi)) {
        std::vector<std::string> only;
        for (const QString& port : options.values(midiPort)) {
            only.push_back(port.toStdString());
        }
        midi = std::make_unique<tarmel::midi::MidiInput>(
            std::move(only),
            [&window](int16_t pitch) {
                QMetaObject::invokeMethod(
                    &window, [&window, pitch] { window.playNote(pitch); }, Qt::QueuedConnection);
            },
            [](const std::string& line) { std::fprintf(stderr, "tarmel: %s\n", line.c_str()); });
    }
    return QApplication::exec();
}
