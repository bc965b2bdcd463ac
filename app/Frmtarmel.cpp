// The main window's life: start-up, activation, keys, buttons, pitch sliders, reset and exit.
#include "app/Frmtarmel.h"

#include "app/ErrorGuard.h"
#include "app/KeyPreview.h"
#include "app/WindowSet.h"
#include "synth/Pitch.h"
#include "ui/KeyMap.h"
#include "ui/ModulatorPanel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

namespace tarmel::app {

Frmtarmel::Frmtarmel(SoundFactory soundFactory, QWidget* parent)
    : QWidget(parent), soundFactory_(std::move(soundFactory)), prompts_(messageBoxPrompts(this)),
      windowSet_(std::make_unique<WindowSet>(*this)), windows_(windowSet_->operations()),
      waves_(std::make_unique<synth::Waves>()) {
    buildControls();
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(1);
    connectHandlers();
    keyPreview_ = new KeyPreview(
        this, [this](int keyCode) { guarded([this, keyCode] { Form_KeyDown(keyCode); }); });
}

Frmtarmel::~Frmtarmel() = default;

void Frmtarmel::setPrompts(Prompts prompts) {
    prompts_ = std::move(prompts);
}

void Frmtarmel::setSecondaryWindows(SecondaryWindows windows) {
    windows_ = std::move(windows);
}

void Frmtarmel::guarded(const std::function<void()>& handler) {
    if (ending_) {
        return;
    }
    runGuarded(handler, [this](const QString& message) { prompts_.showError(message); });
}

void Frmtarmel::connectHandlers() {
    auto on = [this](void (Frmtarmel::*handler)()) {
        return [this, handler] { guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(play_, &QPushButton::clicked, this, on(&Frmtarmel::Play_Click));
    connect(cmdstart_, &QPushButton::clicked, this, on(&Frmtarmel::Cmdstart_Click));
    connect(cmdstop_, &QPushButton::clicked, this, on(&Frmtarmel::Cmdstop_Click));
    connect(cmdReset_, &QPushButton::clicked, this, on(&Frmtarmel::CmdReset_Click));
    connect(cmdExit_, &QPushButton::clicked, this, on(&Frmtarmel::CmdExit_Click));
    connect(cmdhelp_, &QPushButton::clicked, this, on(&Frmtarmel::Cmdhelp_Click));
    connect(cmdOsc2_, &QPushButton::clicked, this,
            [this] { guarded([this] { CmdOsc2_Click(0); }); });
    connect(cmdOsc3_, &QPushButton::clicked, this,
            [this] { guarded([this] { CmdOsc3_Click(1); }); });
    connect(panel_, &ui::ModulatorPanel::chkFmClicked, this,
            [this](int index) { guarded([this, index] { ChkFm_Click(index); }); });
    connect(vscroll1_, &QSlider::valueChanged, this, on(&Frmtarmel::VScroll1_Change));
    connect(vscroll2_, &QSlider::valueChanged, this, on(&Frmtarmel::VScroll2_Change));
    connect(vscroll3_, &QSlider::valueChanged, this, on(&Frmtarmel::VScroll3_Change));
    connect(timer2_, &QTimer::timeout, this, [this] {
        // A failing tick ends the repetition, so that the error is shown once and not again at
        // every following tick.
        if (ending_) {
            return;
        }
        runGuarded([this] { Timer2_Timer(); },
                   [this](const QString& message) {
                       timer2_->stop();
                       prompts_.showError(message);
                   });
    });
}

void Frmtarmel::Form_Load() {
    setFifteenOutputs();
    pitch1_ = synth::kStartPitch;
    pitch2_ = synth::kStartPitch;
    pitch3_ = synth::kStartPitch;
    vscroll1_->setValue(synth::kStartPitch);
    vscroll2_->setValue(0);
    vscroll3_->setValue(0);
    sliderattack_->setValue(0);
    for (int i = 0; i < 3; ++i) {
        panel_->sliderFm(i)->setValue(synth::kStartMultiplier);
    }
    InitSound();
}

bool Frmtarmel::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        guarded([this] { Form_Activate(); });
    }
    return QWidget::event(event);
}

void Frmtarmel::Form_Activate() {
    showKeyboardActive(true);
}

void Frmtarmel::showKeyboardActive(bool visible) {
    lblkeys_->setVisible(visible);
}

void Frmtarmel::setFifteenOutputs() {
    state_.setFifteenOutputs();
}

void Frmtarmel::Form_KeyDown(int keyCode) {
    const std::optional<int16_t> pitch = ui::pitchForKey(keyCode);
    if (!pitch) {
        return;
    }
    pitch1_ = *pitch;
    vscroll1_->setValue(*pitch);
    RefreshAndGenerate();
}

void Frmtarmel::Play_Click() {
    RefreshAndGenerate();
}

void Frmtarmel::Timer2_Timer() {
    RefreshAndGenerate();
}

void Frmtarmel::Cmdstart_Click() {
    timer2_->start();
}

void Frmtarmel::Cmdstop_Click() {
    timer2_->stop();
}

void Frmtarmel::ChkFm_Click(int /*index*/) {
    setFifteenOutputs();
}

void Frmtarmel::CmdOsc2_Click(int /*index*/) {
    windows_.showOscillator(2);
}

void Frmtarmel::CmdOsc3_Click(int /*index*/) {
    windows_.showOscillator(3);
}

void Frmtarmel::Cmdhelp_Click() {
    windows_.showHelp();
}

void Frmtarmel::VScroll1_Change() {
    pitch1_ = synth::pitchFromSlider(vscroll1_->value());
    pitch2_ = synth::pitchWithOffset(vscroll2_->value(), pitch1_);
    pitch3_ = synth::pitchWithOffset(vscroll3_->value(), pitch1_);
    refreshReadouts();
}

void Frmtarmel::VScroll2_Change() {
    pitch2_ = synth::pitchWithOffset(vscroll2_->value(), pitch1_);
    refreshReadouts();
}

void Frmtarmel::VScroll3_Change() {
    pitch3_ = synth::pitchWithOffset(vscroll3_->value(), pitch1_);
    refreshReadouts();
}

void Frmtarmel::refreshReadouts() {
    lblos1_[0]->setText(QString::number(pitch1_));
    lblos1_[1]->setText(QString::number(pitch2_));
    lblos1_[2]->setText(QString::number(pitch3_));
}

void Frmtarmel::CmdReset_Click() {
    stopBuffers();
    InitSound();
    setFifteenOutputs();
}

void Frmtarmel::CmdExit_Click() {
    if (exitAsked()) {
        ending_ = true;
        timer2_->stop();
        prompts_.endProgram(0);
    }
}

bool Frmtarmel::exitAsked() {
    windows_.hideAll();
    // The question must come even when the sound output fails, or the user could not quit:
    // such an error is shown and the exit goes on.
    guarded([this] {
        stopBuffers();
        InitSound();
    });
    setFifteenOutputs();
    return prompts_.askExit();
}

void Frmtarmel::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    bool quit = false;
    guarded([this, &quit] { quit = exitAsked(); });
    if (!quit) {
        event->ignore();
        return;
    }
    ending_ = true;
    timer2_->stop();
    event->accept();
    prompts_.endProgram(0);
}

} // namespace tarmel::app
