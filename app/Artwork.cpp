// The program's embedded artwork, drawn at build time by resources/draw-artwork.
#include "app/Artwork.h"

#include <QApplication>

// The artwork lives in a static library; registering it here keeps the linker from dropping it.
static void registerArtwork() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(artwork);
        return true;
    }();
    (void)registered;
}

namespace tarmel::app {

QPixmap titlePicture() {
    registerArtwork();
    return QPixmap(QStringLiteral(":/artwork/title.png"));
}

QIcon windowIcon() {
    registerArtwork();
    return QIcon(QStringLiteral(":/artwork/icon-32.png"));
}

void installWindowIcon() {
    QApplication::setWindowIcon(windowIcon());
}

} // namespace tarmel::app
