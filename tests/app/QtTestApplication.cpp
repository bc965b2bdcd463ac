// The app tests' application carries the program's window icon, as the program's does.
#include "app/Artwork.h"

#include <QtTestApplication.h>

void prepareTestApplication(QApplication& /*app*/) {
    tarmel::app::installWindowIcon();
}
