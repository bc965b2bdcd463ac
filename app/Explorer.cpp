// The exploring entries of the context menu and the watch over the controls for the history.
#include "app/Explorer.h"

#include "app/ErrorGuard.h"
#include "explore/BatchExport.h"
#include "ui/Toast.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace tarmel::app {

namespace {

std::filesystem::path pathOf(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

QString textOf(const std::string& text) {
    return QString::fromStdString(text);
}

// A menu shows '&' as the mark of a mnemonic unless doubled.
QString menuText(const std::string& text) {
    return textOf(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

Explorer::Explorer(SoundModel& model, Window window, QObject* parent)
    : QObject(parent), model_(model), window_(std::move(window)), presets_([] {
          std::vector<std::filesystem::path> folders;
          for (const QString& folder : presetFolders()) {
              folders.push_back(pathOf(folder));
          }
          return folders;
      }()) {
    connect(&model_, &SoundModel::changed, this, &Explorer::record);

    const QString carried =
        QStringLiteral(" The modulators' carried outputs and the noise generator stay as they "
                       "are.");
    undoAction_ = addAction(QStringLiteral("Undo"),
                            QStringLiteral("Sets the controls back as they were before the last "
                                           "change (Alt+Backspace).") +
                                carried,
                            &Explorer::undo);
    undoAction_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Backspace));
    redoAction_ = addAction(QStringLiteral("Redo"),
                            QStringLiteral("Makes the change undone last again "
                                           "(Shift+Alt+Backspace).") +
                                carried,
                            &Explorer::redo);
    redoAction_->setShortcut(QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Backspace));
    addSeparator();
    addAction(QStringLiteral("Random"),
              QStringLiteral("Sets every control to a random value and plays the sound."),
              &Explorer::randomSound);
    addAction(QStringLiteral("Mutate"),
              QStringLiteral("Changes one to three values a little and plays the sound."),
              &Explorer::mutateSound);

    addSeparator();
    presetMenu_ = new QMenu(QStringLiteral("Presets"), window_.widget);
    connect(presetMenu_, &QMenu::aboutToShow, this, [this] { fillPresetMenu(); });
    actions_.append(presetMenu_->menuAction());
    QAction* next =
        addAction(QStringLiteral("Next preset"),
                  QStringLiteral("Opens and plays the next preset (Alt+Page Down)."), nullptr);
    next->setShortcut(QKeySequence(Qt::ALT | Qt::Key_PageDown));
    connect(next, &QAction::triggered, this,
            [this] { window_.guarded([this] { stepPreset(1); }); });
    QAction* previous =
        addAction(QStringLiteral("Previous preset"),
                  QStringLiteral("Opens and plays the previous preset (Alt+Page Up)."), nullptr);
    previous->setShortcut(QKeySequence(Qt::ALT | Qt::Key_PageUp));
    connect(previous, &QAction::triggered, this,
            [this] { window_.guarded([this] { stepPreset(-1); }); });
    addAction(QStringLiteral("Save as preset…"),
              QStringLiteral("Keeps the current settings as a preset of your own."),
              &Explorer::saveAsPreset);
    addAction(QStringLiteral("Export all presets…"),
              QStringLiteral("Writes the sound of every preset to a WAV file in a folder."),
              &Explorer::exportAllPresets);
    updateActions();
}

void Explorer::addSeparator() {
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    actions_.append(separator);
}

Explorer::~Explorer() {
    if (exporting_ != nullptr) {
        exporting_->progress.stop = true;
        exporting_->watcher.waitForFinished();
    }
}

QAction* Explorer::addAction(const QString& text, const QString& help,
                             void (Explorer::*handler)()) {
    auto* action = new QAction(text, this);
    action->setToolTip(help);
    action->setStatusTip(help);
    action->setWhatsThis(help);
    action->setShortcutVisibleInContextMenu(true);
    if (handler != nullptr) {
        connect(action, &QAction::triggered, this,
                [this, handler] { window_.guarded([this, handler] { (this->*handler)(); }); });
    }
    actions_.append(action);
    return action;
}

QString Explorer::userPresetFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/tarmel/presets");
}

QStringList Explorer::presetFolders() {
    // The shipped presets: beside a relocated program, then in the data folders of the system.
    QStringList folders{QCoreApplication::applicationDirPath() +
                        QStringLiteral("/../share/tarmel/presets")};
    folders += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                         QStringLiteral("tarmel/presets"),
                                         QStandardPaths::LocateDirectory);
    const QString user = QDir(userPresetFolder()).canonicalPath();
    QStringList unique;
    for (const QString& folder : std::as_const(folders)) {
        const QString canonical = QDir(folder).canonicalPath();
        if (!canonical.isEmpty() && canonical != user && !unique.contains(canonical)) {
            unique << canonical;
        }
    }
    return unique << userPresetFolder();
}

// The history.

void Explorer::start() {
    history_.emplace(model_.document().controls());
    updateActions();
}

