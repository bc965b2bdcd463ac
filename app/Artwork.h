// The program's embedded artwork: the title picture of the main window and the window icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace tarmel::app {

// The 178 x 35 title picture.
QPixmap titlePicture();

// The 32 x 32 window icon.
QIcon windowIcon();

// Gives every window of the program the icon.
void installWindowIcon();

} // namespace tarmel::app
