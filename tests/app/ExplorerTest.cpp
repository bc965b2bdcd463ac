// Undo, redo, random, mutate and the presets through the main window's menu and keys, offscreen
// on the recording sound output. Expected settings are the texts "Save settings…" wrote before.
#include "RecordingOutput.h"
#include "app/MainWindow.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "ui/Controls.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

namespace tarmel {
namespace {

namespace fs = std::filesystem;

// The folders of the presets, set before the window reads them.
struct PresetFolders {
    PresetFolders() {
        fs::create_directories(shipped() / "tarmel/presets");
        qputenv("XDG_DATA_DIRS", shipped().string().c_str());
        qputenv("XDG_DATA_HOME", (fs::path(root.path().toStdString()) / "home").string().c_str());
        for (const char* preset : {"laser", "tubular-bell", "snare-hit"}) {
            fs::copy_file(fs::path(TARMEL_PRESETS_DIR) / (std::string(preset) + ".tarmel"),
                          shipped() / "tarmel/presets" / (std::string(preset) + ".tarmel"));
        }
    }
    fs::path shipped() const { return fs::path(root.path().toStdString()) / "shipped"; }
    fs::path user() const { return fs::path(root.path().toStdString()) / "home/tarmel/presets"; }
    QTemporaryDir root;
};

class ExplorerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    QAction* action(const char* text) {
        for (QAction* a : window_.actions()) {
            if (a->text() == QString::fromUtf8(text)) {
                return a;
            }
        }
        ADD_FAILURE() << "no action " << text;
        return nullptr;
    }
    // Triggers the action, giving a file dialog the file, an input dialog the text and a
    // message box Yes; what the message boxes said.
    QStringList choose(const char* text, const QString& file = {}, const QString& input = {}) {
        QStringList seen;
        QTimer timer;
        timer.callOnTimeout([&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->accept();
            } else if (auto* dialog = qobject_cast<QInputDialog*>(modal)) {
                dialog->setTextValue(input);
                static_cast<QDialog*>(dialog)->accept();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal);
                       box != nullptr && box->isVisible()) {
                seen << box->text();
                QAbstractButton* yes = box->button(QMessageBox::Yes);
                (yes != nullptr ? yes : box->buttons().front())->click();
            }
        });
        timer.start(5);
        action(text)->trigger();
        QCoreApplication::processEvents();
        // The offscreen platform gives the activation back to no window after a dialog.
        window_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
        return seen;
    }
    template <class T = QWidget> T* control(const char* name, QWidget* in = nullptr) {
        return ui::child<T>(in != nullptr ? *in : window_, QString::fromUtf8(name));
    }
    // The controls as "Save settings…" writes them, without the carried state.
    std::string saved() {
        const QTemporaryDir dir;
        choose("Save settings…", dir.filePath("now.tarmel"));
        std::ifstream in(dir.filePath("now.tarmel").toStdString());
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(text.find("[state]"), std::string::npos);
        return text.substr(0, text.find("[state]"));
    }
    void settle() {
        QCoreApplication::processEvents();
        QTest::qWait(10);
    }

    PresetFolders folders_;
    std::shared_ptr<test::SoundLog> log_ = std::make_shared<test::SoundLog>();
    app::MainWindow window_{test::recordingOutputs(log_)};
};

TEST_F(ExplorerTest, UndoGivesBackEachEarlierSettingsFileAndRedoTheLaterOnes) {
    std::vector<std::string> texts{saved()};
    EXPECT_FALSE(action("Undo")->isEnabled());
    // A drag of the envelope bar: one step.
    auto* envelope = control<QAbstractSlider>("Sliderattack");
    envelope->setSliderDown(true);
    for (int v = 10; v <= 900; v += 10) {
        envelope->setValue(v);
        settle();
    }
    envelope->setSliderDown(false);
    texts.push_back(saved());
    // A held arrow key on the pitch slider: one step.
    auto* pitch = control<QAbstractSlider>("VScroll1");
    pitch->setFocus();
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(pitch, Qt::Key_Up);
        settle();
    }
    texts.push_back(saved());
    QTest::mouseClick(control<QAbstractButton>("ChkFm(2)"), Qt::LeftButton);
    texts.push_back(saved());
    // Oscillator 3's window: a box, then the window closed from its title bar.
    QTest::mouseClick(control<QAbstractButton>("CmdOsc3"), Qt::LeftButton);
    QWidget* osc3 = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        osc3 = w->objectName() == "FrmOsc3" && w->isVisible() ? w : osc3;
    }
    ASSERT_NE(osc3, nullptr);
    control<QAbstractSlider>("sliderFm(3)", osc3)->setValue(9);
    settle();
    texts.push_back(saved());
    QTest::mouseClick(control<QAbstractButton>("ChkFm(3)", osc3), Qt::LeftButton);
    texts.push_back(saved());
    osc3->close();
    settle();
    texts.push_back(saved());
    // A settings file opened, then random and mutate.
    const QTemporaryDir dir;
    files::Settings other;
    other.pitch1 = 440;
    other.modulators[0].on = true;
    files::writeSettings(dir.filePath("other.tarmel").toStdString(), other);
    choose("Open settings…", dir.filePath("other.tarmel"));
    texts.push_back(saved());
    window_.seedDraws(42);
    const int plays = log_->count("play 0");
    choose("Random");
    EXPECT_EQ(log_->count("play 0"), plays + 1) << "random plays";
    texts.push_back(saved());
    choose("Mutate");
    texts.push_back(saved());
    for (std::size_t i = 1; i < texts.size(); ++i) {
        ASSERT_NE(texts[i], texts[i - 1]) << "step " << i << " changed nothing";
    }
    // Undone by the key, then redone by the menu.
    for (std::size_t i = texts.size() - 1; i-- > 0;) {
        QSignalSpy spy(action("Undo"), &QAction::triggered);
        QTest::keyClick(&window_, Qt::Key_Backspace, Qt::AltModifier);
        ASSERT_EQ(spy.count(), 1) << "Alt+Backspace";
        ASSERT_EQ(saved(), texts[i]) << "undo to step " << i;
    }
    EXPECT_FALSE(action("Undo")->isEnabled());
    for (std::size_t i = 1; i < texts.size(); ++i) {
        choose("Redo");
        ASSERT_EQ(saved(), texts[i]) << "redo to step " << i;
    }
    EXPECT_FALSE(action("Redo")->isEnabled());
    // A change after an undo drops the steps that could be redone.
    QTest::keyClick(&window_, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_TRUE(action("Redo")->isEnabled());
    QTest::mouseClick(control<QAbstractButton>("Check1(2)"), Qt::LeftButton);
    settle();
    EXPECT_FALSE(action("Redo")->isEnabled());
    // Reset is no step.
    const std::string before = saved();
    QTest::mouseClick(control<QAbstractButton>("CmdReset"), Qt::LeftButton);
    settle();
    choose("Undo");
    EXPECT_EQ(saved(), texts[texts.size() - 2]) << "undo skipped reset to the change before";
    EXPECT_NE(before, texts[texts.size() - 2]);
}

