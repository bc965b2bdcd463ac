// The trace lines, and whether they are wanted.
#include "app/Trace.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tarmel::app::trace {

namespace {

bool enabled() {
    static const bool on = std::getenv("TARMEL_TRACE") != nullptr;
    return on;
}

} // namespace

void generationFinished() {
    static uint64_t finished = 0; // UI thread only
    if (enabled()) {
        std::fprintf(stderr, "tarmel: generation %llu finished\n",
                     static_cast<unsigned long long>(++finished));
        std::fflush(stderr);
    }
}

void errorShown(const QString& message) {
    if (enabled()) {
        QString line = message;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        std::fprintf(stderr, "tarmel: error: %s\n", line.toUtf8().constData());
        std::fflush(stderr);
    }
}

} // namespace tarmel::app::trace
