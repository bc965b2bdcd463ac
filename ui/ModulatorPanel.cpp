// The controls of one oscillator's five modulators: boxes, multiplier bars, ratio bars, labels.
#include "ui/ModulatorPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>

namespace tarmel::ui {

namespace {

constexpr int kRowStep = 360;
constexpr int kColumnStep = 600;
constexpr int kBarLeft = 360;
constexpr int kBarWidth = 1695;
constexpr int kRowNumberLeft = 2160;
constexpr int kColumnLeft = 2640;
constexpr int kRatioWidth = 255;
constexpr int kRatioHeight = 1455;
constexpr int kBoxWidth = 375;
constexpr int kRowHeight = 255;

// In FrmOsc3 the bars, row numbers, "Divide" and "Multiply" sit this much lower than in FrmOsc2.
constexpr int kOscillator3Shift = 120;

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

} // namespace

ModulatorPanelLayout ModulatorPanelLayout::mainWindow() {
    ModulatorPanelLayout layout;
    layout.title = QStringLiteral("Fm harmonics Osc1");
    layout.titleAt = {360, 1200, 1575, 255};
    layout.divideAt = {3480, 1320, 975, 255};
    layout.multiplyAt = {840, 3480, 735, 255};
    layout.fmAt = {2280, 3480, 255, 255};
    layout.firstRowTop = 1680;
    layout.ratioTop = 1680;
    layout.boxTop = 3480;
    return layout;
}

ModulatorPanelLayout ModulatorPanelLayout::oscillatorWindow(int oscillator) {
    const int shift = oscillator == 3 ? kOscillator3Shift : 0;
    ModulatorPanelLayout layout;
    layout.title = QStringLiteral("Fm harmonics Osc%1").arg(oscillator);
    layout.titleAt = {360, 240, 1575, 255};
    layout.divideAt = {3480, 240 + shift, 975, 255};
    layout.multiplyAt = {840, 2400 + shift, 735, 255};
    layout.fmAt = {2280, 2400, 255, 255};
    layout.firstRowTop = 600 + shift;
    layout.ratioTop = 600 + shift;
    layout.boxTop = 2400;
    return layout;
}

ModulatorPanel::ModulatorPanel(QWidget* window, const ModulatorPanelLayout& layout)
    : QObject(window) {
    label5_ = makeLabel(window, QStringLiteral("Label5"), layout.title, layout.titleAt);
    shrinkToFit(*label5_);
    divide_ = makeLabel(window, QStringLiteral("Label2(8)"), QStringLiteral("Divide"),
                        layout.divideAt, LabelStyle{}.aligned(Align::Centre));
    multiply_ = makeLabel(window, QStringLiteral("Label2(7)"), QStringLiteral("Multiply"),
                          layout.multiplyAt, LabelStyle{}.aligned(Align::Centre));
    fm_ = makeLabel(window, QStringLiteral("Label2(6)"), QStringLiteral("Fm"), layout.fmAt);

    for (int i = 0; i < kCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const QString number = QString::number(i + 1);
        const int rowTop = layout.firstRowTop + kRowStep * i;
        const int columnLeft = kColumnLeft + kColumnStep * i;

        const int lowest = i == 1 ? synth::kMultiplierMinSecond : synth::kMultiplierMin;
        sliderFm_[k] = makeScrollBar(window, indexed("sliderFm", i), Qt::Horizontal,
                                     {kBarLeft, rowTop, kBarWidth, kRowHeight},
                                     {.minimum = lowest,
                                      .maximum = synth::kMultiplierMax,
                                      .singleStep = 1,
                                      .pageStep = 2,
                                      .value = synth::kStartMultiplier});
        label1_[k] = makeLabel(window, indexed("Label1", i), number,
                               {kRowNumberLeft, rowTop, kRowHeight, kRowHeight});
        sliderharmon_[k] = makeScrollBar(window, indexed("sliderharmon", i), Qt::Vertical,
                                         {columnLeft, layout.ratioTop, kRatioWidth, kRatioHeight},
                                         {.minimum = synth::kRatioMin,
                                          .maximum = synth::kRatioMax,
                                          .singleStep = 2,
                                          .pageStep = 2,
                                          .value = synth::kStartRatio});
        chkFm_[k] = makeCheckBox(window, indexed("ChkFm", i), number,
                                 {columnLeft, layout.boxTop, kBoxWidth, kRowHeight});
        connect(chkFm_[k], &QCheckBox::clicked, this, [this, i] { emit chkFmClicked(i); });
    }
}

synth::ModulatorBank ModulatorPanel::bank() const {
    synth::ModulatorBank bank{};
    for (std::size_t k = 0; k < bank.size(); ++k) {
        bank[k].on = chkFm_[k]->isChecked();
        bank[k].F = static_cast<int16_t>(sliderFm_[k]->value());
        bank[k].H = static_cast<int16_t>(sliderharmon_[k]->value());
    }
    return bank;
}

} // namespace tarmel::ui
