// Tests of the oscillator 2 and 3 windows: frame, place, focus order and their four signals.
#include "ui/OscillatorWindow.h"

#include "QtPrinters.h"
#include "ui/LineWidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace tarmel::ui {
namespace {

// Shows a window and waits until it is the active window.
bool showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Closes a window as its title bar's close box does: through the window system.
void closeFromTitleBar(QWidget& window) {
    ASSERT_NE(window.windowHandle(), nullptr);
    window.windowHandle()->close();
}

void deleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(OscillatorWindow, CaptionsAreExact) {
    OscillatorWindow two(2);
    OscillatorWindow three(3);
    EXPECT_EQ(two.windowTitle(), "Oscillator2");
    EXPECT_EQ(three.windowTitle(), "Oscilator3");
    EXPECT_EQ(two.objectName(), "FrmOsc2");
    EXPECT_EQ(three.objectName(), "FrmOsc3");
    EXPECT_EQ(two.panel().label5()->text(), "Fm harmonics Osc2");
    EXPECT_EQ(three.panel().label5()->text(), "Fm harmonics Osc3");
}

TEST(OscillatorWindow, ClientAreaAtItsStoredPlace) {
    OscillatorWindow two(2);
    OscillatorWindow three(3);
    EXPECT_EQ(two.geometry(), QRect(107, 474, 377, 209));
    EXPECT_EQ(three.geometry(), QRect(479, 474, 377, 209));
    two.show();
    EXPECT_EQ(two.geometry(), QRect(107, 474, 377, 209));
}

TEST(OscillatorWindow, TopLevelSizableWithoutMinimiseOrMaximise) {
    OscillatorWindow window(2);
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.parentWidget(), nullptr);
    EXPECT_FALSE(window.isVisible());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_NE(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(64, 64, 64));
    EXPECT_TRUE(window.autoFillBackground());
}

TEST(OscillatorWindow, CarriesTheApplicationIcon) {
    QPixmap glyph(32, 32);
    glyph.fill(Qt::green);
    QApplication::setWindowIcon(QIcon(glyph));
    OscillatorWindow window(3);
    EXPECT_EQ(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    QApplication::setWindowIcon(QIcon());
}

TEST(OscillatorWindow, ResizingMovesNoControl) {
    OscillatorWindow window(3);
    const QRect before = window.panel().sliderharmon(4)->geometry();
    window.resize(600, 400);
    EXPECT_EQ(window.panel().sliderharmon(4)->geometry(), before);
    window.resize(100, 80);
    EXPECT_EQ(window.panel().sliderharmon(4)->geometry(), before);
}

TEST(OscillatorWindow, WebAddressLabelAndFourFrameLines) {
    OscillatorWindow window(2);
    EXPECT_EQ(window.label3()->geometry(), QRect(232, 184, 129, 17));
    const auto lines = window.findChildren<LineWidget*>();
    ASSERT_EQ(lines.size(), 4);
    QList<QLine> drawn;
    for (const LineWidget* line : lines) {
        drawn.append(line->line());
    }
    EXPECT_TRUE(drawn.contains(QLine(8, 8, 368, 8)));
    EXPECT_TRUE(drawn.contains(QLine(368, 200, 368, 8)));
    EXPECT_TRUE(drawn.contains(QLine(8, 200, 368, 200)));
    EXPECT_TRUE(drawn.contains(QLine(8, 200, 8, 8)));
}

TEST(OscillatorWindow, StartsWithEveryModulatorOffAtTwoAndTwo) {
    OscillatorWindow window(3);
    EXPECT_EQ(window.bank(), synth::ModulatorBank{});
}

class OscillatorWindowShown : public testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_TRUE(showActive(window)); }

    OscillatorWindow window{GetParam()};
    ModulatorPanel& panel = window.panel();
};

