// Tarmel: opens the main window on the default sound output and runs until "Exit".
#include "Artwork.h"
#include "Frmtarmel.h"
#include "Startup.h"

#include <QApplication>
#include <QMessageBox>
#include <SdlSound.h>

int main(int argc, char** argv) {
    // SDL would otherwise catch SIGTERM and SIGINT for an event queue this program never reads,
    // and a session ending or `kill` could not end it.
    qputenv("SDL_NO_SIGNAL_HANDLERS", "1");
    QApplication app(argc, argv);
    tarmel::app::installWindowIcon();

    tarmel::app::Frmtarmel window(&tarmel::audio::makeSdlSoundSystem);
    if (!tarmel::app::startUp(window, [](const QString& message) {
            QMessageBox::critical(nullptr, QStringLiteral("Tarmel"), message);
        })) {
        return 1;
    }
    window.show();
    return QApplication::exec();
}
