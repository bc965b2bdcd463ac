// The main window: oscillator 1's controls, the pitch sliders, the envelope bar and the playback
// buttons, with the handlers behind them, the sound references and the sample arrays.
#pragma once

#include "app/Prompts.h"
#include "audio/SoundOutput.h"
#include "synth/Parameters.h"
#include "synth/Synthesizer.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QSlider;
class QTimer;

namespace tarmel::ui {
class ModulatorPanel;
}

namespace tarmel::app {

class KeyPreview;
class WindowSet;

// Makes a new root object of the sound layer (InitSound's first step).
using SoundFactory = std::function<std::shared_ptr<audio::SoundSystem>()>;

// Reads the five modulators of oscillator 2 or 3 from their window.
using BankSource = std::function<synth::ModulatorBank(int oscillator)>;

// The secondary windows as the main window drives them.
struct SecondaryWindows {
    BankSource bank;                                    // creates the window hidden if needed
    std::function<void(int oscillator)> showOscillator; // FrmOsc2 or FrmOsc3
    std::function<void()> showHelp;                     // Dialog
    std::function<void()> hideAll;                      // FrmOsc2, FrmOsc3, Dialog, in turn
};

class Frmtarmel : public QWidget {
    Q_OBJECT

public:
    explicit Frmtarmel(SoundFactory soundFactory, QWidget* parent = nullptr);
    ~Frmtarmel() override;

    void setPrompts(Prompts prompts);
    // Replaces the window's own FrmOsc2, FrmOsc3 and Dialog, e.g. by a test's.
    void setSecondaryWindows(SecondaryWindows windows);
    // The window's own FrmOsc2, FrmOsc3 and Dialog.
    WindowSet& windowSet() const { return *windowSet_; }

    // Start-up, before the window is shown. Throws when the sound output cannot be opened.
    void Form_Load();

    // The sound set-up: root object, device, buffer description and three buffers, replaced in
    // that order.
    void InitSound();

    // Sets modOut1..modOut15 to 1; the secondary windows' boxes and focus loss call this too.
    void setFifteenOutputs();

    // Hides or shows "Keyboard Active"; the secondary windows hide it on activation.
    void showKeyboardActive(bool visible);

    int16_t pitch1() const { return pitch1_; }
    int16_t pitch2() const { return pitch2_; }
    int16_t pitch3() const { return pitch3_; }
    const synth::SynthState& synthState() const { return state_; }
    const synth::Waves& waves() const { return *waves_; }
    QTimer* Timer2() const { return timer2_; }
    ui::ModulatorPanel& panel() const { return *panel_; }

    // Runs one handler through the error guard: an error is shown, the rest of the handler is
    // abandoned and the program goes on. Does nothing once the program is ending.
    void guarded(const std::function<void()>& handler);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectHandlers();

    void Form_Activate();
    void Form_KeyDown(int keyCode);
    void Play_Click();
    void Timer2_Timer();
    void Cmdstart_Click();
    void Cmdstop_Click();
    void CmdReset_Click();
    void CmdExit_Click();
    void ChkFm_Click(int index);
    void CmdOsc2_Click(int index);
    void CmdOsc3_Click(int index);
    void Cmdhelp_Click();
    void VScroll1_Change();
    void VScroll2_Change();
    void VScroll3_Change();

    void RefreshAndGenerate();
    void GenerateSound();
    void refreshReadouts();
    void stopBuffers();
    // The exit path of "Exit" and of the close box; true when the user answered Yes.
    bool exitAsked();

    SoundFactory soundFactory_;
    Prompts prompts_;
    std::unique_ptr<WindowSet> windowSet_;
    SecondaryWindows windows_;
    bool ending_ = false;

    // Sound references, created and replaced only by InitSound.
    std::shared_ptr<audio::SoundSystem> directX_;
    std::shared_ptr<audio::SoundDevice> soundDevice_;
    audio::BufferDescription bufferDesc_;
    std::array<std::shared_ptr<audio::SoundBuffer>, synth::kOscillators> soundBuffer_;

    int16_t pitch1_ = 0;
    int16_t pitch2_ = 0;
    int16_t pitch3_ = 0;
    synth::SynthState state_;
    std::unique_ptr<synth::Waves> waves_;

    // Controls; all are children of this window.
    QPushButton* play_ = nullptr;
    QPushButton* cmdReset_ = nullptr;
    QPushButton* cmdstart_ = nullptr;
    QPushButton* cmdstop_ = nullptr;
    QPushButton* cmdOsc2_ = nullptr;
    QPushButton* cmdOsc3_ = nullptr;
    QPushButton* cmdhelp_ = nullptr;
    QPushButton* cmdExit_ = nullptr;
    QLabel* lblkeys_ = nullptr;
    std::array<QLabel*, synth::kOscillators> lblos1_{};
    std::array<QCheckBox*, synth::kOscillators> check1_{};
    QSlider* vscroll1_ = nullptr;
    QSlider* vscroll2_ = nullptr;
    QSlider* vscroll3_ = nullptr;
    QScrollBar* sliderattack_ = nullptr;
    ui::ModulatorPanel* panel_ = nullptr;
    QTimer* timer2_ = nullptr;
    KeyPreview* keyPreview_ = nullptr;
};

} // namespace tarmel::app
