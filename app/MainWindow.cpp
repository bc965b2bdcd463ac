// The main window's life: start-up, activation, keys, buttons, pitch sliders, generation, reset
// and exit.
#include "app/MainWindow.h"

#include "app/Artwork.h"
#include "app/ControlBinding.h"
#include "app/ErrorGuard.h"
#include "app/Explorer.h"
#include "app/SoundMatcher.h"
#include "app/Trace.h"
#include "synth/Pitch.h"
#include "ui/Controls.h"
#include "ui/KeyMap.h"
#include "ui/Toast.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QTimer>

namespace tarmel::app {

namespace {

// The repeat timer's period, and its period while the voices repeat by themselves: then a tick
// only checks that the sound output is still there.
constexpr int kRepeatPeriod = 1;
constexpr int kQuietRepeatPeriod = 500;

// Where the menu is: there is no menu bar, and the help text does not say.
const QString kMenuHint =
    QStringLiteral("The right mouse button, the Menu key or Shift+F10 opens the menu: save and "
                   "open settings, export, undo, random, presets and the Sound window.");

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

} // namespace

MainWindow::MainWindow(audio::SoundOutputFactory openOutput, QWidget* parent)
    : QWidget(parent), openOutput_(std::move(openOutput)),
      oscillator2Window_([] { return new ui::OscillatorWindow(2); },
                         [this](ui::OscillatorWindow& w) { wire(w); }),
      oscillator3Window_([] { return new ui::OscillatorWindow(3); },
                         [this](ui::OscillatorWindow& w) { wire(w); }),
      helpWindow_([] { return new ui::HelpWindow(); }, [this](ui::HelpWindow& w) { wire(w); }),
      soundWindow_([] { return new ui::SoundView(); }, [this](ui::SoundView& w) { wire(w); }) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const ui::WindowLayout& layout = ui::mainWindowLayout();
    ui::buildControls(*this, layout);
    resize(ui::twipsToPixels(layout.client.width), ui::twipsToPixels(layout.client.height));
    ui::child<QLabel>(*this, QStringLiteral("Picture1"))->setPixmap(titlePicture());

    model_ = new SoundModel(this);
    notesGesture_ = ControlBinding::newGesture();
    // Ranges, steps and values come from the sound's control table through the binding.
    new ControlBinding(*this, 1, *model_);
    ui::child<QSlider>(*this, QStringLiteral("VScroll1"))->setTickInterval(340);
    ui::child<QSlider>(*this, QStringLiteral("VScroll2"))->setTickInterval(170);
    ui::child<QSlider>(*this, QStringLiteral("VScroll3"))->setTickInterval(170);
    for (int k = 0; k < synth::kOscillators; ++k) {
        const auto i = static_cast<std::size_t>(k);
        pitchReadouts_[i] = ui::child<QLabel>(*this, indexed("Lblos1", k));
        // The read-outs must hold their widest pitches.
        for (const char* widest : {"1170", "-169"}) {
            pitchReadouts_[i]->setText(QLatin1String(widest));
            ui::shrinkToFit(*pitchReadouts_[i]);
        }
        pitchReadouts_[i]->clear();
    }
    keyboardActiveLabel_ = ui::child<QLabel>(*this, QStringLiteral("Lblkeys"));
    setAccessibleDescription(kMenuHint);

    repeatTimer_ = new QTimer(this);
    repeatTimer_->setObjectName(QStringLiteral("Timer2"));
    repeatTimer_->setInterval(kRepeatPeriod);
    connectHandlers();
    addFileActions();
    setAcceptDrops(true);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
}

