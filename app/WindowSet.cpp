// The secondary windows and their wiring to the main window.
#include "app/WindowSet.h"

#include "app/Frmtarmel.h"

namespace tarmel::app {

WindowSet::WindowSet(Frmtarmel& main)
    : main_(main), osc2_([] { return new ui::OscillatorWindow(2); },
                         [this](ui::OscillatorWindow& w) { wireOscillator(w); }),
      osc3_([] { return new ui::OscillatorWindow(3); },
            [this](ui::OscillatorWindow& w) { wireOscillator(w); }),
      help_([] { return new ui::HelpDialog(); }, [this](ui::HelpDialog& w) { wireHelp(w); }) {}

ui::SingleWindow<ui::OscillatorWindow>& WindowSet::oscillator(int number) {
    return number == 3 ? osc3_ : osc2_;
}

void WindowSet::wireOscillator(ui::OscillatorWindow& window) {
    Frmtarmel* main = &main_;
    QObject::connect(&window, &ui::OscillatorWindow::activated, main,
                     [main] { main->showKeyboardActive(false); });
    QObject::connect(&window, &ui::OscillatorWindow::chkFmClicked, main,
                     [main](int /*index*/) { main->setFifteenOutputs(); });
    QObject::connect(&window, &ui::OscillatorWindow::windowLostFocus, main,
                     [main] { main->setFifteenOutputs(); });
    // Closing discards the window's settings, its modulators are off again; outputs left from
    // them would otherwise keep scaling the oscillator.
    QObject::connect(&window, &ui::OscillatorWindow::closedByUser, main,
                     [main] { main->setFifteenOutputs(); });
}

void WindowSet::wireHelp(ui::HelpDialog& window) {
    Frmtarmel* main = &main_;
    QObject::connect(&window, &ui::HelpDialog::activated, main,
                     [main] { main->showKeyboardActive(false); });
}

SecondaryWindows WindowSet::operations() {
    SecondaryWindows ops;
    ops.bank = [this](int number) { return oscillator(number).get().bank(); };
    ops.showOscillator = [this](int number) { oscillator(number).show(); };
    ops.showHelp = [this] { help_.show(); };
    ops.hideAll = [this] {
        osc2_.hide();
        osc3_.hide();
        help_.hide();
    };
    return ops;
}

} // namespace tarmel::app