TEST_F(ExplorerTest, PresetsOpenAndPlayFromTheKeysAndASavedOneJoinsThem) {
    // Alt+Page Down from the start: the first preset by category and name (Bells before Effects
    // before Noise), with its carried state; Alt+Page Up goes back round.
    const int plays = log_->count("play 0") + log_->count("play 1");
    // The controls and the start state of the sound just played: those of the preset.
    const auto controls = [](const files::Settings& s) {
        return std::tuple(s.pitch1, s.offsets, s.attack, s.modulators, s.play);
    };
    const auto savedControls = [this, &controls] {
        const QTemporaryDir dir;
        choose("Save settings…", dir.filePath("now.tarmel"));
        return controls(files::readSettings(dir.filePath("now.tarmel").toStdString()));
    };
    const auto controlsOf = [this, &controls](const char* preset) {
        return controls(files::readSettings(folders_.shipped() / "tarmel/presets" / preset));
    };
    QTest::keyClick(&window_, Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(savedControls(), controlsOf("tubular-bell.tarmel"));
    QTest::keyClick(&window_, Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(savedControls(), controlsOf("laser.tarmel"));
    QTest::keyClick(&window_, Qt::Key_PageUp, Qt::AltModifier);
    QTest::keyClick(&window_, Qt::Key_PageUp, Qt::AltModifier);
    EXPECT_EQ(savedControls(), controlsOf("snare-hit.tarmel"));
    EXPECT_EQ(log_->count("play 0") + log_->count("play 1"), plays + 4);
    // Saved as a preset: in the user's folder, listed under "My presets".
    control<QAbstractSlider>("VScroll1")->setValue(123);
    settle();
    choose("Save as preset…", {}, QStringLiteral("Ünïcode \"quoted\" & \\ mine"));
    const files::Settings mine = files::readSettings(folders_.user() / "n-code-quoted-mine.tarmel");
    EXPECT_EQ(
        std::tuple(mine.name, mine.category, mine.pitch1),
        std::tuple(std::string("Ünïcode \"quoted\" & \\ mine"), std::string("My presets"), 123));
    // A bad file in the user's folder is listed as refused and breaks nothing.
    std::ofstream(folders_.user() / "bad.tarmel") << "version = 7\n";
    QAction* menu = action("Presets");
    emit menu->menu()->aboutToShow();
    QStringList titles;
    for (QAction* a : menu->menu()->actions()) {
        titles << a->text();
    }
    EXPECT_EQ(titles, (QStringList{"Bells", "Effects", "My presets", "Noise", "Refused files"}));
    const QStringList seen = [&] {
        QMenu* refused = menu->menu()->actions().back()->menu();
        QStringList s;
        QTimer::singleShot(20, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                s << box->text();
                box->accept();
            }
        });
        refused->actions().front()->trigger();
        return s;
    }();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    ASSERT_EQ(seen.size(), 1);
    EXPECT_TRUE(seen[0].contains("bad.tarmel: line 1: version 7 is not supported"))
        << seen[0].toStdString();
    QTest::keyClick(&window_, Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(savedControls(), controlsOf("snare-hit.tarmel")) << "on from the preset saved";
    QTest::keyClick(&window_, Qt::Key_PageDown, Qt::AltModifier);
    EXPECT_EQ(savedControls(), controlsOf("tubular-bell.tarmel")) << "round the end";
}

TEST_F(ExplorerTest, ExportAllPresetsWritesEachPresetsSoundToTheChosenFolder) {
    const QTemporaryDir out;
    const QStringList said = choose("Export all presets…", out.path());
    ASSERT_EQ(said.size(), 1) << said.join('|').toStdString();
    EXPECT_EQ(said[0], QStringLiteral("3 of 3 presets were exported to %1.").arg(out.path()));
    for (const char* preset : {"laser", "tubular-bell", "snare-hit"}) {
        const fs::path file = fs::path(out.path().toStdString()) / (std::string(preset) + ".wav");
        EXPECT_EQ(files::readSoundFile(file).size(), 44100U) << file;
    }
    // Again: the files in the way are replaced after a question.
    const QStringList again = choose("Export all presets…", out.path());
    ASSERT_EQ(again.size(), 2) << again.join('|').toStdString();
    EXPECT_EQ(again[0], "3 of the 3 sound files exist in this folder. Replace them?");
}

} // namespace
} // namespace tarmel
