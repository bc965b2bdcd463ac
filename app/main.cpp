// Tarmel: opens the main window on the default sound output and runs until "Exit".
#include "app/Artwork.h"
#include "app/MainWindow.h"
#include "audio/SdlDevice.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tarmel::app::installWindowIcon();

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
    return QApplication::exec();
}
