// Tarmel: opens the main window on the default sound output and runs until "Exit".
#include "app/Artwork.h"
#include "app/Frmtarmel.h"
#include "app/Startup.h"
#include "audio/SdlSound.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
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
