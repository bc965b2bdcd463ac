// Undo, redo, random, mutate and the presets through the main window's menu and keys, offscreen
// on the recording sound output. Expected settings are the texts "Save settings…" wrote before.
#include "MainWindowFixture.h"
#include "files/SoundFile.h"
#include "sound/Controls.h"
#include "ui/Controls.h"
#include "ui/SoundView.h"
#include "ui/Toast.h"

#include <QtWidgets>
#include <cstdlib>
#include <fstream>

namespace tarmel {
namespace {

namespace fs = std::filesystem;

// The folders of the presets, set before the window reads them: a base before the window's.
struct PresetFolders {
    PresetFolders() {
        fs::create_directories(shipped());
        qputenv("XDG_DATA_DIRS", root.filePath("shipped").toUtf8());
        qputenv("XDG_DATA_HOME", root.filePath("home").toUtf8());
        for (const std::string file : {"laser.tarmel", "tubular-bell.tarmel", "snare-hit.tarmel"}) {
            fs::copy_file(fs::path(TARMEL_PRESETS_DIR) / file, shipped() / file);
        }
    }
    fs::path shipped() const { return root.filePath("shipped/tarmel/presets").toStdString(); }
    fs::path user() const { return root.filePath("home/tarmel/presets").toStdString(); }
    QTemporaryDir root;
};

class ExplorerTest : public PresetFolders, public test::MainWindowFixture {
protected:
    QAction* action(const char* text) {
        const QList<QAction*> all = window_.actions();
        const auto it = std::ranges::find_if(all, [&](QAction* a) { return a->text() == text; });
        return it != all.end() ? *it : nullptr;
    }
    // Triggers the action, giving a file dialog the file, an input dialog the text and a
    // message box Yes (or its only button); what the message boxes said.
    QStringList choose(QAction* action, const QString& file = {}, const QString& input = {}) {
        QStringList seen;
        QTimer timer;
        timer.callOnTimeout([&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                test::acceptFile(*dialog, file);
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
        action->trigger();
        QCoreApplication::processEvents();
        // The offscreen platform gives the activation back to no window after a dialog.
        window_.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
        return seen;
    }
    template <class T = QWidget> T* control(const char* name, QWidget* in = nullptr) {
        return ui::child<T>(in != nullptr ? *in : window_, QString::fromUtf8(name));
    }
    // The controls as "Save settings…" writes them; without the carried state unless asked.
    std::string saved(bool withState = false) {
        const QTemporaryDir dir;
        choose(action("Save settings…"), dir.filePath("now.tarmel"));
        std::ifstream in(dir.filePath("now.tarmel").toStdString());
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        return withState ? text : text.substr(0, text.find("[state]"));
    }
};

TEST_F(ExplorerTest, UndoGivesBackEachEarlierSettingsFileAndRedoTheLaterOnes) {
    std::vector<std::string> texts{saved()};
    const auto step = [&] {
        texts.push_back(saved());
        EXPECT_NE(texts.back(), texts[texts.size() - 2]) << "step " << texts.size() - 1;
    };
    // A drag of the envelope bar: one step.
    auto* envelope = control<QAbstractSlider>("Sliderattack");
    envelope->setSliderDown(true);
    for (int v = 10; v <= 900; v += 10) {
        envelope->setValue(v);
        QTest::qWait(10);
    }
    envelope->setSliderDown(false);
    step();
    QTest::mouseClick(control<QAbstractButton>("ChkFm(2)"), Qt::LeftButton);
    step();
    // Oscillator 3's window: a box, then the window closed from its title bar.
    QTest::mouseClick(control<QAbstractButton>("CmdOsc3"), Qt::LeftButton);
    QWidget* osc3 = test::topLevel("FrmOsc3");
    ASSERT_NE(osc3, nullptr);
    QTest::mouseClick(control<QAbstractButton>("ChkFm(3)", osc3), Qt::LeftButton);
    step();
    osc3->close();
    step();
    // A settings file opened, then random (which plays) and mutate.
    choose(action("Open settings…"), root.filePath("shipped/tarmel/presets/laser.tarmel"));
    step();
    window_.seedDraws(42);
    const int plays = log_->count("play 0");
    choose(action("Random"));
    EXPECT_EQ(log_->count("play 0"), plays + 1) << "random plays";
    step();
    choose(action("Mutate"));
    step();
    // Undone by the key, then redone by the menu.
    for (std::size_t i = texts.size() - 1; i-- > 0;) {
        QTest::keyClick(&window_, Qt::Key_Backspace, Qt::AltModifier);
        ASSERT_EQ(saved(), texts[i]) << "undo to step " << i;
    }
    EXPECT_FALSE(action("Undo")->isEnabled());
    for (std::size_t i = 1; i < texts.size(); ++i) {
        choose(action("Redo"));
        ASSERT_EQ(saved(), texts[i]) << "redo to step " << i;
    }
    EXPECT_FALSE(action("Redo")->isEnabled());
    // A change after an undo drops the steps that could be redone.
    QTest::keyClick(&window_, Qt::Key_Backspace, Qt::AltModifier);
    QTest::mouseClick(control<QAbstractButton>("Check1(2)"), Qt::LeftButton);
    QTest::qWait(10);
    EXPECT_FALSE(action("Redo")->isEnabled());
    // Reset is no step: undo goes back past it to before the change.
    QTest::mouseClick(control<QAbstractButton>("CmdReset"), Qt::LeftButton);
    QTest::qWait(10);
    choose(action("Undo"));
    EXPECT_EQ(saved(), texts[texts.size() - 2]);
}

TEST_F(ExplorerTest, PresetsOpenAndPlayFromTheKeysAndASavedOneJoinsThem) {
    // Alt+Page Down and Up step through the presets by category and name (Bells before Effects
    // before Noise), round both ends, each opened and played.
    const int plays = log_->count("play 0") + log_->count("play 1");
    const auto press = [this](Qt::Key key, const char* preset) {
        QTest::keyClick(&window_, key, Qt::AltModifier);
        EXPECT_EQ(sound::Controls(files::parseSettings(saved(true), "saved")),
                  sound::Controls(files::readSettings(shipped() / preset)))
            << preset;
    };
    press(Qt::Key_PageDown, "tubular-bell.tarmel");
    press(Qt::Key_PageDown, "laser.tarmel");
    // Which preset is on: said in a message, and ticked in the menu, alone.
    const auto* toast = window_.findChild<ui::Toast*>();
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(toast->text(), "Preset: Laser (Effects)");
    QMenu* presets = action("Presets")->menu();
    emit presets->aboutToShow();
    QStringList ticked;
    for (const QAction* category : presets->actions()) {
        for (const QAction* preset : category->menu()->actions()) {
            if (preset->isChecked()) {
                ticked << category->text() + "/" + preset->text();
            }
        }
    }
    EXPECT_EQ(ticked, QStringList{"Effects/Laser"});
    press(Qt::Key_PageUp, "tubular-bell.tarmel");
    EXPECT_EQ(toast->text(), "Preset: Tubular Bell (Bells)");
    press(Qt::Key_PageUp, "snare-hit.tarmel");
    EXPECT_EQ(log_->count("play 0") + log_->count("play 1"), plays + 4);
    // Saved as a preset: in the user's folder, listed under "My presets".
    control<QAbstractSlider>("VScroll1")->setValue(123);
    choose(action("Save as preset…"), {}, QStringLiteral("Ünïcode \"quoted\" & \\ mine"));
    const files::Settings mine = files::readSettings(user() / "n-code-quoted-mine.tarmel");
    EXPECT_EQ(std::tuple(mine.name, mine.category, mine.pitch1),
              std::tuple(std::string("Ünïcode \"quoted\" & \\ mine"), "My presets", 123));
    // A bad file in the user's folder is listed as refused with its message and breaks nothing.
    std::ofstream(user() / "bad.tarmel") << "version = 7\n";
    QMenu* menu = action("Presets")->menu();
    emit menu->aboutToShow();
    const QString seen = choose(menu->actions().back()->menu()->actions().front()).join('|');
    EXPECT_TRUE(seen.contains("bad.tarmel: line 1: version 7 is not supported"))
        << seen.toStdString();
    press(Qt::Key_PageDown, "snare-hit.tarmel"); // on from the preset saved
    press(Qt::Key_PageDown, "tubular-bell.tarmel");
}

// Exports all presets to folder, ticking the normalise box as asked and cancelling the progress
// when asked; what the message boxes said, the last the report, which comes once the export ran
// on while the window went on.
QStringList exportAll(QAction* action, const QString& folder, bool normalise, bool cancel) {
    QStringList seen;
    bool reported = false;
    bool progressShown = false;
    QTimer timer;
    timer.callOnTimeout([&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            test::acceptFile(*dialog, folder);
        } else if (auto* box = qobject_cast<QMessageBox*>(modal);
                   box != nullptr && box->isVisible()) {
            seen << box->text();
            if (box->checkBox() != nullptr) {
                box->checkBox()->setChecked(normalise);
            } else {
                reported = true;
            }
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            (yes != nullptr ? yes : box->buttons().front())->click();
        } else if (auto* progress = qobject_cast<QProgressDialog*>(modal)) {
            progressShown = true;
            if (cancel) {
                progress->findChild<QPushButton*>()->click();
            }
        }
    });
    timer.start(5);
    action->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reported; }, 30000));
    EXPECT_TRUE(progressShown || !cancel);
    return seen;
}

