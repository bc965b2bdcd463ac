// Progress lines on standard error for long unattended runs: one per finished generation and one
// per error shown. Written only when the environment variable TARMEL_TRACE is set.
#pragma once

#include <QString>

namespace tarmel::app::trace {

// "tarmel: generation N finished", N counting from 1.
void generationFinished();

// "tarmel: error: " and the message on one line.
void errorShown(const QString& message);

} // namespace tarmel::app::trace
