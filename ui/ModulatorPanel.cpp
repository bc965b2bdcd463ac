// The modulator controls of a window.
#include "ui/ModulatorPanel.h"

#include "ui/Controls.h"

#include <QCheckBox>
#include <QScrollBar>

namespace tarmel::ui {

ModulatorPanel::ModulatorPanel(QWidget& window) : QObject(&window) {
    for (int i = 0; i < synth::kModulatorsPerOscillator; ++i) {
        const auto k = static_cast<std::size_t>(i);
        boxes_[k] = child<QCheckBox>(window, QStringLiteral("ChkFm(%1)").arg(i));
        multipliers_[k] = child<QScrollBar>(window, QStringLiteral("sliderFm(%1)").arg(i));
        ratios_[k] = child<QScrollBar>(window, QStringLiteral("sliderharmon(%1)").arg(i));
        // Modulator 2's multiplier never goes below 2.
        multipliers_[k]->setRange(i == 1 ? synth::kMultiplierMinSecond : synth::kMultiplierMin,
                                  synth::kMultiplierMax);
        multipliers_[k]->setSingleStep(1);
        multipliers_[k]->setPageStep(2);
        multipliers_[k]->setValue(synth::kStartMultiplier);
        ratios_[k]->setRange(synth::kRatioMin, synth::kRatioMax);
        ratios_[k]->setSingleStep(2);
        ratios_[k]->setPageStep(2);
        ratios_[k]->setValue(synth::kStartRatio);
        connect(boxes_[k], &QCheckBox::clicked, this, &ModulatorPanel::boxClicked);
    }
}

synth::ModulatorBank ModulatorPanel::bank() const {
    synth::ModulatorBank bank{};
    for (std::size_t k = 0; k < bank.size(); ++k) {
        bank[k].on = boxes_[k]->isChecked();
        bank[k].F = static_cast<int16_t>(multipliers_[k]->value());
        bank[k].H = static_cast<int16_t>(ratios_[k]->value());
    }
    return bank;
}

void ModulatorPanel::setBank(const synth::ModulatorBank& bank) {
    for (std::size_t k = 0; k < bank.size(); ++k) {
        boxes_[k]->setChecked(bank[k].on);
        multipliers_[k]->setValue(bank[k].F);
        ratios_[k]->setValue(bank[k].H);
    }
}

} // namespace tarmel::ui
