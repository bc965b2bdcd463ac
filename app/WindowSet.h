// The secondary windows FrmOsc2, FrmOsc3 and Dialog, each made on first use and wired to the
// main window: their activation hides "Keyboard Active", their modulator boxes, the oscillator 2
// window's focus loss and the closing of an oscillator window set the fifteen outputs.
#pragma once

#include "ui/HelpDialog.h"
#include "ui/OscillatorWindow.h"
#include "ui/SingleWindow.h"

namespace tarmel::app {

class Frmtarmel;
struct SecondaryWindows;

class WindowSet {
public:
    explicit WindowSet(Frmtarmel& main);

    // FrmOsc2 for 2, FrmOsc3 for 3.
    ui::SingleWindow<ui::OscillatorWindow>& oscillator(int number);
    ui::SingleWindow<ui::HelpDialog>& help() { return help_; }

    // The operations the main window uses, bound to these windows.
    SecondaryWindows operations();

private:
    void wireOscillator(ui::OscillatorWindow& window);
    void wireHelp(ui::HelpDialog& window);

    Frmtarmel& main_;
    ui::SingleWindow<ui::OscillatorWindow> osc2_;
    ui::SingleWindow<ui::OscillatorWindow> osc3_;
    ui::SingleWindow<ui::HelpDialog> help_;
};

} // namespace tarmel::app