int peakOf(const QString& file) {
    int peak = 0;
    for (int16_t v : files::readSoundFile(file.toStdString())) {
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    }
    return peak;
}

TEST_F(ExplorerTest, ExportAllPresetsWritesEachPresetsSoundAndCancelKeepsWhatIsWhole) {
    const QTemporaryDir out;
    EXPECT_EQ(
        exportAll(action("Export all presets…"), out.path(), false, false),
        (QStringList{QStringLiteral("Write the sounds of the 3 presets to %1?").arg(out.path()),
                     QStringLiteral("3 of 3 presets were exported to %1.").arg(out.path())}));
    const QString bell = out.filePath("tubular-bell.wav");
    EXPECT_EQ(files::readSoundFile(bell.toStdString()).size(), 44100U);
    EXPECT_LT(peakOf(bell), 29204);
    // Again, normalised: the files in the way are replaced after a question, each loudest at
    // 32767 * 10^(-1/20) = 29203.6, rounded.
    EXPECT_EQ(exportAll(action("Export all presets…"), out.path(), true, false).value(0),
              "3 of the 3 sound files exist in this folder. Replace them?");
    EXPECT_EQ(peakOf(bell), 29204);

    // Many presets, cancelled at once: the window goes on, and every file written is whole and
    // counted in the report.
    fs::create_directories(user());
    for (const auto& entry : fs::directory_iterator(TARMEL_PRESETS_DIR)) {
        for (int copy = 0; copy < 4; ++copy) {
            fs::copy_file(entry.path(), user() / ("copy" + std::to_string(copy) + "-" +
                                                  entry.path().filename().string()));
        }
    }
    const QTemporaryDir many;
    const QStringList seen = exportAll(action("Export all presets…"), many.path(), false, true);
    const QDir folder(many.path());
    const QStringList written = folder.entryList({"*.wav"}, QDir::Files);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(
        seen.back().startsWith(QStringLiteral("Export cancelled: %1 of ").arg(written.size())))
        << seen.back().toStdString();
    EXPECT_EQ(folder.entryList(QDir::Files).size(), written.size()) << "no file half-written";
    for (const QString& file : written) {
        EXPECT_EQ(files::readSoundFile(folder.filePath(file).toStdString()).size(), 44100U);
    }
}

