// The main window and its secondary windows, offscreen, on the recording sound output: what the
// user sees and hears through the controls. Expected sounds come from synth::generate, which the
// synthesis tests check against an independent implementation.
#include "app/MainWindow.h"

#include "RecordingOutput.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "ui/Controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << '"' << s.toStdString() << '"';
}

namespace tarmel {
namespace {

using Events = std::vector<std::string>;

// Answers every modal message box that comes up while it lives, and notes what each said; a
// file dialog is given the file.
class MessageBoxes {
public:
    explicit MessageBoxes(QMessageBox::StandardButton answer, const QString& file = {}) {
        timer_.callOnTimeout([this, answer, file] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->accept();
            }
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isVisible()) {
                seen << box->windowTitle() + ": " + box->text() +
                            (box->icon() == QMessageBox::Critical ? " [critical]" : "") +
                            (box->defaultButton() == box->button(QMessageBox::No) ? " [No]" : "");
                QAbstractButton* button = box->button(answer);
                (button != nullptr ? button : box->buttons().front())->click();
            }
        });
        timer_.start(5);
    }
    QStringList seen;

private:
    QTimer timer_;
};

// The program's top-level window of that name; windows closed by the user are gone first.
QWidget* topLevel(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList all = QApplication::topLevelWidgets();
    const auto it = std::find_if(
        all.begin(), all.end(), [&](QWidget* w) { return w->objectName() == QLatin1String(name); });
    return it != all.end() ? *it : nullptr;
}

std::vector<int16_t> expectedVoice(int16_t p1, int16_t p2, int16_t p3, int voice,
                                   std::optional<std::array<int, 4>> modulator = {}) {
    synth::Parameters p;
    p.pitch1 = p1;
    p.pitch2 = p2;
    p.pitch3 = p3;
    if (modulator) { // oscillator, index, F, H
        const auto [osc, index, F, H] = *modulator;
        p.modulator(osc, index) = {true, static_cast<int16_t>(F), static_cast<int16_t>(H)};
    }
    synth::SynthState state;
    auto waves = std::make_unique<synth::Waves>();
    synth::generate(p, state, *waves);
    const auto& w = (*waves)[static_cast<std::size_t>(voice)];
    return {w.begin(), w.begin() + audio::kVoiceFrames};
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    template <class T = QWidget> T* control(const QString& name, const QWidget* in = nullptr) {
        return ui::child<T>(in != nullptr ? *in : window_, name);
    }
    void click(const QString& name, const QWidget* in = nullptr) {
        QTest::mouseClick(control<QAbstractButton>(name, in), Qt::LeftButton);
    }
    void setValue(const char* name, int value) { control<QAbstractSlider>(name)->setValue(value); }
    QString readouts() {
        return control<QLabel>("Lblos1(0)")->text() + " " + control<QLabel>("Lblos1(1)")->text() +
               " " + control<QLabel>("Lblos1(2)")->text();
    }
    Events takeEvents() { return std::exchange(log_->events, {}); }

    std::shared_ptr<test::SoundLog> log_ = std::make_shared<test::SoundLog>();
    app::MainWindow window_{test::recordingOutputs(log_)};
};

