// Binds the bars, sliders and boxes of one window to the document of the sound through the
// control table: each control takes its range and value from the document, and a change made on
// it by any means (a click, a key, a drag, the wheel, a screen reader's action) becomes a change
// of the document. Changes of one control within one gesture (a drag, a held key) carry one
// gesture number, so that the undo history makes one step of them.
#pragma once

#include "app/SoundModel.h"

#include <QObject>
#include <cstdint>
#include <vector>

class QAbstractButton;
class QAbstractSlider;
class QWidget;

namespace tarmel::app {

class ControlBinding : public QObject {
    Q_OBJECT

public:
    // window is 1 for the main window, 2 and 3 for the oscillator windows. The binding is a
    // child of widget.
    ControlBinding(QWidget& widget, int window, SoundModel& model);

    // A gesture number no control has used yet: for a run of changes made by one user action
    // outside the window's controls (a run of notes).
    static uint64_t newGesture();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Bound {
        int id;
        QAbstractSlider* bar = nullptr;
        QAbstractButton* box = nullptr;
    };

    // Shows the document's values on the controls.
    void show();
    void userChanged(const Bound& bound);

    SoundModel& model_;
    std::vector<Bound> bound_;
    bool showing_ = false;
    uint64_t gesture_ = 0; // the gesture under way on this window's controls; 0 when none
};

} // namespace tarmel::app