void MainWindow::connectHandlers() {
    const auto button = [this](const char* name, void (MainWindow::*handler)()) {
        connect(ui::child<QPushButton>(*this, QLatin1String(name)), &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    button("Play", &MainWindow::onGenerateClicked);
    button("Cmdstart", &MainWindow::startRepeat);
    button("Cmdstop", &MainWindow::stopRepeat);
    button("CmdReset", &MainWindow::resetSound);
    connect(ui::child<QPushButton>(*this, QStringLiteral("CmdExit")), &QPushButton::clicked, this,
            &QWidget::close);
    connect(ui::child<QPushButton>(*this, QStringLiteral("CmdOsc2")), &QPushButton::clicked, this,
            [this] { guarded([this] { oscillator2Window_.show(); }); });
    connect(ui::child<QPushButton>(*this, QStringLiteral("CmdOsc3")), &QPushButton::clicked, this,
            [this] { guarded([this] { oscillator3Window_.show(); }); });
    connect(ui::child<QPushButton>(*this, QStringLiteral("Cmdhelp")), &QPushButton::clicked, this,
            [this] { guarded([this] { helpWindow_.show(); }); });
    connect(model_, &SoundModel::changed, this, &MainWindow::onSoundChanged);
    connect(repeatTimer_, &QTimer::timeout, this, &MainWindow::onRepeatTick);
}

void MainWindow::wire(ui::OscillatorWindow& window) {
    window.setContextMenuPolicy(Qt::ActionsContextMenu);
    window.addActions(fileActions_);
    new ControlBinding(window, window.oscillator(), *model_);
    connect(&window, &ui::OscillatorWindow::lostFocus, this, &MainWindow::resetModulatorOutputs);
    const int oscillator = window.oscillator();
    connect(&window, &ui::OscillatorWindow::closedByUser, this,
            [this, oscillator] { model_->document().discardOscillator(oscillator); });
}

void MainWindow::wire(ui::HelpWindow& window) {
    (void)window;
}

void MainWindow::wire(ui::SoundView& window) {
    window.addActions(fileActions_);
    connect(this, &MainWindow::soundPlayed, &window, &ui::SoundView::showSound);
    if (target_ != nullptr) {
        window.showTarget(target_, targetName_);
    }
}

void MainWindow::showSoundView() {
    const bool fresh = soundWindow_.existing() == nullptr;
    ui::SoundView& view = soundWindow_.show();
    if (fresh) {
        // Placed once shown, when the frame the window manager adds is known.
        view.placeBeside(*this);
    }
    if (lastPlayed_) {
        view.showSound(model_->document().generator().waves(), *lastPlayed_);
    }
}

void MainWindow::load() {
    // The controls stand at their start values; the pitches are 98 Hz.
    resetModulatorOutputs();
    showPitches();
    explorer_->start();
    openSound();
    // "generate" holds the focus when the window opens: Space or Enter plays at once.
    ui::child<QPushButton>(*this, QStringLiteral("Play"))->setFocus();
}

void MainWindow::showFirstStartHint() {
    QSettings settings;
    if (settings.value(QStringLiteral("hints/menuShown"), false).toBool()) {
        return;
    }
    settings.setValue(QStringLiteral("hints/menuShown"), true);
    ui::Toast::show(*this, kMenuHint);
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        setKeyboardActive(true);
    }
    return QWidget::event(event);
}

bool MainWindow::lettersPlayOn(const QWidget* window) const {
    return window == this || qobject_cast<const ui::SoundView*>(window) != nullptr;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isModal()) {
        // Repeat ticks wait while a question is open; the voices must not go on by themselves.
        interruptQuietRepeat();
    }
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
        // "Keyboard Active" says whether the letters play in the window now active.
        const auto* window = static_cast<QWidget*>(watched);
        if (window->windowType() != Qt::Popup && window->windowType() != Qt::ToolTip) {
            setKeyboardActive(lettersPlayOn(window));
        }
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    // A key press the focused control ignores travels on to its parents, and the filter sees it
    // at each of them; only its first receiver counts: the window's focus control, or the window
    // itself when none of its controls has the focus.
    QWidget* window = static_cast<QWidget*>(watched)->window();
    if (!lettersPlayOn(window)) {
        return false;
    }
    QWidget* focus = window->focusWidget();
    QWidget* firstReceiver = focus != nullptr ? focus : window;
    if (watched == firstReceiver) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        guarded([this, key] { onLetterKey(key); });
    }
    return false;
}

void MainWindow::setKeyboardActive(bool active) {
    keyboardActiveLabel_->setVisible(active);
}

void MainWindow::resetModulatorOutputs() {
    model_->document().resetOutputs();
}

void MainWindow::onSoundChanged(const sound::Change& change) {
    (void)change;
    showPitches();
    wakeRepeat();
}

void MainWindow::onGenerateClicked() {
    generateSound();
}

void MainWindow::startRepeat() {
    repeatTimer_->start();
}

void MainWindow::stopRepeat() {
    repeatTimer_->stop();
    interruptQuietRepeat();
}

void MainWindow::wakeRepeat() {
    if (repeatTimer_->isActive() && repeatTimer_->interval() != kRepeatPeriod) {
        interruptQuietRepeat();
    }
}

void MainWindow::interruptQuietRepeat() noexcept {
    if (soundOutput_) {
        for (int i = 0; i < audio::kVoices; ++i) {
            soundOutput_->repeat(i, false);
        }
    }
    if (repeatTimer_->interval() != kRepeatPeriod) {
        repeatTimer_->setInterval(kRepeatPeriod);
    }
}