TEST_F(MainWindowTest, StartsFromTheLayoutTableAndTheStartValues) {
    EXPECT_EQ(takeEvents(), Events{"open"});
    click("CmdOsc3");
    click("Cmdhelp");
    for (const ui::WindowLayout* layout :
         {&ui::mainWindowLayout(), &ui::oscillatorWindowLayout(3), &ui::helpWindowLayout()}) {
        const QWidget* window = topLevel(std::string(layout->name).c_str());
        ASSERT_NE(window, nullptr) << layout->name;
        EXPECT_EQ(window->windowTitle().toStdString(), layout->caption);
        std::map<int, QWidget*> focusOrder;
        for (const ui::ControlLayout& c : layout->controls) {
            auto* w = ui::child<QWidget>(
                *window, QString::fromUtf8(c.name.data(), qsizetype(c.name.size())));
            EXPECT_EQ(w->geometry(), ui::toPixels(c.at)) << c.name;
            const auto* label = qobject_cast<const QLabel*>(w);
            const auto* button = qobject_cast<const QAbstractButton*>(w);
            if (!c.text.empty()) {
                EXPECT_EQ((label ? label->text() : button->text()).toStdString(), c.text);
            }
            if (w->focusPolicy() & Qt::TabFocus) {
                focusOrder[c.tab] = w;
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
    // The documented structure, from outside the table: each modulator's ratio bar stands above
    // its box in columns 600 twips (40 pixels) apart, each multiplier bar in the row of its
    // number, the pitch columns line up, the buttons form one column.
    for (const QWidget* w : {static_cast<QWidget*>(&window_), topLevel("FrmOsc3")}) {
        for (int i = 0; i < 5; ++i) {
            const auto at = [&](const char* name) {
                return control(QStringLiteral("%1(%2)").arg(name).arg(i), w)->pos();
            };
            EXPECT_EQ(at("ChkFm").x(), 176 + 40 * i);
            EXPECT_EQ(at("sliderharmon").x(), at("ChkFm").x());
            EXPECT_EQ(at("sliderFm").y(), at("Label1").y());
            EXPECT_EQ(at("Label1").y(), at("sliderharmon").y() + 24 * i);
        }
    }
    for (int k = 0; k < 3; ++k) {
        const int x = control(QStringLiteral("Check1(%1)").arg(k))->x();
        EXPECT_EQ(x, 384 + 48 * k);
        EXPECT_EQ(control(QStringLiteral("Label2(%1)").arg(k))->x(), x);
        EXPECT_EQ(control(QStringLiteral("Lblos1(%1)").arg(k))->x(), x);
    }
    QString captions;
    for (const auto& [name, x, y] :
         std::vector<std::tuple<const char*, int, int>>{{"CmdReset", 216, 16},
                                                        {"Play", 216, 40},
                                                        {"Cmdstart", 600, 40},
                                                        {"Cmdstop", 600, 80},
                                                        {"CmdOsc2", 600, 152},
                                                        {"CmdOsc3", 600, 176},
                                                        {"Cmdhelp", 600, 208},
                                                        {"CmdExit", 600, 240}}) {
        captions += control<QAbstractButton>(name)->text() + " ";
        EXPECT_EQ(control(name)->pos(), QPoint(x, y)) << name;
    }
    EXPECT_EQ(captions, "reset generate repeat stop Osc2 Osc3 Help Exit ");
    EXPECT_EQ(control<QLabel>("Label7")->alignment(), Qt::AlignRight | Qt::AlignTop);
    EXPECT_EQ(control<QLabel>("Lblos1(1)")->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    // A few places and texts checked against the documented layout.
    EXPECT_EQ(window_.size(), QSize(656, 272));
    EXPECT_EQ(control("Cmdstart")->geometry(), QRect(600, 40, 41, 33));
    EXPECT_EQ(control("sliderharmon(4)")->geometry(), QRect(336, 112, 17, 97));
    EXPECT_EQ(control("sliderFm(0)", topLevel("FrmOsc3"))->pos(), QPoint(24, 48));
    EXPECT_EQ(topLevel("Dialog")->geometry(), QRect(184, 250, 353, 370));
    EXPECT_TRUE(
        control<QLabel>("Label2(2)", topLevel("Dialog"))->text().contains("boxes      named"));
    EXPECT_TRUE(control<QLabel>("Label2(1)", topLevel("Dialog"))->text().contains("decay  that"));

    EXPECT_EQ(readouts(), "98 98 98");
    EXPECT_EQ(control<QSlider>("VScroll1")->value(), 98);
    EXPECT_EQ(control<QScrollBar>("sliderFm(1)")->minimum(), 2);
    EXPECT_EQ(control<QScrollBar>("sliderFm(3)")->minimum(), 0);
    EXPECT_EQ(control<QScrollBar>("sliderharmon(0)")->singleStep(), 2);
    for (const char* box : {"Check1(0)", "Check1(1)", "Check1(2)", "ChkFm(0)", "ChkFm(4)"}) {
        EXPECT_EQ(control<QAbstractButton>(box)->isChecked(), box == std::string("Check1(0)"));
    }
    log_->failNext = "open";
    app::MainWindow withoutSound(test::recordingOutputs(log_));
    EXPECT_THROW(withoutSound.load(), audio::SoundError);
}

TEST_F(MainWindowTest, LetterKeysSetPitchOneAndPlayAtOnce) {
    // The keyboard note map as documented: bottom, middle and top letter rows.
    const std::string letters = "ZXCVBNMASDFGHJKLQWERTYUIOP";
    const std::vector<int> hertz{65,  69,  73,  77,  82,  87,  92,  98,  104, 110, 116, 123, 130,
                                 138, 146, 155, 164, 174, 185, 196, 207, 220, 233, 246, 261, 277};
    takeEvents();
    const char* focused[] = {"Play", "sliderFm(2)", "VScroll2", "Check1(1)"};
    for (std::size_t i = 0; i < letters.size(); ++i) {
        control(focused[i % 4])->setFocus();
        QTest::keyClick(control(focused[i % 4]), letters[i]);
        const QString p = QString::number(hertz[i]);
        EXPECT_EQ(readouts(), p + " " + p + " " + p) << letters[i];
        EXPECT_EQ(control<QSlider>("VScroll1")->value(), hertz[i]);
        EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 0"})) << letters[i];
    }
    // The offset sliders only show pitches; a key plays oscillators 2 and 3 at their offsets.
    setValue("VScroll1", 100);
    setValue("VScroll2", -170);
    setValue("VScroll3", -99);
    EXPECT_EQ(readouts(), "100 -70 1");
    setValue("VScroll2", 12);
    setValue("VScroll3", -10);
    EXPECT_TRUE(log_->events.empty());
    control("Play")->setFocus();
    QTest::keyClick(control("Play"), Qt::Key_D, Qt::ShiftModifier);
    EXPECT_EQ(readouts(), "110 122 100");
    EXPECT_EQ(log_->voices[1], expectedVoice(110, 122, 100, 1));
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

TEST_F(MainWindowTest, GeneratePlaysTheTickedVoicesAndBoxClicksResetTheOutputs) {
    takeEvents();
    click("Play");
    EXPECT_EQ(takeEvents(), (Events{"write 0", "write 1", "write 2", "play 0"}));
    click("Check1(0)");
    click("Check1(2)");
    click("Play"); // the voices hold this very sound already
    EXPECT_EQ(takeEvents(), (Events{"play 2"}));

    click("ChkFm(2)");
    click("Play");
    EXPECT_EQ(log_->voices[0], expectedVoice(98, 98, 98, 0, {{1, 2, 2, 2}}));
    // Cleared, its output goes back to 1 with all the others: a plain sine again.
    click("ChkFm(2)");
    click("Play");
    EXPECT_EQ(log_->voices[0], expectedVoice(98, 98, 98, 0));

    click("CmdOsc2");
    QWidget* osc2 = topLevel("FrmOsc2");
    control<QScrollBar>("sliderFm(0)", osc2)->setValue(5);
    click("ChkFm(0)", osc2);
    click("Play");
    EXPECT_EQ(log_->voices[1], expectedVoice(98, 98, 98, 1, {{2, 0, 5, 2}}));
    // Closing a window discards its settings and resets the outputs.
    osc2->close();
    click("Play");
    EXPECT_EQ(log_->voices[1], expectedVoice(98, 98, 98, 1));
    click("CmdOsc2");
    EXPECT_EQ(control<QScrollBar>("sliderFm(0)", topLevel("FrmOsc2"))->value(), 2);
}

TEST_F(MainWindowTest, RepeatGeneratesUntilStopAndGoesOnAfterReset) {
    click("Cmdstart");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") >= 3; }));
    setValue("VScroll1", 200);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return log_->voices[0] == expectedVoice(200, 200, 200, 0); }));
    click("CmdReset");
    const Events reset{"stop 0", "stop 1", "stop 2", "close", "open"};
    EXPECT_NE(std::search(log_->events.begin(), log_->events.end(), reset.begin(), reset.end()),
              log_->events.end());
    takeEvents();
    EXPECT_TRUE(QTest::qWaitFor([&] { return log_->count("play 0") >= 2; })) << "repeat goes on";
    // Nothing changes: the sound the voices hold is played again, not computed again.
    QTest::qWait(50);
    EXPECT_EQ(log_->count("write 0"), 1);
    EXPECT_GT(log_->count("play 0"), 5);
    click("Cmdstop");
    const std::size_t events = log_->events.size();
    QTest::qWait(50);
    EXPECT_EQ(log_->events.size(), events);

    // A failing tick ends the repetition and says so once.
    MessageBoxes boxes(QMessageBox::Ok);
    click("Cmdstart");
    log_->failNext = "play";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.seen.isEmpty(); }));
    QTest::qWait(50);
    ASSERT_EQ(boxes.seen.size(), 1);
    EXPECT_TRUE(boxes.seen[0].contains("could not use the sound output")) << boxes.seen[0];
    EXPECT_TRUE(boxes.seen[0].contains("press \"reset\"")) << boxes.seen[0];
}

