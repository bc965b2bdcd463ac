// The "Export sound" dialog: which sound to write (the sound as heard or one oscillator's own)
// and whether to normalise it, chosen in plain sight before the file is named.
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QRadioButton;

namespace tarmel::ui {

struct ExportChoice {
    int oscillator = 0;     // 0 for the sound as heard, else 1, 2 or 3 alone
    bool normalise = false; // loudest sample at -1 dBFS
};

class ExportDialog : public QDialog {
    Q_OBJECT

public:
    // Shows the choice as given; "Choose file…" accepts it.
    ExportDialog(const ExportChoice& choice, QWidget* parent);

    ExportChoice choice() const;

    // Asks modally, starting from choice; true with choice updated when the user goes on.
    static bool ask(QWidget* parent, ExportChoice& choice);

private:
    std::array<QRadioButton*, 4> sounds_{}; // heard, oscillator 1, 2, 3
    QCheckBox* normalise_ = nullptr;
};

} // namespace tarmel::ui