void MainWindow::onRepeatTick() {
    // A tick is a request like a click: none runs while a question or a message waits for its
    // answer (the handler that asked has not ended yet). The timer runs on, and the repetition
    // goes on once the answer is given.
    if (ending_ || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    // With the settings unchanged, only the carried state (the random modulator's noise) makes
    // one generation differ from the last, and the device takes no more than one new sound per
    // block: the timer asks far more often.
    constexpr auto kBlockPeriod =
        std::chrono::microseconds(1'000'000LL * audio::kBlockFrames / audio::kSampleRate);
    if (std::chrono::steady_clock::now() - lastGeneration_ < kBlockPeriod &&
        model_->document().generator().heldFrom(snapshot())) {
        return;
    }
    // A failing tick ends the repetition, so that the error is shown once and not again at
    // every following tick.
    const bool ok = runGuarded([this] { generateSound(); },
                               [this](const QString& message) {
                                   repeatTimer_->stop();
                                   showError(message);
                               });
    // When every further tick would only play the same second again (the settings unchanged
    // and the state where the sound leaves it), the ticked voices repeat by themselves, at the
    // very blocks the ticks would start them, and the program sleeps until something changes.
    if (ok && repeatTimer_->isActive() && model_->document().generator().steady(snapshot())) {
        const auto& play = model_->document().controls().play;
        for (int i = 0; i < synth::kOscillators; ++i) {
            soundOutput_->repeat(i, play[static_cast<std::size_t>(i)]);
        }
        repeatTimer_->setInterval(kQuietRepeatPeriod);
    }
}

void MainWindow::onLetterKey(int key) {
    const std::optional<int16_t> pitch = ui::pitchForKey(key);
    if (pitch) {
        playPitch(*pitch);
    }
}

void MainWindow::playNote(int16_t pitch) {
    if (QApplication::activeModalWidget() == nullptr) {
        guarded([this, pitch] { playPitch(pitch); });
    }
}

void MainWindow::playPitch(int16_t pitch) {
    model_->document().set(sound::findSymbol("pitch")->id, pitch, notesGesture_);
    generateSound();
}

void MainWindow::showPitches() {
    const synth::Parameters p = snapshot();
    pitchReadouts_[0]->setText(QString::number(p.pitch1));
    pitchReadouts_[1]->setText(QString::number(p.pitch2));
    pitchReadouts_[2]->setText(QString::number(p.pitch3));
}

ui::SingleWindow<ui::OscillatorWindow>& MainWindow::oscillatorWindow(int oscillator) {
    return oscillator == 3 ? oscillator3Window_ : oscillator2Window_;
}

synth::Parameters MainWindow::snapshot() const {
    return model_->document().parameters();
}

void MainWindow::generateSound() {
    showPitches();

    audio::SoundOutput& output = soundOutput();
    synth::Generator& generator = model_->document().generator();
    const synth::Parameters params = snapshot();
    if (!generator.holds(params)) {
        lastPlayed_.reset(); // until these waves play
    }
    if (generator.generate(params)) {
        lastGeneration_ = std::chrono::steady_clock::now();
        try {
            for (int i = 0; i < synth::kOscillators; ++i) {
                output.write(
                    i, audio::VoiceSamples(generator.waves()[static_cast<std::size_t>(i)].data(),
                                           audio::kVoiceFrames));
            }
        } catch (...) {
            generator.forgetWaves();
            throw;
        }
        trace::generationFinished();
    }
    const std::array<bool, synth::kOscillators> played = model_->document().controls().play;
    for (int i = 0; i < synth::kOscillators; ++i) {
        if (played[static_cast<std::size_t>(i)]) {
            output.play(i);
        }
    }
    const bool heardChanged = lastPlayed_ != played;
    lastPlayed_ = played;
    if (heardChanged) {
        emit soundPlayed(generator.waves(), played);
    }
}

audio::SoundOutput& MainWindow::soundOutput() {
    if (!soundOutput_) {
        throw audio::SoundError("The sound output is not open. Press reset to open it again.");
    }
    return *soundOutput_;
}

void MainWindow::openSound() {
    soundOutput_.reset();
    model_->document().generator().forgetWaves(); // the new voices are silent
    soundOutput_ = openOutput_();
    wakeRepeat();
}

void MainWindow::stopVoices() noexcept {
    if (soundOutput_) {
        for (int i = 0; i < audio::kVoices; ++i) {
            soundOutput_->stop(i);
        }
    }
}

void MainWindow::resetSound() {
    stopVoices();
    openSound();
    resetModulatorOutputs();
}

bool MainWindow::queryClose() {
    oscillator2Window_.hide();
    oscillator3Window_.hide();
    helpWindow_.hide();
    // The question must come even when the sound output fails, or the user could not quit:
    // such an error is shown and the exit goes on.
    guarded([this] {
        stopVoices();
        openSound();
    });
    resetModulatorOutputs();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Quit"), QStringLiteral("Exit?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    bool quit = false;
    guarded([this, &quit] { quit = queryClose(); });
    if (!quit) {
        event->ignore();
        return;
    }
    ending_ = true;
    repeatTimer_->stop();
    // The Sound window opens again at the next start if it is open now.
    if (ui::SoundView* view = soundWindow_.existing(); view != nullptr && view->isVisible()) {
        view->programEnding();
    }
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::guarded(const std::function<void()>& handler) {
    if (!ending_) {
        runGuarded(handler, [this](const QString& message) { showError(message); });
    }
}

void MainWindow::showError(const QString& message) {
    trace::errorShown(message);
    QMessageBox::critical(this, QStringLiteral("Tarmel"), message);
}

} // namespace tarmel::app