void Explorer::record(const sound::Change& change) {
    if (!history_ || change.fromHistory) {
        return;
    }
    switch (change.kind) {
    case sound::Change::Kind::Control:
        // Changes of one control in one gesture merge into one step; a change in no gesture
        // (a screen reader's, say) is a step of its own.
        history_->record(model_.document().controls(),
                         change.gesture == 0 ? explore::History::kWholeChange
                                             : change.gesture * sound::kControlCount +
                                                   static_cast<uint64_t>(change.control));
        break;
    case sound::Change::Kind::Whole:
    case sound::Change::Kind::Opened:
        history_->seal();
        history_->record(model_.document().controls(), explore::History::kWholeChange);
        history_->seal();
        break;
    case sound::Change::Kind::Outputs:
        return;
    }
    updateActions();
}

void Explorer::undo() {
    if (history_) {
        if (const auto controls = history_->undo()) {
            model_.document().setControls(*controls, true);
        }
    }
    updateActions();
}

void Explorer::redo() {
    if (history_) {
        if (const auto controls = history_->redo()) {
            model_.document().setControls(*controls, true);
        }
    }
    updateActions();
}

void Explorer::updateActions() {
    undoAction_->setEnabled(history_ && history_->canUndo());
    redoAction_->setEnabled(history_ && history_->canRedo());
}

// Random and mutate.

void Explorer::randomSound() {
    model_.document().setControls(draws_.random());
    window_.play();
}

void Explorer::mutateSound() {
    model_.document().setControls(draws_.mutate(model_.document().controls()));
    window_.play();
}

// Presets.

void Explorer::fillPresetMenu() {
    presets_.rescan();
    presetMenu_->clear();
    const auto& list = presets_.presets();
    QMenu* category = nullptr;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (category == nullptr || category->title() != menuText(list[i].category)) {
            category = presetMenu_->addMenu(menuText(list[i].category));
        }
        QAction* action = category->addAction(menuText(list[i].name));
        action->setToolTip(textOf(list[i].file.string()));
        // The preset on now is ticked.
        action->setCheckable(true);
        action->setChecked(presetIndex_ == i);
        connect(action, &QAction::triggered, this,
                [this, i] { window_.guarded([this, i] { openPreset(i); }); });
    }
    if (!presets_.refused().empty()) {
        QMenu* refused = presetMenu_->addMenu(QStringLiteral("Refused files"));
        for (const auto& r : presets_.refused()) {
            QAction* action = refused->addAction(menuText(r.file.filename().string()));
            action->setToolTip(textOf(r.message));
            const QString message = textOf(r.message);
            connect(action, &QAction::triggered, this, [this, message] {
                QMessageBox::warning(window_.widget, QStringLiteral("Tarmel"),
                                     message + QStringLiteral("\n\nCorrect or remove the file."));
            });
        }
    }
    if (list.empty() && presets_.refused().empty()) {
        presetMenu_->addAction(QStringLiteral("No presets found"))->setEnabled(false);
    }
}

void Explorer::openPreset(std::size_t index) {
    const explore::Preset preset = presets_.presets().at(index);
    // Read and checked whole before anything changes, as an opened file is; a preset brings its
    // own carried state, as every settings file does.
    const files::Settings settings = files::readSettings(preset.file);
    model_.document().open(settings, settings.state);
    presetIndex_ = index;
    window_.play();
    // Which preset is on, said where the user is and to the screen reader.
    QWidget* shownOn = QApplication::activeWindow();
    ui::Toast::show(shownOn != nullptr && !shownOn->isModal() ? *shownOn : *window_.widget,
                    QStringLiteral("Preset: ") + textOf(preset.name) + QStringLiteral(" (") +
                        textOf(preset.category) + QStringLiteral(")"));
}

void Explorer::stepPreset(int step) {
    const std::optional<std::filesystem::path> last =
        presetIndex_ && *presetIndex_ < presets_.presets().size()
            ? std::optional(presets_.presets()[*presetIndex_].file)
            : std::nullopt;
    presets_.rescan();
    const std::optional<std::size_t> from = last ? presets_.indexOf(*last) : std::nullopt;
    const std::optional<std::size_t> next = presets_.step(from, step);
    if (!next) {
        throw Refusal("There are no presets. Save one with \"Save as preset…\", or put .tarmel "
                      "files into " +
                      userPresetFolder().toStdString() + ".");
    }
    openPreset(*next);
}

