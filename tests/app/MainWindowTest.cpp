// The main window and its secondary windows, offscreen, on the recording sound output: what the
// user sees and hears through every control. Expected sounds come from synth::generate, which
// the synthesis tests check against an independent implementation.
#include "RecordingOutput.h"
#include "app/MainWindow.h"
#include "ui/Controls.h"
#include "ui/Layout.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace tarmel {
namespace {

// Answers every modal message box that comes up while it lives, and notes what each said.
class MessageBoxes {
public:
    explicit MessageBoxes(QMessageBox::StandardButton answer) : answer_(answer) {
        timer_.callOnTimeout([this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isVisible()) {
                const bool critical = box->icon() == QMessageBox::Critical;
                const bool noDefault = box->defaultButton() == box->button(QMessageBox::No);
                seen << box->windowTitle() + ": " + box->text() + (critical ? " [critical]" : "") +
                            (noDefault ? " [No default]" : "");
                QAbstractButton* button = box->button(answer_);
                (button != nullptr ? button : box->buttons().front())->click();
            }
        });
        timer_.start(5);
    }
    QStringList seen;

private:
    QMessageBox::StandardButton answer_;
    QTimer timer_;
};

// The program's top-level window of that name; windows closed by the user are gone first.
QWidget* topLevel(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name)) {
            return w;
        }
    }
    return nullptr;
}

std::vector<int16_t> expectedVoice(const synth::Parameters& p, int voice,
                                   synth::SynthState state = {}) {
    auto waves = std::make_unique<synth::Waves>();
    synth::generate(p, state, *waves);
    const auto& w = (*waves)[static_cast<std::size_t>(voice)];
    return {w.begin(), w.begin() + audio::kVoiceFrames};
}

synth::Parameters pitches(int16_t p1, int16_t p2, int16_t p3) {
    synth::Parameters p;
    p.pitch1 = p1;
    p.pitch2 = p2;
    p.pitch3 = p3;
    return p;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        log_->events.clear();
    }

    template <class T = QWidget> T* control(const char* name, const QWidget* in = nullptr) {
        return ui::child<T>(in != nullptr ? *in : window_, QLatin1String(name));
    }
    void click(const char* name, const QWidget* in = nullptr) {
        QTest::mouseClick(control<QAbstractButton>(name, in), Qt::LeftButton);
    }
    QString readouts() {
        return control<QLabel>("Lblos1(0)")->text() + " " + control<QLabel>("Lblos1(1)")->text() +
               " " + control<QLabel>("Lblos1(2)")->text();
    }
    std::vector<std::string> takeEvents() { return std::exchange(log_->events, {}); }
    using Events = std::vector<std::string>;

    std::shared_ptr<test::SoundLog> log_ = std::make_shared<test::SoundLog>();
    app::MainWindow window_{test::recordingOutputs(log_)};
};

TEST_F(MainWindowTest, EveryWindowIsBuiltFromTheLayoutTable) {
    click("CmdOsc2");
    click("CmdOsc3");
    click("Cmdhelp");
    for (const ui::WindowLayout* layout :
         {&ui::mainWindowLayout(), &ui::oscillatorWindowLayout(2), &ui::oscillatorWindowLayout(3),
          &ui::helpWindowLayout()}) {
        QWidget* window = topLevel(std::string(layout->name).c_str());
        ASSERT_NE(window, nullptr) << layout->name;
        EXPECT_EQ(window->windowTitle().toStdString(), layout->caption);
        std::map<int, QWidget*> focusOrder;
        for (const ui::ControlLayout& c : layout->controls) {
            const auto* w = ui::child<QWidget>(*window, QString::fromUtf8(c.name.data(),
                                                                      qsizetype(c.name.size())));
            EXPECT_EQ(w->geometry(), ui::toPixels(c.at)) << layout->name << " " << c.name;
            const auto* label = qobject_cast<const QLabel*>(w);
            const auto* button = qobject_cast<const QAbstractButton*>(w);
            const QString text = label ? label->text() : button ? button->text() : QString();
            if (!c.text.empty()) {
                EXPECT_EQ(text.toStdString(), c.text) << layout->name << " " << c.name;
            }
            if (w->focusPolicy() != Qt::NoFocus && !label) {
                focusOrder[c.tab] = const_cast<QWidget*>(w);
            }
        }
        // Tab goes from each control to the next in the table's focus order.
        for (auto it = focusOrder.begin(); std::next(it) != focusOrder.end(); ++it) {
            QWidget* next = it->second->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus)) {
                next = next->nextInFocusChain();
            }
            EXPECT_EQ(next, std::next(it)->second) << layout->name << " tab " << it->first;
        }
    }
    // A few places checked against the documented layout in pixels, from outside the table.
    EXPECT_EQ(window_.size(), QSize(656, 272));
    EXPECT_EQ(control("Cmdstart")->geometry(), QRect(600, 40, 41, 33));
    EXPECT_EQ(control("sliderharmon(4)")->geometry(), QRect(336, 112, 17, 97));
    EXPECT_EQ(control("sliderFm(0)", topLevel("FrmOsc3"))->pos(), QPoint(24, 48));
    EXPECT_EQ(topLevel("Dialog")->geometry(), QRect(184, 250, 353, 370));
    EXPECT_EQ(control<QAbstractButton>("CmdExit")->text(), "Exit");
    // The help text keeps every blank: six in a row in one paragraph, two in another.
    EXPECT_TRUE(control<QLabel>("Label2(2)", topLevel("Dialog"))->text().contains("boxes      named"));
    EXPECT_TRUE(control<QLabel>("Label2(1)", topLevel("Dialog"))->text().contains("decay  that"));
}