TEST_F(MainWindowTest, ExitAsksAndGoesOnAfterNoOrEndsAfterYes) {
    click("CmdOsc2");
    click("Cmdhelp");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !control("Lblkeys")->isVisible(); }))
        << "hidden while another window is active";
    click("Cmdstart");
    {
        MessageBoxes no(QMessageBox::No);
        click("CmdExit");
        EXPECT_EQ(no.seen, QStringList{"Quit: Exit? [critical] [No]"});
    }
    for (const char* name : {"FrmOsc2", "FrmOsc3", "Dialog"}) {
        EXPECT_FALSE(topLevel(name)->isVisible()) << name;
    }
    EXPECT_TRUE(window_.isVisible());
    EXPECT_TRUE(control<QTimer>("Timer2")->isActive()) << "repeat goes on after No";
    click("Cmdstop");
    window_.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return control("Lblkeys")->isVisible(); }));
    {
        // The question comes even when the sound output cannot be opened again.
        MessageBoxes no(QMessageBox::No);
        log_->failNext = "open";
        window_.close();
        ASSERT_EQ(no.seen.size(), 2);
        EXPECT_TRUE(no.seen[0].startsWith("Tarmel: Tarmel could not use the sound output"));
    }
    MessageBoxes yes(QMessageBox::Yes);
    click("CmdExit");
    EXPECT_FALSE(window_.isVisible());
}

