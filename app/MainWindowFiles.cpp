// The main window's files: settings saved and opened (from the context menu, the command line or
// a drop), the last sound exported, and the render command that reproduces the settings.
#include "app/ErrorGuard.h"
#include "app/Explorer.h"
#include "app/MainWindow.h"
#include "app/SoundMatcher.h"
#include "files/Normalise.h"
#include "files/SoundFile.h"
#include "sound/RenderCommand.h"
#include "ui/ExportDialog.h"
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
    explorer_ = std::make_unique<Explorer>(
        *model_,
        Explorer::Window{this, [this] { generateSound(); },
                         [this](const std::function<void()>& handler) { guarded(handler); }});
    // The menu in groups: files; undo and redo; random and mutate; presets; the Sound window.
    const auto separate = [this] {
        auto* separator = new QAction(this);
        separator->setSeparator(true);
        fileActions_.append(separator);
    };
    matcher_ = std::make_unique<SoundMatcher>(
        *model_,
        SoundMatcher::Window{this, [this] { generateSound(); },
                             [this](const std::function<void()>& handler) { guarded(handler); }});
    connect(matcher_.get(), &SoundMatcher::matched, this,
            [this](std::shared_ptr<const analysis::Spectrum> target, const QString& name) {
                target_ = std::move(target);
                targetName_ = name;
                if (ui::SoundView* view = soundWindow_.existing()) {
                    view->showTarget(target_, targetName_);
                }
            });
    separate();
    // Match a sound joins random and mutate, the other ways to a new sound.
    QList<QAction*> exploring = explorer_->actions();
    const auto mutate = std::ranges::find(exploring, QStringLiteral("Mutate"), &QAction::text);
    exploring.insert(mutate + 1, matcher_->action());
    fileActions_.append(exploring);
    separate();
    add(QStringLiteral("Show sound view"), &MainWindow::showSoundView);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addActions(fileActions_);
}

files::Settings MainWindow::currentSettings() {
    return settingsOf(model_->document());
}

void MainWindow::applySettings(const files::Settings& s) {
    model_->document().open(s, s.state);
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
    std::vector<int16_t> samples = synth::heardMix(model_->document().generator().waves(), voices);
    if (exportChoice_.normalise) {
        samples = files::normalised(samples);
    }
    files::writeSoundFile(pathOf(withExtension(file, QStringLiteral(".wav"))), samples, true);
}

void MainWindow::copyRenderCommand() {
    QStringList words{QStringLiteral("tarmel-render")};
    for (const std::string& word : sound::renderArguments(model_->document().controls())) {
        words << QString::fromStdString(word);
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
