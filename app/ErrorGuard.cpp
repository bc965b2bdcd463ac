// Turns the typed errors of the synthesis and the sound layer into messages for the user.
#include "app/ErrorGuard.h"

#include "audio/SoundOutput.h"
#include "files/AtomicFile.h"
#include "files/Settings.h"
#include "synth/Errors.h"

#include <new>

namespace tarmel::app {

QString describeError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const synth::SynthError& e) {
        return QStringLiteral("Tarmel could not make the sound: %1\n\n"
                              "Change the pitch or modulator settings and try again.")
            .arg(QString::fromUtf8(e.what()));
    } catch (const audio::SoundError& e) {
        return QStringLiteral("Tarmel could not use the sound output: %1\n\n"
                              "Check that a sound device is connected and free, then press "
                              "\"reset\" to open the sound output again.")
            .arg(QString::fromUtf8(e.what()));
    } catch (const files::SettingsError& e) {
        QString advice;
        switch (e.kind()) {
        case files::SettingsError::Kind::Missing:
            advice = QStringLiteral("There is no file by that name: it may have been moved, "
                                    "renamed or deleted. Nothing was changed. Choose the file "
                                    "where it is now.");
            break;
        case files::SettingsError::Kind::Unreadable:
            advice = QStringLiteral("The file is there but Tarmel may not read it. Nothing was "
                                    "changed. Check the file's permissions (or that it is a "
                                    "plain file), or choose another file.");
            break;
        case files::SettingsError::Kind::NotSettings:
            advice = QStringLiteral("Tarmel cannot use this file as settings. Nothing was "
                                    "changed. Correct the file where the message says (every "
                                    "key is described in \"man 5 tarmel-settings\"), or choose "
                                    "another settings file.");
            break;
        }
        return QStringLiteral("Tarmel cannot open these settings: %1\n\n%2")
            .arg(QString::fromUtf8(e.what()), advice);
    } catch (const files::FileExistsError& e) {
        return QStringLiteral("Tarmel did not write the file: %1").arg(QString::fromUtf8(e.what()));
    } catch (const files::FileError& e) {
        return QStringLiteral("Tarmel could not write the file: %1\n\n"
                              "Nothing was left behind. Choose another folder or free some space, "
                              "then try again.")
            .arg(QString::fromUtf8(e.what()));
    } catch (const Refusal& e) {
        return QString::fromUtf8(e.what());
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Tarmel ran out of memory.\n\n"
                              "Close other programs and try again.");
    } catch (const std::exception& e) {
        return QStringLiteral("Tarmel met an unexpected error: %1")
            .arg(QString::fromUtf8(e.what()));
    } catch (...) {
        return QStringLiteral("Tarmel met an unexpected error of unknown kind.");
    }
}

bool runGuarded(const std::function<void()>& handler,
                const std::function<void(const QString&)>& report) noexcept {
    try {
        handler();
        return true;
    } catch (...) {
        const QString message = describeError(std::current_exception());
        try {
            report(message);
        } catch (...) {
            // The report itself failed (no memory for the box); nothing more can be shown.
        }
        return false;
    }
}

} // namespace tarmel::app