void Explorer::saveAsPreset() {
    const files::Settings now = settingsOf(model_.document());
    bool ok = false;
    const QString name =
        QInputDialog::getText(window_.widget, QStringLiteral("Save as preset"),
                              QStringLiteral("Name of the preset:"), QLineEdit::Normal,
                              textOf(now.name.empty() ? "My sound" : now.name), &ok)
            .trimmed();
    if (!ok || name.isEmpty()) {
        return;
    }
    const QString folder = userPresetFolder();
    if (!QDir().mkpath(folder)) {
        throw Refusal("The folder " + folder.toStdString() +
                      " could not be made. Check that you may write there.");
    }
    const std::filesystem::path file = pathOf(folder) / explore::presetFileName(name.toStdString());
    if (std::filesystem::exists(file)) {
        if (QMessageBox::question(
                window_.widget, QStringLiteral("Save as preset"),
                QStringLiteral("A preset file %1 exists. Replace it?").arg(textOf(file.string())),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
            return;
        }
    }
    files::Settings preset = now;
    preset.name = name.toStdString();
    preset.category = "My presets";
    files::writeSettings(file, preset);
    presets_.rescan();
    presetIndex_ = presets_.indexOf(file);
}

void Explorer::exportAllPresets() {
    if (exporting_ != nullptr) {
        exporting_->dialog->raise();
        return;
    }
    presets_.rescan();
    if (presets_.presets().empty()) {
        throw Refusal("There are no presets to export.");
    }
    const QString folder = QFileDialog::getExistingDirectory(
        window_.widget, QStringLiteral("Export all presets to a folder"));
    if (folder.isEmpty()) {
        return;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& p : presets_.presets()) {
        files.push_back(p.file);
    }
    auto items = explore::batchItems(files, pathOf(folder), ".wav");
    int existing = 0;
    for (const auto& item : items) {
        existing += std::filesystem::exists(item.output) ? 1 : 0;
    }
    // What to write: asked in plain sight, the files in the way named.
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Export all presets"),
                    existing > 0 ? QStringLiteral("%1 of the %2 sound files exist in this folder. "
                                                  "Replace them?")
                                       .arg(existing)
                                       .arg(items.size())
                                 : QStringLiteral("Write the sounds of the %1 presets to %2?")
                                       .arg(items.size())
                                       .arg(folder),
                    QMessageBox::Yes | QMessageBox::No, window_.widget);
    ask.setDefaultButton(existing > 0 ? QMessageBox::No : QMessageBox::Yes);
    auto* normalise = new QCheckBox(QStringLiteral("Normalise each to -1 dBFS"), &ask);
    normalise->setObjectName(QStringLiteral("exportAllNormalise"));
    normalise->setChecked(normaliseAll_);
    ask.setCheckBox(normalise);
    if (ask.exec() != QMessageBox::Yes) {
        return;
    }
    normaliseAll_ = normalise->isChecked();
    for (auto& item : items) {
        item.normalise = normaliseAll_;
    }

    // Rendered on the synth's pool while the window goes on; the dialog shows the count.
    auto job = std::make_unique<Exporting>();
    job->folder = folder;
    job->total = static_cast<int>(items.size());
    job->dialog = new QProgressDialog(QStringLiteral("Exporting the presets…"),
                                      QStringLiteral("Cancel"), 0, job->total, window_.widget);
    job->dialog->setWindowTitle(QStringLiteral("Export all presets"));
    job->dialog->setAccessibleName(QStringLiteral("Exporting the presets"));
    job->dialog->setWindowModality(Qt::WindowModal);
    job->dialog->setMinimumDuration(0);
    job->dialog->setAutoClose(false);
    job->dialog->setAutoReset(false);
    job->dialog->setValue(0);
    explore::BatchProgress* progress = &job->progress;
    connect(job->dialog, &QProgressDialog::canceled, this, [progress] { progress->stop = true; });
    QProgressDialog* dialog = job->dialog;
    progress->onFinished = [dialog](int finished) {
        QMetaObject::invokeMethod(
            dialog, [dialog, finished] { dialog->setValue(std::max(dialog->value(), finished)); });
    };
    connect(&job->watcher, &QFutureWatcherBase::finished, this,
            [this] { window_.guarded([this] { exportFinished(); }); });
    job->watcher.setFuture(QtConcurrent::run([items = std::move(items), progress] {
        return explore::exportBatch(items, true, 0, *progress);
    }));
    exporting_ = std::move(job);
}

void Explorer::exportFinished() {
    const std::unique_ptr<Exporting> job = std::move(exporting_);
    const std::vector<explore::BatchFailure> failures = job->watcher.result();
    const int finished = job->progress.finished.load();
    job->dialog->deleteLater();
    const int failed = static_cast<int>(failures.size());
    QString report;
    if (job->progress.stop.load() && finished < job->total) {
        report = QStringLiteral("Export cancelled: %1 of %2 presets were exported to %3.")
                     .arg(finished - failed)
                     .arg(job->total)
                     .arg(job->folder);
    } else {
        report = QStringLiteral("%1 of %2 presets were exported to %3.")
                     .arg(job->total - failed)
                     .arg(job->total)
                     .arg(job->folder);
    }
    for (const auto& f : failures) {
        report += QStringLiteral("\n\n") + textOf(f.message);
    }
    if (failures.empty()) {
        QMessageBox::information(window_.widget, QStringLiteral("Export all presets"), report);
    } else {
        QMessageBox::warning(window_.widget, QStringLiteral("Export all presets"), report);
    }
}

} // namespace tarmel::app
