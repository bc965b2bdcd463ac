// Start-up of the main window and the message shown when it fails.
#include "app/Startup.h"

#include "app/Frmtarmel.h"

#include <exception>

namespace tarmel::app {

bool startUp(Frmtarmel& window, const std::function<void(const QString&)>& explain) {
    try {
        window.Form_Load();
        return true;
    } catch (const std::exception& e) {
        explain(QStringLiteral("Tarmel cannot start: no sound device could be opened.\n\n%1\n\n"
                               "Connect or free a sound output, then start Tarmel again.")
                    .arg(QString::fromUtf8(e.what())));
    } catch (...) {
        explain(QStringLiteral("Tarmel cannot start: no sound device could be opened."));
    }
    return false;
}

} // namespace tarmel::app
