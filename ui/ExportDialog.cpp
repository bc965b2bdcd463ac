// The export choices: four radio buttons, one check box, "Choose file…" and "Cancel".
#include "ui/ExportDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tarmel::ui {

ExportDialog::ExportDialog(const ExportChoice& choice, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("Export sound"));
    setAccessibleName(QStringLiteral("Export sound"));
    setAccessibleDescription(QStringLiteral("Choose what to write, then name the file"));

    auto* which = new QGroupBox(QStringLiteral("Sound to write"), this);
    auto* group = new QButtonGroup(this);
    auto* column = new QVBoxLayout(which);
    // Alt with the digit or H chooses; a letter alone does nothing here.
    const std::array<QString, 4> texts{
        QStringLiteral("The sound as &heard (the ticked oscillators mixed)"),
        QStringLiteral("Oscillator &1 alone"), QStringLiteral("Oscillator &2 alone"),
        QStringLiteral("Oscillator &3 alone")};
    for (std::size_t k = 0; k < sounds_.size(); ++k) {
        sounds_[k] = new QRadioButton(texts[k], which);
        sounds_[k]->setObjectName(QStringLiteral("exportSound%1").arg(k));
        group->addButton(sounds_[k], static_cast<int>(k));
        column->addWidget(sounds_[k]);
    }
    sounds_[static_cast<std::size_t>(std::clamp(choice.oscillator, 0, 3))]->setChecked(true);

    normalise_ = new QCheckBox(QStringLiteral("&Normalise to -1 dBFS"), this);
    normalise_->setObjectName(QStringLiteral("exportNormalise"));
    normalise_->setAccessibleDescription(
        QStringLiteral("Raise the level of the file so that its loudest sample is at -1 dBFS; "
                       "what Tarmel plays is not changed"));
    normalise_->setChecked(choice.normalise);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* go =
        buttons->addButton(QStringLiteral("Choose &file…"), QDialogButtonBox::AcceptRole);
    go->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(which);
    layout->addWidget(normalise_);
    layout->addWidget(buttons);
    // Tab: the chosen sound (the arrow keys move among the four), the check box, the buttons.
    sounds_[static_cast<std::size_t>(group->checkedId())]->setFocus();
}

ExportChoice ExportDialog::choice() const {
    ExportChoice c;
    for (std::size_t k = 0; k < sounds_.size(); ++k) {
        if (sounds_[k]->isChecked()) {
            c.oscillator = static_cast<int>(k);
        }
    }
    c.normalise = normalise_->isChecked();
    return c;
}

bool ExportDialog::ask(QWidget* parent, ExportChoice& choice) {
    ExportDialog dialog(choice, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    choice = dialog.choice();
    return true;
}

} // namespace tarmel::ui
