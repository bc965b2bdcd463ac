// Tarmel: opens the main window on the default sound output and runs until "Exit".
#include "app/Artwork.h"
#include "app/MainWindow.h"
#include "audio/SdlDevice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

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
    options.process(app);

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
    if (!options.positionalArguments().isEmpty()) {
        window.openSettings(options.positionalArguments().front());
    }
    return QApplication::exec();
}
