// The main window's exploring: undo and redo of every change of the sound, random and mutate,
// the preset menu and its keys, saving a preset and exporting all presets. The logic lives in
// the explore library; this class records what the sound's model says changed and offers the
// menu entries.
#pragma once

#include "app/SoundModel.h"
#include "explore/BatchExport.h"
#include "explore/Draws.h"
#include "explore/History.h"
#include "explore/PresetLibrary.h"
#include "files/Settings.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QProgressDialog;
class QWidget;

namespace tarmel::app {

class Explorer : public QObject {
    Q_OBJECT

public:
    // What the explorer asks of the main window.
    struct Window {
        QWidget* widget;                                           // for dialogs
        std::function<void()> play;                                // as "generate" does
        std::function<void(const std::function<void()>&)> guarded; // runs a handler safely
    };

    Explorer(SoundModel& model, Window window, QObject* parent = nullptr);
    // An export under way is stopped, its files being written finished whole.
    ~Explorer() override;

    // The menu entries, in menu order, for the context menus of every window.
    const QList<QAction*>& actions() const { return actions_; }

    // Begins the history at the controls as they stand now.
    void start();

    void seed(uint64_t seed) { draws_ = explore::Draws(seed); }

    // The folders presets are read from (those shipped first) and the user's own.
    static QStringList presetFolders();
    static QString userPresetFolder();

private:
    // A change of the sound becomes a step of the history, or merges into the last one.
    void record(const sound::Change& change);
    void undo();
    void redo();
    void updateActions();
    void randomSound();
    void mutateSound();
    void openPreset(std::size_t index);
    void stepPreset(int step);
    void fillPresetMenu();
    void saveAsPreset();
    void exportAllPresets();
    // The export's result, told once it ended.
    void exportFinished();
    QAction* addAction(const QString& text, const QString& help, void (Explorer::*handler)());
    // A line between groups of entries.
    void addSeparator();

    SoundModel& model_;
    Window window_;
    QList<QAction*> actions_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* presetMenu_ = nullptr;

    std::optional<explore::History> history_;

    explore::Draws draws_{explore::Draws::clockSeed()};
    explore::PresetLibrary presets_;
    std::optional<std::size_t> presetIndex_;

    // An export of all presets under way: its progress, shared with the pool's threads (the
    // count and the stop flag are atomics), the dialog on the UI thread and the watcher.
    struct Exporting {
        QString folder;
        int total = 0;
        explore::BatchProgress progress;
        QProgressDialog* dialog = nullptr; // a child of the window, deleted when it ends
        QFutureWatcher<std::vector<explore::BatchFailure>> watcher;
    };
    std::unique_ptr<Exporting> exporting_;
    bool normaliseAll_ = false; // the last export's choice, offered again
};

} // namespace tarmel::app
