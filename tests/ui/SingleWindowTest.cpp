// Tests of the holder of secondary windows: one instance, made on first use, fresh after a close.
#include "ui/SingleWindow.h"

#include "ui/HelpDialog.h"
#include "ui/OscillatorWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace tarmel::ui {
namespace {

void closeFromTitleBar(QWidget& window) {
    window.windowHandle()->close();
}

void deleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class OscillatorHolder : public testing::Test {
protected:
    int made = 0;
    int wired = 0;
    SingleWindow<OscillatorWindow> holder{[this] {
                                              ++made;
                                              return new OscillatorWindow(2);
                                          },
                                          [this](OscillatorWindow&) { ++wired; }};
};

TEST_F(OscillatorHolder, NothingExistsBeforeTheFirstUse) {
    EXPECT_EQ(holder.existing(), nullptr);
    EXPECT_EQ(made, 0);
}

TEST_F(OscillatorHolder, ReadingCreatesTheWindowHiddenOnce) {
    OscillatorWindow& first = holder.get();
    EXPECT_FALSE(first.isVisible());
    EXPECT_EQ(&holder.get(), &first);
    EXPECT_EQ(holder.existing(), &first);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(wired, 1);
    EXPECT_EQ(first.bank(), synth::ModulatorBank{});
}

TEST_F(OscillatorHolder, HidingAWindowNeverMadeCreatesItHidden) {
    OscillatorWindow& window = holder.hide();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(made, 1);
}

TEST_F(OscillatorHolder, ShowingTwiceGivesOneActiveWindow) {
    OscillatorWindow& first = holder.show();
    OscillatorWindow& second = holder.show();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(first.isVisible());
    EXPECT_EQ(first.parentWidget(), nullptr);
    EXPECT_FALSE(first.isModal());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&first));
}

TEST_F(OscillatorHolder, ShowBringsAVisibleWindowToTheFront) {
    holder.show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    holder.show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&holder.get()));
}

TEST_F(OscillatorHolder, SettingsSurviveHideAndShow) {
    OscillatorWindow& window = holder.show();
    QTest::mouseClick(window.panel().chkFm(1), Qt::LeftButton);
    window.panel().sliderFm(1)->setValue(9);
    holder.hide();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(&holder.show(), &window);
    EXPECT_EQ(window.bank()[1], (synth::ModulatorSetting{true, 9, 2}));
}

TEST_F(OscillatorHolder, AfterACloseTheNextUseMakesAFreshWindowWithStartValues) {
    OscillatorWindow& window = holder.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(window.panel().chkFm(0), Qt::LeftButton);
    window.panel().sliderharmon(0)->setValue(16);
    closeFromTitleBar(window);
    // Forgotten at once, before the closed window is actually deleted.
    EXPECT_EQ(holder.existing(), nullptr);
    EXPECT_EQ(holder.get().bank(), synth::ModulatorBank{});
    EXPECT_FALSE(holder.get().isVisible());
    EXPECT_EQ(made, 2);
    EXPECT_EQ(wired, 2);
    deleteClosedWindows();
    EXPECT_NE(holder.existing(), nullptr);
}

TEST_F(OscillatorHolder, AWindowDeletedElsewhereIsMadeAgain) {
    delete &holder.get();
    EXPECT_EQ(holder.existing(), nullptr);
    holder.get();
    EXPECT_EQ(made, 2);
}

TEST(HelpHolder, OkHidesAndShowBringsTheSameWindowBack) {
    SingleWindow<HelpDialog> holder{[] { return new HelpDialog; }};
    HelpDialog& dialog = holder.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(&holder.show(), &dialog);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(HelpHolder, ClosedFromTheTitleBarAndShownAgain) {
    SingleWindow<HelpDialog> holder{[] { return new HelpDialog; }};
    HelpDialog& dialog = holder.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    closeFromTitleBar(dialog);
    EXPECT_EQ(holder.existing(), nullptr);
    HelpDialog& again = holder.show();
    EXPECT_TRUE(again.isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&again));
    deleteClosedWindows();
}

} // namespace
} // namespace tarmel::ui