void trigger(QWidget& window, const char* action) {
    for (QAction* a : window.actions()) {
        if (a->text() == QString::fromUtf8(action)) {
            a->trigger();
        }
    }
}

std::vector<int16_t> heard(const test::SoundLog& log, std::array<bool, 3> play) {
    std::vector<int16_t> mix(audio::kVoiceFrames);
    for (std::size_t n = 0; n < mix.size(); ++n) {
        const int sum = (play[0] ? log.voices[0][n] : 0) + (play[1] ? log.voices[1][n] : 0) +
                        (play[2] ? log.voices[2][n] : 0);
        mix[n] = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
    }
    return mix;
}

TEST_F(MainWindowTest, SettingsFilesCarryTheNextSoundAndExportsTheLastOne) {
    const QString dir = QDir::tempPath() + QStringLiteral("/tarmel-app-%1").arg(getpid());
    QDir().mkpath(dir);
    setValue("VScroll1", 146);
    setValue("VScroll3", -20);
    setValue("Sliderattack", 300);
    click("ChkFm(2)");
    click("Check1(2)");
    click("CmdOsc2");
    click("ChkFm(2)", topLevel("FrmOsc2")); // the random modulator: the state matters
    click("Play");
    {
        MessageBoxes answer(QMessageBox::Yes, dir + "/heard.wav");
        trigger(window_, "Export sound…");
    }
    EXPECT_EQ(files::readSoundFile((dir + "/heard.wav").toStdString()),
              heard(*log_, {true, false, true}));
    {
        MessageBoxes answer(QMessageBox::Yes, dir + "/a.tarmel");
        trigger(*topLevel("FrmOsc2"), "Save settings…");
    }
    click("Play");
    const auto next = log_->voices;

    // A second program opens the file by a drop and makes the same next sound.
    auto log = std::make_shared<test::SoundLog>();
    app::MainWindow other(test::recordingOutputs(log));
    other.load();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dir + "/a.tarmel")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&other, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&other, &drop);
    EXPECT_EQ(ui::child<QLabel>(other, "Lblos1(2)")->text(), "126");
    ui::child<QAbstractButton>(other, "Play")->click();
    EXPECT_EQ(log->voices, next);

    // tarmel-render makes the same sound from the file.
    const QString rendered = dir + "/rendered.wav";
    ASSERT_EQ(std::system(("'" TARMEL_RENDER_PATH "' --settings '" + dir.toStdString() +
                           "/a.tarmel' -o '" + rendered.toStdString() + "'")
                              .c_str()),
              0);
    EXPECT_EQ(files::readSoundFile(rendered.toStdString()), heard(*log, {true, false, true}));

    // A refused file changes nothing.
    const files::Settings before = files::readSettings((dir + "/a.tarmel").toStdString());
    QFile::copy(QStringLiteral(TARMEL_SETTINGS_CORPUS "/bad-ratio.tarmel"), dir + "/bad.tarmel");
    {
        MessageBoxes answer(QMessageBox::Ok, dir + "/bad.tarmel");
        trigger(window_, "Open settings…");
        ASSERT_EQ(answer.seen.size(), 1);
        EXPECT_TRUE(answer.seen[0].contains("bad.tarmel: line 12:")) << answer.seen[0];
    }
    {
        MessageBoxes save(QMessageBox::Yes, dir + "/b.tarmel");
        trigger(window_, "Save settings…");
    }
    files::Settings after = files::readSettings((dir + "/b.tarmel").toStdString());
    after.state = before.state; // the generation since the first save moved the state on
    EXPECT_EQ(after, before);
    QDir(dir).removeRecursively();
}

} // namespace
} // namespace tarmel
