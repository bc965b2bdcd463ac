// Repeat and stop: the timer makes a request at each tick, never before the first tick, and
// stops when asked, also while it repeats.
#include "AppTestSupport.h"

#include <QMouseEvent>

namespace tarmel::app::test {
namespace {

constexpr int kWaitMs = 20000;

class RepeatTest : public MainWindowTest {
protected:
    std::size_t generations() const { return calls(Kind::Play).size(); }
};

TEST_F(RepeatTest, RepeatMakesNoSoundByItselfOnlyTicksDo) {
    click("Cmdstart");
    EXPECT_TRUE(window->Timer2()->isActive());
    EXPECT_TRUE(record->calls.empty());
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 3, kWaitMs);
    EXPECT_EQ(calls(Kind::Write).size(), 3 * generations());
    click("Cmdstop");
}

TEST_F(RepeatTest, StopEndsTheRepetition) {
    click("Cmdstart");
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 1, kWaitMs);
    click("Cmdstop");
    EXPECT_FALSE(window->Timer2()->isActive());
    const std::size_t atStop = generations();
    QTest::qWait(50);
    EXPECT_EQ(generations(), atStop);
}

TEST_F(RepeatTest, StopClickArrivingDuringRepetitionIsHandledBeforeMoreTicks) {
    click("Cmdstart");
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 1, kWaitMs);
    // The click waits in the event queue, as a user's click made during a computation does.
    QPushButton* stop = button("Cmdstop");
    const QPoint centre = stop->rect().center();
    const QPoint global = stop->mapToGlobal(centre);
    QCoreApplication::postEvent(stop,
                                new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(stop,
                                new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    const std::size_t posted = generations();
    QTRY_VERIFY_WITH_TIMEOUT(!window->Timer2()->isActive(), kWaitMs);
    EXPECT_LE(generations(), posted + 1);
    const std::size_t stopped = generations();
    QTest::qWait(50);
    EXPECT_EQ(generations(), stopped);
}

TEST_F(RepeatTest, StopWhileIdleAndRepeatWhileRepeatingChangeNothing) {
    click("Cmdstop");
    EXPECT_FALSE(window->Timer2()->isActive());
    click("Cmdstart");
    click("Cmdstart");
    EXPECT_TRUE(window->Timer2()->isActive());
    click("Cmdstop");
    EXPECT_FALSE(window->Timer2()->isActive());
}

TEST_F(RepeatTest, SliderMovedWhileRepeatingIsHeardAtTheNextTick) {
    click("Cmdstart");
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 1, kWaitMs);
    slider("VScroll1")->setValue(300);
    const auto expected = expectedWaves(currentParameters(300));
    record->clear();
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 1, kWaitMs);
    click("Cmdstop");
    EXPECT_EQ(calls(Kind::Write)[0].data, heard((*expected)[0]));
}

TEST_F(RepeatTest, ResetWhileRepeatingSilencesAndTheNextTickPlaysOnNewBuffers) {
    click("Cmdstart");
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 1, kWaitMs);
    click("CmdReset");
    EXPECT_TRUE(window->Timer2()->isActive());
    EXPECT_EQ(objectsOf(Kind::Stop).size(), 3U);
    rememberBuffers();
    record->clear();
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 1, kWaitMs);
    click("Cmdstop");
    EXPECT_EQ(objectsOf(Kind::Play).front(), buffers[0]);
}

TEST_F(RepeatTest, FailingTickEndsTheRepetitionAndIsReportedOnce) {
    record->failOn = Kind::Write;
    click("Cmdstart");
    QTRY_VERIFY_WITH_TIMEOUT(!prompts->errors.empty(), kWaitMs);
    EXPECT_FALSE(window->Timer2()->isActive());
    QTest::qWait(50);
    EXPECT_EQ(prompts->errors.size(), 1U);
    // "repeat" starts it again.
    click("Cmdstart");
    QTRY_VERIFY_WITH_TIMEOUT(generations() >= 1, kWaitMs);
    click("Cmdstop");
}

} // namespace
} // namespace tarmel::app::test
