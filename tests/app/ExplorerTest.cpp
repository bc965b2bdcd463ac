// Undo, redo, random, mutate, the presets and the sound matcher through the main window's menu
// and keys, offscreen on the recording sound output. Expected settings are the texts "Save
// settings…" wrote before. The undo history's own rules (merging, the redo steps dropped, the
// number of steps kept) and the preset library's (order, stepping round, file names, batch
// export's stop) are checked in the explore tests; here, that the window's doors reach them, and
// a refused preset file's message, which only the menu shows.
#include "MainWindowFixture.h"
#include "files/Normalise.h"
#include "files/SoundFile.h"
#include "sound/Controls.h"
#include "ui/SoundView.h"
#include "ui/Toast.h"

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
    // The entry of the main window's menu chosen, as test::choose does; the window active again.
    QStringList choose(const char* entry, const test::Answers& answers = {}) {
        const QStringList seen = test::choose(window_, QString::fromUtf8(entry), answers);
        QCoreApplication::processEvents();
        activate(&window_);
        return seen;
    }
    // The controls as "Save settings…" writes them; without the carried state unless asked.
    std::string saved(bool withState = false) {
        const QTemporaryDir dir;
        choose("Save settings…", {.file = dir.filePath("now.tarmel")});
        std::ifstream in(dir.filePath("now.tarmel").toStdString());
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        return withState ? text : text.substr(0, text.find("[state]"));
    }
};

// Each door is one step: a drag of a bar, a box, a file opened, random (which plays) and mutate.
// Undone by the key and redone by the menu; reset is no step. (What an undone box does to the
// outputs, and a closed window to its values, are the document's rules, checked there.)
TEST_F(ExplorerTest, UndoGivesBackEachEarlierSettingsFileAndRedoTheLaterOnes) {
    std::vector<std::string> texts{saved()};
    const auto step = [&] {
        texts.push_back(saved());
        EXPECT_NE(texts.back(), texts[texts.size() - 2]) << "step " << texts.size() - 1;
    };
    auto* envelope = control<QAbstractSlider>("Sliderattack");
    envelope->setSliderDown(true);
    envelope->setValue(300);
    envelope->setValue(900);
    envelope->setSliderDown(false);
    step();
    click("ChkFm(2)");
    step();
    choose("Open settings…", {.file = root.filePath("shipped/tarmel/presets/laser.tarmel")});
    step();
    window_.seedDraws(42);
    const int before = log_->count("play 0");
    choose("Random");
    EXPECT_EQ(log_->count("play 0"), before + 1) << "random plays";
    step();
    choose("Mutate");
    step();
    for (std::size_t i = texts.size() - 1; i-- > 0;) {
        QTest::keyClick(&window_, Qt::Key_Backspace, Qt::AltModifier);
        ASSERT_EQ(saved(), texts[i]) << "undo to step " << i;
    }
    EXPECT_FALSE(test::action(window_, "Undo")->isEnabled());
    for (std::size_t i = 1; i < texts.size(); ++i) {
        choose("Redo");
        ASSERT_EQ(saved(), texts[i]) << "redo to step " << i;
    }
    EXPECT_FALSE(test::action(window_, "Redo")->isEnabled());
    click("CmdReset");
    choose("Undo");
    EXPECT_EQ(saved(), texts[texts.size() - 2]) << "undo goes back past the reset";
}

// Alt+Page Down and Up open and play the next and the previous preset (Bells before Effects
// before My presets before Noise); which preset is on is said in a message. A preset saved joins
// the list from the user's folder; a bad file there is listed as refused, with its message.
TEST_F(ExplorerTest, PresetsOpenAndPlayFromTheKeysAndASavedOneJoinsThem) {
    const int before = log_->count("play 0");
    const auto press = [this](Qt::Key key, const char* preset) {
        QTest::keyClick(&window_, key, Qt::AltModifier);
        EXPECT_EQ(sound::Controls(files::parseSettings(saved(true), "saved")),
                  sound::Controls(files::readSettings(shipped() / preset)))
            << preset;
    };
    press(Qt::Key_PageDown, "tubular-bell.tarmel");
    press(Qt::Key_PageDown, "laser.tarmel");
    const auto* toast = window_.findChild<ui::Toast*>();
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(toast->text(), "Preset: Laser (Effects)");
    press(Qt::Key_PageUp, "tubular-bell.tarmel");
    EXPECT_EQ(toast->text(), "Preset: Tubular Bell (Bells)");
    EXPECT_EQ(log_->count("play 0"), before + 3);

    setValue("VScroll1", 123);
    choose("Save as preset…", {.text = "Mine"});
    const files::Settings mine = files::readSettings(user() / "mine.tarmel");
    EXPECT_EQ(std::tuple(mine.name, mine.category, mine.pitch1),
              std::tuple(std::string("Mine"), "My presets", 123));
    std::ofstream(user() / "bad.tarmel") << "version = 7\n";
    QMenu* presets = test::action(window_, "Presets")->menu();
    emit presets->aboutToShow();
    const QString seen = test::answering([presets] {
                             presets->actions().back()->menu()->actions().front()->trigger();
                         }).join('|');
    EXPECT_TRUE(seen.contains("bad.tarmel: line 1: version 7 is not supported")) << seen;
    activate(&window_);
    press(Qt::Key_PageDown, "snare-hit.tarmel"); // on from the preset saved
    press(Qt::Key_PageDown, "tubular-bell.tarmel");
}

