// A started main window on the recording sound layer, with message boxes that only record, and
// helpers to find its controls and to compute what a generation should produce.
#pragma once

#include "app/Frmtarmel.h"
#include "app/WindowSet.h"
#include "audio/RecordingSound.h"
#include "synth/Synthesizer.h"
#include "ui/ModulatorPanel.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarmel::app::test {

using audio::SoundCall;
using Kind = audio::SoundCall::Kind;

// What the main window's message boxes were asked, and how the exit question is answered.
struct PromptLog {
    std::vector<QString> errors;
    int exitQuestions = 0;
    bool answerYes = false;
    std::optional<int> endedWith;
};

inline Prompts recordingPrompts(std::shared_ptr<PromptLog> log) {
    Prompts prompts;
    prompts.showError = [log](const QString& message) { log->errors.push_back(message); };
    prompts.askExit = [log] {
        ++log->exitQuestions;
        return log->answerYes;
    };
    prompts.endProgram = [log](int status) { log->endedWith = status; };
    return prompts;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<Frmtarmel>(
            [record = record] { return audio::makeRecordingSoundSystem(record); });
        window->setPrompts(recordingPrompts(prompts));
        window->Form_Load();
        window->show();
        activate(*window);
        rememberBuffers();
        record->clear();
    }

    // The serial numbers of the three buffers the last InitSound made, oscillator 1 first.
    void rememberBuffers() {
        const auto made = record->callsOf(Kind::CreateBuffer);
        ASSERT_GE(made.size(), 3U);
        for (std::size_t i = 0; i < 3; ++i) {
            buffers[i] = made[made.size() - 3 + i].object;
        }
    }

    void TearDown() override { window.reset(); }

    static void activate(QWidget& w) {
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    template <class T> T* control(const char* name) const {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(name); }
    QLabel* label(const char* name) const { return control<QLabel>(name); }
    QSlider* slider(const char* name) const { return control<QSlider>(name); }
    QScrollBar* bar(const char* name) const { return control<QScrollBar>(name); }

    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    // The three read-outs as shown.
    std::vector<QString> readouts() const {
        return {label("Lblos1(0)")->text(), label("Lblos1(1)")->text(), label("Lblos1(2)")->text()};
    }

    // A key press as the user makes it: to the control that has the focus.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

    // The parameters a generation reads from the windows as they stand, with the pitches of
    // oscillators 2 and 3 following pitch1.
    synth::Parameters currentParameters(int16_t pitch1) const {
        synth::Parameters p;
        p.pitch1 = pitch1;
        p.pitch2 = static_cast<int16_t>(pitch1 + slider("VScroll2")->value());
        p.pitch3 = static_cast<int16_t>(pitch1 + slider("VScroll3")->value());
        p.attack = static_cast<int16_t>(bar("Sliderattack")->value());
        p.setBank(1, window->panel().bank());
        return p;
    }

    // The waves synth::generate computes for p from the window's present modulator state.
    std::unique_ptr<synth::Waves> expectedWaves(const synth::Parameters& p) const {
        auto waves = std::make_unique<synth::Waves>();
        synth::SynthState state = window->synthState();
        synth::generate(p, state, *waves);
        return waves;
    }

    static std::vector<int16_t> heard(const synth::Wave& wave) {
        return {wave.begin(), wave.begin() + synth::kBufferSamples};
    }

    std::vector<SoundCall> calls(Kind kind) const { return record->callsOf(kind); }

    // Leaves the output of oscillator 1's modulator index+1 other than 1, as a generation with
    // it on does, and switches it off again without a click.
    void dirtyOutputs(int index = 1) {
        QCheckBox* chk = window->panel().chkFm(index);
        chk->setChecked(true);
        click("Play");
        chk->setChecked(false);
        ASSERT_NE(window->synthState().modOut[static_cast<std::size_t>(index)], 1.0);
        record->clear();
    }

    void expectOutputsNeutral() const {
        for (double out : window->synthState().modOut) {
            EXPECT_EQ(out, 1.0);
        }
    }

    // The objects of the calls of one kind, in call order.
    std::vector<int> objectsOf(Kind kind) const {
        std::vector<int> objects;
        for (const SoundCall& c : record->callsOf(kind)) {
            objects.push_back(c.object);
        }
        return objects;
    }

    std::shared_ptr<audio::SoundRecord> record = std::make_shared<audio::SoundRecord>();
    std::array<int, 3> buffers{};
    std::shared_ptr<PromptLog> prompts = std::make_shared<PromptLog>();
    std::unique_ptr<Frmtarmel> window;
};

} // namespace tarmel::app::test
