// The main window's files: settings saved and opened (from the context menu, the command line or
// a drop), the last sound exported, and the render command that reproduces the settings.
#include "app/ErrorGuard.h"
#include "app/Explorer.h"
#include "app/MainWindow.h"
#include "files/Normalise.h"
#include "files/SoundFile.h"
#include "ui/ExportDialog.h"
#include "ui/ModulatorPanel.h"
#include "ui/Toast.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QSlider>
#include <QStringList>

namespace tarmel::app {

namespace {

const QString kSettingsFilter = QStringLiteral("Tarmel settings (*.tarmel)");

std::filesystem::path pathOf(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

// The file name with the extension added when the user typed none.
QString withExtension(QString file, const QString& extension) {
    if (QFileInfo(file).suffix().isEmpty()) {
        file += extension;
    }
    return file;
}

bool isSettingsFile(const QMimeData* mime) {
    return mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().front().isLocalFile() &&
           mime->urls().front().toLocalFile().endsWith(QLatin1String(".tarmel"),
                                                       Qt::CaseInsensitive);
}

} // namespace

void MainWindow::addFileActions() {
    const auto add = [this](const QString& text, void (MainWindow::*handler)()) {
        auto* action = new QAction(text, this);
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        fileActions_.append(action);
    };
    add(QStringLiteral("Save settings…"), &MainWindow::saveSettings);
    add(QStringLiteral("Open settings…"), &MainWindow::chooseAndOpenSettings);
    add(QStringLiteral("Export sound…"), &MainWindow::exportSound);
    add(QStringLiteral("Copy render command"), &MainWindow::copyRenderCommand);
    explorer_ = std::make_unique<Explorer>(Explorer::Window{
        this, [this] { return currentSettings(); },
        [this](const files::Settings& s) { applySettings(s); }, [this] { generateSound(); },
        [this](const std::function<void()>& handler) { guarded(handler); }});
    explorer_->watch(*this);
    fileActions_.append(explorer_->actions());
    add(QStringLiteral("Show sound view"), &MainWindow::showSoundView);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addActions(fileActions_);
}

files::Settings MainWindow::currentSettings() {
    files::Settings s;
    s.pitch1 = pitch1_;
    s.offsets = {static_cast<int16_t>(offsetSliders_[0]->value()),
                 static_cast<int16_t>(offsetSliders_[1]->value())};
    s.attack = static_cast<int16_t>(envelopeBar_->value());
    synth::Parameters p;
    p.setBank(1, modulators_->bank());
    // A window not made yet (or closed) holds its start values.
    for (int oscillator : {2, 3}) {
        const ui::OscillatorWindow* window = oscillatorWindow(oscillator).existing();
        p.setBank(oscillator, window != nullptr ? window->bank() : synth::ModulatorBank{});
    }
    s.modulators = p.modulators;
    for (std::size_t k = 0; k < s.play.size(); ++k) {
        s.play[k] = playBoxes_[k]->isChecked();
    }
    s.state = generator_.state();
    return s;
}

void MainWindow::applySettings(const files::Settings& s) {
    pitch1_ = s.pitch1;
    pitchSlider_->setValue(s.pitch1);
    offsetSliders_[0]->setValue(s.offsets[0]);
    offsetSliders_[1]->setValue(s.offsets[1]);
    onPitchChanged();
    envelopeBar_->setValue(s.attack);
    const auto bank = [&s](int oscillator) {
        synth::ModulatorBank b{};
        std::copy_n(s.modulators.begin() + (oscillator - 1) * synth::kModulatorsPerOscillator,
                    b.size(), b.begin());
        return b;
    };
    modulators_->setBank(bank(1));
    oscillatorWindow(2).get().setBank(bank(2));
    oscillatorWindow(3).get().setBank(bank(3));
    for (std::size_t k = 0; k < s.play.size(); ++k) {
        playBoxes_[k]->setChecked(s.play[k]);
    }
    generator_.setState(s.state);
    wakeRepeat();
    explorer_->settingsApplied();
}

void MainWindow::seedDraws(uint64_t seed) {
    explorer_->seed(seed);
}

void MainWindow::openSettings(const QString& file) {
    guarded([this, &file] {
        // Read and checked whole before anything changes: a refused file changes nothing.
        applySettings(files::readSettings(pathOf(file)));
    });
}

void MainWindow::chooseAndOpenSettings() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open settings"), QString(),
                                     kSettingsFilter + QStringLiteral(";;All files (*)"));
    if (!file.isEmpty()) {
        openSettings(file);
    }
}