// "Export all presets…" asks, writes each preset's second (normalised when the box is ticked: the
// gain's worked values are the normalise test's) while the window goes on, and reports;
// cancelled, every file written is whole and counted in the report.
TEST_F(ExplorerTest, ExportAllPresetsWritesEachPresetsSoundAndCancelKeepsWhatIsWhole) {
    const auto exportAll = [&](const QString& folder, bool normalise, bool cancel) {
        const auto progress = [cancel](QWidget& modal) {
            if (auto* dialog = qobject_cast<QProgressDialog*>(&modal); dialog && cancel) {
                dialog->findChild<QPushButton*>()->click();
            }
        };
        const auto reported = [](const QStringList& seen) { return seen.size() == 2; };
        return choose("Export all presets…",
                      {.file = folder, .tick = normalise, .other = progress, .until = reported});
    };
    const QTemporaryDir out;
    const std::string bell = out.filePath("tubular-bell.wav").toStdString();
    EXPECT_EQ(
        exportAll(out.path(), false, false),
        (QStringList{"Export all presets: Write the sounds of the 3 presets to " + out.path() + "?",
                     "Export all presets: 3 of 3 presets were exported to " + out.path() + "."}));
    const std::vector<int16_t> plain = files::readSoundFile(bell);
    EXPECT_EQ(plain.size(), 44100U);
    EXPECT_NE(files::normalised(plain), plain);
    EXPECT_EQ(exportAll(out.path(), true, false).value(0),
              "Export all presets: 3 of the 3 sound files exist in this folder. Replace them?");
    EXPECT_EQ(files::readSoundFile(bell), files::normalised(plain));

    fs::create_directories(user());
    for (const auto& entry : fs::directory_iterator(TARMEL_PRESETS_DIR)) {
        for (int copy = 0; copy < 4; ++copy) {
            fs::copy_file(entry.path(), user() / ("copy" + std::to_string(copy) + "-" +
                                                  entry.path().filename().string()));
        }
    }
    const QTemporaryDir many;
    const QStringList seen = exportAll(many.path(), false, true);
    const QDir folder(many.path());
    const QStringList written = folder.entryList({"*.wav"}, QDir::Files);
    EXPECT_TRUE(
        seen.value(1).contains(QStringLiteral("Export cancelled: %1 of ").arg(written.size())))
        << seen.join('|');
    EXPECT_EQ(folder.entryList(QDir::Files).size(), written.size()) << "no file half-written";
    for (const QString& file : written) {
        EXPECT_EQ(files::readSoundFile(folder.filePath(file).toStdString()).size(), 44100U);
    }
}

// "Match a sound…" searches while the window goes on, with an accessible progress dialog; a
// cancelled search changes nothing when the user says so, and otherwise its sound is applied as
// one step of undo and played, and its target shows in the Sound window.
TEST_F(ExplorerTest, MatchASoundRunsBesideTheWindowAndCancelChangesNothingIfAsked) {
    // A recording no setting makes exactly (noise from a fixed linear congruential sequence),
    // so that the search runs until it is cancelled.
    const QTemporaryDir dir;
    const QString target = dir.filePath("noise.wav");
    std::vector<int16_t> noise(44100);
    std::ranges::generate(noise, [x = 12345u]() mutable {
        x = x * 1664525u + 1013904223u;
        return static_cast<int16_t>(static_cast<int>(x >> 20) - 2048);
    });
    files::writeSoundFile(target.toStdString(), noise, true);
    // The search cancelled as soon as its progress shows, its sound kept or not as answered.
    const auto match = [&](QMessageBox::StandardButton keep) {
        QString dialogName;
        const auto cancel = [&](QWidget& modal) {
            if (auto* progress = qobject_cast<QProgressDialog*>(&modal)) {
                dialogName =
                    QAccessible::queryAccessibleInterface(progress)->text(QAccessible::Name);
                progress->findChild<QPushButton*>()->click();
            }
        };
        const auto answered = [](const QStringList& seen) { return !seen.isEmpty(); };
        const QStringList seen = choose(
            "Match a sound…", {.button = keep, .file = target, .other = cancel, .until = answered});
        EXPECT_TRUE(seen.value(0).contains("The search was cancelled")) << seen.join('|');
        EXPECT_EQ(dialogName, "Matching noise.wav");
    };
    const auto plays = [&] {
        return log_->count("play 0") + log_->count("play 1") + log_->count("play 2");
    };
    const std::string before = saved(true);
    const int playsBefore = plays();
    match(QMessageBox::No);
    EXPECT_EQ(saved(true), before) << "nothing changed";
    EXPECT_EQ(plays(), playsBefore);
    match(QMessageBox::Yes);
    const std::string controls = before.substr(0, before.find("[state]"));
    EXPECT_NE(saved(), controls);
    EXPECT_GT(plays(), playsBefore) << "the match plays";
    choose("Undo");
    EXPECT_EQ(saved(), controls) << "one step back";
    // The Sound window opened afterwards draws the recording's spectrum behind the sound.
    choose("Show sound view");
    auto* view = qobject_cast<ui::SoundView*>(test::topLevel("SoundView"));
    ASSERT_TRUE(view != nullptr && view->pictureView().target != nullptr);
    EXPECT_EQ(view->pictureView().target->levelDb,
              analysis::SpectrumAnalyser().analyse(noise).levelDb);
    view->close();
}

} // namespace
} // namespace tarmel
