// The document of the sound for the windows: one object whose one signal says what changed,
// whatever door the change came through. Widgets bind to it (ControlBinding), the undo history
// records from it and repeat wakes on it.
#pragma once

#include "files/Settings.h"
#include "sound/Document.h"

#include <QObject>

namespace tarmel::app {

class SoundModel : public QObject {
    Q_OBJECT

public:
    explicit SoundModel(QObject* parent = nullptr) : QObject(parent) {
        document_.listen([this](const sound::Change& change) { emit changed(change); });
    }

    sound::Document& document() { return document_; }
    const sound::Document& document() const { return document_; }

signals:
    // Emitted once for every change of the controls or of the carried outputs, after it is made.
    void changed(const sound::Change& change);

private:
    sound::Document document_;
};

// The settings a file keeps of the document: its controls and carried state.
inline files::Settings settingsOf(const sound::Document& document) {
    files::Settings s;
    static_cast<sound::Controls&>(s) = document.controls();
    s.state = document.state();
    return s;
}

} // namespace tarmel::app