// "Match a sound…" searches while the window goes on, with an accessible progress dialog; a
// cancelled search changes nothing when the user says so, and otherwise its sound is applied as
// one step of undo and played.
TEST_F(ExplorerTest, MatchASoundRunsBesideTheWindowAndCancelChangesNothingIfAsked) {
    // A recording no setting makes exactly (noise from a fixed linear congruential sequence),
    // so that the search runs until it is cancelled.
    const QTemporaryDir dir;
    const QString target = dir.filePath("noise.wav");
    std::vector<int16_t> noise(44100);
    uint32_t x = 12345;
    for (auto& v : noise) {
        x = x * 1664525u + 1013904223u;
        v = static_cast<int16_t>(static_cast<int>(x >> 20) - 2048);
    }
    files::writeSoundFile(target.toStdString(), noise, true);
    const std::string before = saved(true);
    for (const bool keep : {false, true}) {
        const int plays = log_->count("play 0") + log_->count("play 1") + log_->count("play 2");
        QString dialogName;
        bool asked = false;
        QTimer timer;
        timer.callOnTimeout([&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                test::acceptFile(*dialog, target);
            } else if (auto* progress = qobject_cast<QProgressDialog*>(modal)) {
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(progress);
                dialogName = a->text(QAccessible::Name);
                progress->findChild<QPushButton*>()->click();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal);
                       box != nullptr && box->isVisible()) {
                asked = box->text().startsWith("The search was cancelled");
                box->button(keep ? QMessageBox::Yes : QMessageBox::No)->click();
            }
        });
        timer.start(5);
        action("Match a sound…")->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return asked; }, 30000));
        timer.stop();
        QTest::qWait(20);
        EXPECT_EQ(dialogName, "Matching noise.wav");
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        const int played =
            log_->count("play 0") + log_->count("play 1") + log_->count("play 2") - plays;
        if (!keep) {
            EXPECT_EQ(saved(true), before) << "nothing changed";
            EXPECT_EQ(played, 0);
        } else {
            EXPECT_NE(saved(), before.substr(0, before.find("[state]")));
            EXPECT_GE(played, 1) << "the match plays";
            // One step back is where the search began.
            choose(action("Undo"));
            EXPECT_EQ(saved(), before.substr(0, before.find("[state]")));
            // The Sound window draws the recording's spectrum behind the sound.
            action("Show sound view")->trigger();
            auto* view = qobject_cast<ui::SoundView*>(test::topLevel("SoundView"));
            ASSERT_NE(view, nullptr);
            ASSERT_NE(view->pictureView().target, nullptr);
            analysis::SpectrumAnalyser analyser;
            EXPECT_EQ(view->pictureView().target->levelDb, analyser.analyse(noise).levelDb);
            view->close();
        }
    }
}

} // namespace
} // namespace tarmel
