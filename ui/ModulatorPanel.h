// The controls of one oscillator's five modulators: boxes, multiplier bars, ratio bars, labels.
#pragma once

#include "synth/Parameters.h"
#include "ui/Style.h"

#include <QObject>
#include <array>

class QCheckBox;
class QLabel;
class QScrollBar;
class QWidget;

namespace tarmel::ui {

// Where a panel's controls go on its window, in twips. Modulator i's controls follow from the
// first row or column: multiplier bars and row numbers step down 360 twips per row, ratio bars
// and check boxes step right 600 twips per column.
struct ModulatorPanelLayout {
    QString title;       // Label5
    TwipRect titleAt;    // Label5
    TwipRect divideAt;   // Label2(8)
    TwipRect multiplyAt; // Label2(7)
    TwipRect fmAt;       // Label2(6)
    int firstRowTop = 0; // sliderFm(0) and Label1(0)
    int ratioTop = 0;    // sliderharmon(i)
    int boxTop = 0;      // ChkFm(i)

    // The panel of oscillator 1 on the main window.
    static ModulatorPanelLayout mainWindow();
    // The panel of the oscillator 2 or 3 window.
    static ModulatorPanelLayout oscillatorWindow(int oscillator);
};

class ModulatorPanel : public QObject {
    Q_OBJECT

public:
    static constexpr int kCount = synth::kModulatorsPerOscillator;

    // Creates the controls as children of window, at their start values; the panel itself is a
    // child of window too. Tab order is left to the window, since it interleaves with others.
    ModulatorPanel(QWidget* window, const ModulatorPanelLayout& layout);

    QCheckBox* chkFm(int index) const { return at(chkFm_, index); }
    QScrollBar* sliderFm(int index) const { return at(sliderFm_, index); }
    QScrollBar* sliderharmon(int index) const { return at(sliderharmon_, index); }
    QLabel* label1(int index) const { return at(label1_, index); } // row numbers "1".."5"
    QLabel* label5() const { return label5_; }                     // panel title
    QLabel* divideLabel() const { return divide_; }                // Label2(8)
    QLabel* multiplyLabel() const { return multiply_; }            // Label2(7)
    QLabel* fmLabel() const { return fm_; }                        // Label2(6)

    // The five modulators as the boxes and bars stand now: on, F from sliderFm, H from
    // sliderharmon.
    synth::ModulatorBank bank() const;

signals:
    // A user click on ChkFm(index), whether it ticked or cleared the box; not raised when the
    // box changes from code.
    void chkFmClicked(int index);

private:
    template <class T> static T* at(const std::array<T*, kCount>& controls, int index) {
        return controls.at(static_cast<std::size_t>(index));
    }

    std::array<QCheckBox*, kCount> chkFm_{};
    std::array<QScrollBar*, kCount> sliderFm_{};
    std::array<QScrollBar*, kCount> sliderharmon_{};
    std::array<QLabel*, kCount> label1_{};
    QLabel* label5_ = nullptr;
    QLabel* divide_ = nullptr;
    QLabel* multiply_ = nullptr;
    QLabel* fm_ = nullptr;
};

} // namespace tarmel::ui
