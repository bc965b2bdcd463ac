// The window of oscillator 2 or 3 (FrmOsc2, FrmOsc3): its five modulators, framed by four lines.
#pragma once

#include <QWidget>

namespace tarmel::ui {

class OscillatorWindow : public QWidget {
    Q_OBJECT

public:
    // oscillator is 2 or 3. The window is top-level without owner, hidden, at its stored screen
    // place; it deletes itself when closed. Its bars and boxes are bound to the sound by the
    // main window.
    explicit OscillatorWindow(int oscillator);

    int oscillator() const { return oscillator_; }

signals:
    // The window became the program's active window.
    void activated();
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
};

} // namespace tarmel::ui
