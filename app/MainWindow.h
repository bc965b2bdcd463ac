// The main window: oscillator 1's controls, the pitch sliders, the envelope bar and the playback
// buttons, with the handlers behind them; it owns the sound output, the sample arrays, the state
// carried between generations and the secondary windows.
#pragma once

#include "app/SoundModel.h"
#include "audio/SoundOutput.h"
#include "files/Settings.h"
#include "synth/Parameters.h"
#include "ui/ExportDialog.h"
#include "ui/HelpWindow.h"
#include "ui/OscillatorWindow.h"
#include "ui/SingleWindow.h"
#include "ui/SoundView.h"

#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QTimer;

namespace tarmel::app {

class Explorer;
class SoundMatcher;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // openOutput opens the default sound output; the window calls it at load and on every reset.
    explicit MainWindow(audio::SoundOutputFactory openOutput, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load step, before the window is shown: the modulator outputs, pitches and bars at their
    // start values, then the sound output. Throws audio::SoundError when no sound device opens.
    void load();

    // Sets every control and the carried state as the settings file says, opening no sound. A
    // file that cannot be used is refused with a message and changes nothing.
    void openSettings(const QString& file);

    // A note from a MIDI keyboard: pitch 1 moves to pitch and the sound plays, exactly as for a
    // letter key, whichever window is active. Ignored while a question or message waits for an
    // answer, as the letter keys are then.
    void playNote(int16_t pitch);

    // Random and mutate draw from this seed on, so that a run can be repeated.
    void seedDraws(uint64_t seed);
    // Opens the Sound window, or brings it to the front, showing the last sound played.
    void showSoundView();
    // At the first start only: a short message that says where the menu is.
    void showFirstStartHint();

    // The sound the windows show and play: the controls' values and the carried state.
    SoundModel& model() { return *model_; }

signals:
    // New waves were played, or the same waves with other voices: what the device now plays.
    void soundPlayed(const synth::Waves& waves,
                     const std::array<bool, synth::kOscillators>& played);

protected:
    bool event(QEvent* event) override;
    // Key preview: every key press aimed at this window or one of its controls reaches
    // onLetterKey first, then goes on to the control as usual.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Exit and the close box end here: the one question, the one ending path.
    void closeEvent(QCloseEvent* event) override;
    // A settings file dropped on the window opens.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void connectHandlers();
    void addFileActions();
    void wire(ui::OscillatorWindow& window);
    void wire(ui::HelpWindow& window);
    void wire(ui::SoundView& window);

    void onGenerateClicked();
    void startRepeat();
    void stopRepeat();
    void onRepeatTick();
    // Something that can change what is heard happened: a repeat that sleeps wakes at once.
    void wakeRepeat();
    // The voices stop repeating by themselves; the timer takes over again.
    void interruptQuietRepeat() noexcept;
    void onLetterKey(int key);
    void playPitch(int16_t pitch);
    // The sound changed, by whatever door: repeat wakes, the read-outs follow the pitches.
    void onSoundChanged(const sound::Change& change);
    // Whether the letter keys play while window is active: the main and the Sound window.
    bool lettersPlayOn(const QWidget* window) const;
    // "reset": silence the voices, open the sound output afresh, modulator outputs back to 1.
    void resetSound();
    // Hides the secondary windows, resets the sound and asks "Exit?"; true on Yes.
    bool queryClose();

    // The context menu of the main and oscillator windows.
    void chooseAndOpenSettings();
    void saveSettings();
    void exportSound();
    void copyRenderCommand();
    files::Settings currentSettings();
    void applySettings(const files::Settings& settings);

    // Releases the sound output and opens a new one with three silent voices.
    void openSound();
    void stopVoices() noexcept;
    // Shows the pitches, computes the three waves from the controls, writes the three voices
    // and plays those whose play box is ticked. Waves the voices already hold are neither
    // computed nor written again.
    void generateSound();
    synth::Parameters snapshot() const;
    void showPitches();
    void resetModulatorOutputs();
    void setKeyboardActive(bool active);
    audio::SoundOutput& soundOutput();
    ui::SingleWindow<ui::OscillatorWindow>& oscillatorWindow(int oscillator);

    // Runs a handler: an error is shown, the rest of the handler is abandoned and the program
    // goes on. Does nothing once the program is ending.
    void guarded(const std::function<void()>& handler);
    void showError(const QString& message);

    audio::SoundOutputFactory openOutput_;
    std::unique_ptr<audio::SoundOutput> soundOutput_;
    bool ending_ = false;

    SoundModel* model_ = nullptr; // the controls, the carried state and the waves the voices hold
    uint64_t notesGesture_ = 0;   // a run of letter keys and MIDI notes is one step of undo
    std::chrono::steady_clock::time_point lastGeneration_;
    // The play boxes of the last request, while the waves it played are the last generated.
    std::optional<std::array<bool, synth::kOscillators>> lastPlayed_;
    QList<QAction*> fileActions_;           // the context menu, shared by the oscillator windows
    ui::ExportChoice exportChoice_;         // the last export's choice, offered again
    std::unique_ptr<Explorer> explorer_;    // undo, random, mutate, presets
    std::unique_ptr<SoundMatcher> matcher_; // match a sound
    // The recording matched last, drawn behind the sound in the Sound window.
    std::shared_ptr<const analysis::Spectrum> target_;
    QString targetName_;

    std::array<QLabel*, synth::kOscillators> pitchReadouts_{};
    QLabel* keyboardActiveLabel_ = nullptr;
    QTimer* repeatTimer_ = nullptr;

    ui::SingleWindow<ui::OscillatorWindow> oscillator2Window_;
    ui::SingleWindow<ui::OscillatorWindow> oscillator3Window_;
    ui::SingleWindow<ui::HelpWindow> helpWindow_;
    ui::SingleWindow<ui::SoundView> soundWindow_;
};

} // namespace tarmel::app