TEST_P(OscillatorWindowShown, FocusStartsOnTheFifthBoxAndTabFollowsTheWindowOrder) {
    const std::vector<QWidget*> expected{
        panel.chkFm(4),        panel.sliderharmon(4), panel.sliderFm(4),     panel.sliderFm(3),
        panel.sliderharmon(3), panel.chkFm(3),        panel.chkFm(2),        panel.sliderharmon(2),
        panel.sliderFm(2),     panel.sliderFm(1),     panel.sliderharmon(1), panel.sliderharmon(0),
        panel.chkFm(1),        panel.chkFm(0),        panel.sliderFm(0),
        panel.chkFm(4), // and round again
    };
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    for (std::size_t k = 1; k < expected.size(); ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, expected);
}

TEST_P(OscillatorWindowShown, BoxClicksAreReportedWhetherTheyTickOrClear) {
    QSignalSpy clicks(&window, &OscillatorWindow::chkFmClicked);
    QTest::mouseClick(panel.chkFm(2), Qt::LeftButton);
    EXPECT_TRUE(window.bank()[2].on);
    QTest::mouseClick(panel.chkFm(2), Qt::LeftButton);
    EXPECT_FALSE(window.bank()[2].on);
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 2);
    EXPECT_EQ(clicks.at(1).at(0).toInt(), 2);
}

TEST_P(OscillatorWindowShown, ActivationIsReported) {
    OscillatorWindow other(GetParam() == 2 ? 3 : 2);
    ASSERT_TRUE(showActive(other));
    QSignalSpy activations(&window, &OscillatorWindow::activated);
    ASSERT_TRUE(showActive(window));
    EXPECT_EQ(activations.count(), 1);
}

TEST_P(OscillatorWindowShown, FocusMovingBetweenControlsIsNoWindowFocusLoss) {
    QSignalSpy lost(&window, &OscillatorWindow::windowLostFocus);
    panel.sliderFm(0)->setFocus(Qt::TabFocusReason);
    panel.chkFm(1)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(panel.chkFm(1), Qt::Key_Tab);
    EXPECT_EQ(lost.count(), 0);
}

TEST_P(OscillatorWindowShown, WindowFocusLossOnlyFromOscillatorTwo) {
    window.setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), &window);
    QSignalSpy lost(&window, &OscillatorWindow::windowLostFocus);
    panel.chkFm(0)->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(lost.count(), GetParam() == 2 ? 1 : 0);
}

TEST_P(OscillatorWindowShown, WindowFocusLossWhenAnotherWindowIsActivated) {
    window.setFocus(Qt::OtherFocusReason);
    QSignalSpy lost(&window, &OscillatorWindow::windowLostFocus);
    QWidget other;
    ASSERT_TRUE(showActive(other));
    EXPECT_EQ(lost.count(), GetParam() == 2 ? 1 : 0);
}

TEST_P(OscillatorWindowShown, HideAndShowKeepTheSettings) {
    QTest::mouseClick(panel.chkFm(3), Qt::LeftButton);
    panel.sliderFm(3)->setValue(7);
    panel.sliderharmon(0)->setValue(12);
    window.hide();
    ASSERT_TRUE(showActive(window));
    const synth::ModulatorBank bank = window.bank();
    EXPECT_EQ(bank[3], (synth::ModulatorSetting{true, 7, 2}));
    EXPECT_EQ(bank[0], (synth::ModulatorSetting{false, 2, 12}));
}

INSTANTIATE_TEST_SUITE_P(BothWindows, OscillatorWindowShown, testing::Values(2, 3));

TEST(OscillatorWindowClose, ClosingFromTheTitleBarReportsItAndDiscardsTheWindow) {
    QPointer<OscillatorWindow> window = new OscillatorWindow(3);
    ASSERT_TRUE(showActive(*window));
    QSignalSpy closed(window.data(), &OscillatorWindow::closedByUser);
    closeFromTitleBar(*window);
    EXPECT_EQ(closed.count(), 1);
    deleteClosedWindows();
    EXPECT_TRUE(window.isNull());
}

TEST(OscillatorWindowClose, HidingIsNoClose) {
    OscillatorWindow window(2);
    ASSERT_TRUE(showActive(window));
    QSignalSpy closed(&window, &OscillatorWindow::closedByUser);
    window.hide();
    EXPECT_EQ(closed.count(), 0);
}

} // namespace
} // namespace tarmel::ui
