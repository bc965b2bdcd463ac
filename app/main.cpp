// Tarmel: opens the main window on the default sound output and runs until "Exit".
#include "app/Artwork.h"
#include "app/MainWindow.h"
#include "app/StartOptions.h"
#include "audio/SdlDevice.h"
#include "midi/MidiInput.h"
#include "ui/Accessibility.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QCoreApplication::setApplicationName(QStringLiteral("tarmel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARMEL_VERSION));
    // The options are read before QApplication opens the display, so that --help, --version and
    // wrong options are answered on a terminal without one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(QString::fromLocal8Bit(argv[i]));
    }
    const auto parsed = tarmel::app::parseStartOptions(arguments);
    if (const auto* exit = std::get_if<tarmel::app::StartExit>(&parsed)) {
        std::fputs(exit->text.toLocal8Bit().constData(), exit->code == 0 ? stdout : stderr);
        return exit->code;
    }
    const auto& options = std::get<tarmel::app::StartOptions>(parsed);

    QApplication app(argc, argv);
    tarmel::app::installWindowIcon();

    // Before the first window: a screen reader may ask about a window as soon as it exists.
    tarmel::ui::installAccessibility();
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
    if (options.seed) {
        window.seedDraws(*options.seed);
    }
    window.show();
    window.showFirstStartHint();
    if (options.view || tarmel::ui::SoundView::wasOpen()) {
        window.showSoundView();
    }
    if (options.file) {
        window.openSettings(*options.file);
    }
    // Notes come on MIDI threads and are played on this one, in the order they came.
    std::unique_ptr<tarmel::midi::MidiInput> midi;
    if (!options.noMidi) {
        std::vector<std::string> only;
        for (const QString& port : options.midiPorts) {
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
