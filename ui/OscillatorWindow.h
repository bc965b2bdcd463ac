// The window of oscillator 2 or 3 (FrmOsc2, FrmOsc3): its five modulators, framed by four lines.
#pragma once

#include "synth/Parameters.h"

#include <QWidget>

namespace tarmel::ui {

class ModulatorPanel;

class OscillatorWindow : public QWidget {
    Q_OBJECT

public:
    // oscillator is 2 or 3. The window is top-level without owner, hidden, at its stored screen
    // place, with every control at its start value; it deletes itself when closed.
    explicit OscillatorWindow(int oscillator);

    // The five modulators as the window's controls stand now.
    synth::ModulatorBank bank() const;
    void setBank(const synth::ModulatorBank& bank);

signals:
    // The window became the program's active window.
    void activated();
    // A user click on one of its modulator boxes, ticking or clearing it.
    void boxClicked();
    // Oscillator 2's window only: the window itself, not one of its controls, lost the focus.
    void lostFocus();
    // The window was closed from its title bar; it is then deleted with its settings.
    void closedByUser();

protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    int oscillator_;
    ModulatorPanel* panel_ = nullptr;
};

} // namespace tarmel::ui