TEST(MainWindowStart, LoadsStartValuesAndOpensSilentVoices) {
    auto log = std::make_shared<test::SoundLog>();
    app::MainWindow window(test::recordingOutputs(log));
    EXPECT_TRUE(log->events.empty());
    window.load();
    EXPECT_EQ(log->events, std::vector<std::string>{"open"});
    EXPECT_EQ(ui::child<QSlider>(window, "VScroll1")->value(), 98);
    EXPECT_EQ(ui::child<QSlider>(window, "VScroll3")->value(), 0);
    EXPECT_EQ(ui::child<QScrollBar>(window, "Sliderattack")->value(), 0);
    EXPECT_EQ(ui::child<QScrollBar>(window, "sliderFm(1)")->minimum(), 2);
    EXPECT_EQ(ui::child<QScrollBar>(window, "sliderFm(3)")->minimum(), 0);
    EXPECT_EQ(ui::child<QScrollBar>(window, "sliderharmon(0)")->singleStep(), 2);
    EXPECT_TRUE(ui::child<QAbstractButton>(window, "Check1(0)")->isChecked());
    for (const char* clear : {"Check1(1)", "Check1(2)", "ChkFm(0)", "ChkFm(4)"}) {
        EXPECT_FALSE(ui::child<QAbstractButton>(window, clear)->isChecked()) << clear;
    }

    auto failing = std::make_shared<test::SoundLog>();
    failing->failNext = "open";
    app::MainWindow withoutSound(test::recordingOutputs(failing));
    EXPECT_THROW(withoutSound.load(), audio::SoundError);
}

TEST_F(MainWindowTest, LetterKeysSetPitchOneAndPlayAtOnce) {
    // The keyboard note map as documented: bottom, middle and top letter rows.
    const std::string letters = "ZXCVBNMASDFGHJKLQWERTYUIOP";
    const std::vector<int> hertz{65,  69,  73,  77,  82,  87,  92,  98,  104, 110, 116, 123, 130,
                                 138, 146, 155, 164, 174, 185, 196, 207, 220, 233, 246, 261, 277};
    const char* focused[] = {"Play", "sliderFm(2)", "VScroll2", "Check1(1)"};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        control(focused[i % 4])->setFocus();
        QTest::keyClick(control(focused[i % 4]), letters[i]);
        const QString p = QString::number(hertz[i]);
        EXPECT_EQ(readouts(), p + " " + p + " " + p) << letters[i];
        EXPECT_EQ(control<QSlider>("VScroll1")->value(), hertz[i]);
        EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 0"})) << letters[i];
    }
    // Oscillators 2 and 3 follow with their offsets; the sound is the synthesis of those pitches.
    control<QSlider>("VScroll2")->setValue(12);
    control<QSlider>("VScroll3")->setValue(-10);
    control("Play")->setFocus();
    QTest::keyClick(control("Play"), Qt::Key_D, Qt::ShiftModifier);
    EXPECT_EQ(readouts(), "110 122 100");
    EXPECT_EQ(log_->voices[1], expectedVoice(pitches(110, 122, 100), 1));
    QTest::keyClick(control("Play"), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(readouts(), "98 110 88");
    takeEvents();
    control("VScroll1")->setFocus();
    for (Qt::Key other : {Qt::Key_1, Qt::Key_Space, Qt::Key_Left, Qt::Key_Escape}) {
        QTest::keyClick(control("VScroll1"), other);
    }
    click("CmdOsc2");
    QTest::keyClick(topLevel("FrmOsc2"), Qt::Key_D);
    EXPECT_EQ(log_->count("write 0"), 0) << "only letters on the main window play";
}

TEST_F(MainWindowTest, PitchSlidersShowThePitchesWithoutSound) {
    control<QSlider>("VScroll1")->setValue(100);
    control<QSlider>("VScroll2")->setValue(-170);
    EXPECT_EQ(readouts(), "100 -70 100");
    control<QSlider>("VScroll2")->setValue(170);
    control<QSlider>("VScroll1")->setValue(1000);
    EXPECT_EQ(readouts(), "1000 1170 1000");
    control<QSlider>("VScroll1")->setValue(1);
    control<QSlider>("VScroll3")->setValue(-1);
    EXPECT_EQ(readouts(), "1 171 0");
    EXPECT_TRUE(log_->events.empty());
}

