// The main window's exploring: undo and redo of every change of the controls, random and mutate,
// the preset menu and its keys, saving a preset and exporting all presets. The logic lives in
// the explore library; this class watches the controls and offers the menu entries.
#pragma once

#include "explore/Draws.h"
#include "explore/History.h"
#include "explore/PresetLibrary.h"
#include "files/Settings.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <functional>
#include <optional>

class QAbstractSlider;
class QAction;
class QMenu;
class QTimer;
class QWidget;

namespace tarmel::app {

class Explorer : public QObject {
    Q_OBJECT

public:
    // What the explorer asks of the main window.
    struct Window {
        QWidget* widget;                                           // for dialogs
        std::function<files::Settings()> current;                  // the controls and state now
        std::function<void(const files::Settings&)> apply;         // set them, as a file does
        std::function<void()> play;                                // as "generate" does
        std::function<void(const std::function<void()>&)> guarded; // runs a handler safely
    };

    explicit Explorer(Window window, QObject* parent = nullptr);

    // The menu entries, in menu order, for the context menus of every window.
    const QList<QAction*>& actions() const { return actions_; }

    // Begins the history at the controls as they stand now.
    void start();
    // Watches the boxes and bars of a window: each change becomes a step of the history.
    void watch(QWidget& window);
    // A window was closed from its title bar and its settings discarded.
    void windowDiscarded();
    // The controls were set as a whole (a file, random, mutate, a preset): one step of its own.
    void settingsApplied();

    void seed(uint64_t seed) { draws_ = explore::Draws(seed); }

    // The folders presets are read from (those shipped first) and the user's own.
    static QStringList presetFolders();
    static QString userPresetFolder();

private:
    void changed(QObject* control);
    void checkChanges();
    void seal();
    void undo();
    void redo();
    void restore(const explore::Sound& sound);
    void updateActions();
    void randomSound();
    void mutateSound();
    void openPreset(std::size_t index);
    void stepPreset(int step);
    void fillPresetMenu();
    void saveAsPreset();
    void exportAllPresets();
    QAction* addAction(const QString& text, const QString& help, void (Explorer::*handler)());

    Window window_;
    QList<QAction*> actions_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* presetMenu_ = nullptr;

    std::optional<explore::History> history_;
    QSet<std::uintptr_t> pending_;         // the controls changed since the last check, as keys
    QPointer<QAbstractSlider> lastSlider_; // the bar or slider changed last
    bool wholeChange_ = false;
    bool checkQueued_ = false;
    bool restoring_ = false;
    QTimer* idle_ = nullptr; // seals a step once its control rests

    explore::Draws draws_{explore::Draws::clockSeed()};
    explore::PresetLibrary presets_;
    std::optional<std::size_t> presetIndex_;
};

} // namespace tarmel::app