void MainWindow::saveSettings() {
    QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Save settings"),
                                                QStringLiteral("sound.tarmel"), kSettingsFilter);
    if (!file.isEmpty()) {
        files::writeSettings(pathOf(withExtension(file, QStringLiteral(".tarmel"))),
                             currentSettings());
    }
}

void MainWindow::exportSound() {
    if (!lastPlayed_) {
        throw Refusal("There is no sound to export yet. Make one with \"generate\" or "
                      "a letter key, then export it.");
    }
    // What to write is chosen in plain sight first; then the file is named.
    if (!ui::ExportDialog::ask(this, exportChoice_)) {
        return;
    }
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export sound"), QStringLiteral("sound.wav"),
        QStringLiteral("Sound files (*.wav *.flac *.aiff)"));
    if (file.isEmpty()) {
        return;
    }
    std::array<bool, synth::kOscillators> voices = *lastPlayed_;
    if (exportChoice_.oscillator > 0) {
        voices = {};
        voices[static_cast<std::size_t>(exportChoice_.oscillator - 1)] = true;
    }
    std::vector<int16_t> samples = synth::heardMix(generator_.waves(), voices);
    if (exportChoice_.normalise) {
        samples = files::normalised(samples);
    }
    files::writeSoundFile(pathOf(withExtension(file, QStringLiteral(".wav"))), samples, true);
}

void MainWindow::copyRenderCommand() {
    const files::Settings s = currentSettings();
    QStringList words{
        QStringLiteral("tarmel-render"), QStringLiteral("--pitch"),     QString::number(s.pitch1),
        QStringLiteral("--offset2"),     QString::number(s.offsets[0]), QStringLiteral("--offset3"),
        QString::number(s.offsets[1]),   QStringLiteral("--attack"),    QString::number(s.attack)};
    for (int k = 0; k < synth::kModulators; ++k) {
        const synth::ModulatorSetting& m = s.modulators[static_cast<std::size_t>(k)];
        if (m.on) {
            words << QStringLiteral("--fm")
                  << QStringLiteral("%1.%2:%3:%4")
                         .arg(k / synth::kModulatorsPerOscillator + 1)
                         .arg(k % synth::kModulatorsPerOscillator + 1)
                         .arg(m.F)
                         .arg(m.H);
        }
    }
    QStringList play;
    for (std::size_t k = 0; k < s.play.size(); ++k) {
        if (s.play[k]) {
            play << QString::number(k + 1);
        }
    }
    if (!play.isEmpty()) {
        words << QStringLiteral("--play") << play.join(',');
    }
    words << QStringLiteral("-o") << QStringLiteral("sound.wav");
    const QString command = words.join(' ');
    QGuiApplication::clipboard()->setText(command);
    // Said on the window whose menu was used: any window that shares the file actions.
    QWidget* shownOn = QApplication::activeWindow();
    if (shownOn == nullptr || !shownOn->actions().contains(fileActions_.front())) {
        shownOn = this;
    }
    ui::Toast::show(*shownOn, QStringLiteral("Copied to the clipboard: ") + command);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (isSettingsFile(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (isSettingsFile(event->mimeData())) {
        event->acceptProposedAction();
        openSettings(event->mimeData()->urls().front().toLocalFile());
    }
}

} // namespace tarmel::app