TEST_F(MainWindowTest, GenerateWritesEveryVoiceAndPlaysTheTickedOnes) {
    click("Play");
    EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 0"}));
    EXPECT_EQ(log_->voices[0], expectedVoice(pitches(98, 98, 98), 0));
    click("Check1(0)");
    click("Check1(2)");
    click("Play");
    EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 2"}));
    click("Check1(2)");
    click("Play");
    EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2"}));
}

TEST_F(MainWindowTest, ModulatorBoxesResetEveryOutputAndClosingAWindowDiscardsIt) {
    synth::Parameters p = pitches(98, 98, 98);
    click("ChkFm(2)");
    click("Play");
    p.modulator(1, 2) = {true, 2, 2};
    EXPECT_EQ(log_->voices[0], expectedVoice(p, 0));
    // Cleared, its output goes back to 1 with all the others: a plain sine again.
    click("ChkFm(2)");
    click("Play");
    EXPECT_EQ(log_->voices[0], expectedVoice(pitches(98, 98, 98), 0));

    click("CmdOsc2");
    QWidget* osc2 = topLevel("FrmOsc2");
    control<QScrollBar>("sliderFm(0)", osc2)->setValue(5);
    click("ChkFm(0)", osc2);
    click("Play");
    synth::Parameters q = pitches(98, 98, 98);
    q.modulator(2, 0) = {true, 5, 2};
    EXPECT_EQ(log_->voices[1], expectedVoice(q, 1));
    osc2->close();
    click("Play");
    EXPECT_EQ(log_->voices[1], expectedVoice(pitches(98, 98, 98), 1));
    click("CmdOsc2");
    EXPECT_EQ(control<QScrollBar>("sliderFm(0)", topLevel("FrmOsc2"))->value(), 2);
}

TEST_F(MainWindowTest, RepeatGeneratesUntilStopAndGoesOnAfterReset) {
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") >= 3; }));
    control<QSlider>("VScroll1")->setValue(200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return readouts() == "200 200 200"; }));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return log_->voices[0] == expectedVoice(pitches(200, 200, 200), 0); }));
    click("CmdReset");
    const Events reset{"stop 0", "stop 1", "stop 2", "close", "open"};
    const auto at = std::search(log_->events.begin(), log_->events.end(), reset.begin(), reset.end());
    EXPECT_NE(at, log_->events.end()) << "reset silences, releases, then opens";
    takeEvents();
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") >= 2; })) << "repeat goes on";
    click("Cmdstop");
    const std::size_t plays = log_->events.size();
    QTest::qWait(50);
    EXPECT_EQ(log_->events.size(), plays);

    // A failing tick ends the repetition and says so once.
    MessageBoxes boxes(QMessageBox::Ok);
    click("Cmdstart");
    log_->failNext = "write";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.seen.isEmpty(); }));
    QTest::qWait(50);
    ASSERT_EQ(boxes.seen.size(), 1);
    EXPECT_TRUE(boxes.seen[0].contains("could not use the sound output")) << boxes.seen[0].toStdString();
    EXPECT_TRUE(boxes.seen[0].contains("\"reset\"")) << boxes.seen[0].toStdString();
}

TEST_F(MainWindowTest, ExitAsksAndGoesOnAfterNoOrEndsAfterYes) {
    click("CmdOsc2");
    click("Cmdhelp");
    click("Cmdstart");
    {
        MessageBoxes no(QMessageBox::No);
        click("CmdExit");
        EXPECT_EQ(no.seen, QStringList{"Quit: Exit? [critical] [No default]"});
    }
    EXPECT_FALSE(topLevel("FrmOsc2")->isVisible());
    EXPECT_FALSE(topLevel("Dialog")->isVisible());
    EXPECT_FALSE(topLevel("FrmOsc3")->isVisible()) << "made hidden for the exit";
    EXPECT_TRUE(window_.isVisible());
    EXPECT_TRUE(control<QTimer>("Timer2")->isActive()) << "repeat goes on after No";
    click("Cmdstop");
    {
        // The question comes even when the sound output cannot be opened again.
        MessageBoxes no(QMessageBox::No);
        log_->failNext = "open";
        window_.close();
        ASSERT_EQ(no.seen.size(), 2);
        EXPECT_TRUE(no.seen[0].startsWith("Tarmel: Tarmel could not use the sound output"));
        EXPECT_EQ(no.seen[1], "Quit: Exit? [critical] [No default]");
    }
    MessageBoxes yes(QMessageBox::Yes);
    click("CmdExit");
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(MainWindowTest, KeyboardActiveShowsWhileTheMainWindowIsActive) {
    EXPECT_TRUE(control("Lblkeys")->isVisible());
    click("Cmdhelp");
    QWidget* help = topLevel("Dialog");
    ASSERT_TRUE(QTest::qWaitForWindowActive(help));
    EXPECT_FALSE(control("Lblkeys")->isVisible());
    click("Cmdhelp");
    EXPECT_EQ(topLevel("Dialog"), help) << "one help window";
    click("OKButton", help);
    EXPECT_FALSE(help->isVisible());
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    EXPECT_TRUE(control("Lblkeys")->isVisible());
}

} // namespace
} // namespace tarmel
