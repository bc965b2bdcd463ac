// One oscillator's five modulators on its window: the boxes ChkFm(i), the multiplier bars
// sliderFm(i) and the ratio bars sliderharmon(i), found by name among the window's controls.
#pragma once

#include "synth/Parameters.h"

#include <QObject>
#include <array>

class QCheckBox;
class QScrollBar;
class QWidget;

namespace tarmel::ui {

class ModulatorPanel : public QObject {
    Q_OBJECT

public:
    // Takes the controls the window built from its layout and gives the bars their ranges and
    // start values. The panel is a child of window.
    explicit ModulatorPanel(QWidget& window);

    // The five modulators as the boxes and bars stand now: on, F from sliderFm, H from
    // sliderharmon.
    synth::ModulatorBank bank() const;
    // Sets the boxes and bars as the bank says; raises no boxClicked.
    void setBank(const synth::ModulatorBank& bank);

signals:
    // A user click on one of the boxes, whether it ticked or cleared it; not raised when a box
    // changes from code.
    void boxClicked();

private:
    std::array<QCheckBox*, synth::kModulatorsPerOscillator> boxes_{};
    std::array<QScrollBar*, synth::kModulatorsPerOscillator> multipliers_{};
    std::array<QScrollBar*, synth::kModulatorsPerOscillator> ratios_{};
};

} // namespace tarmel::ui
