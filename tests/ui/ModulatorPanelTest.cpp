// Tests of the modulator panel: ranges and steps of its bars, start values, layouts, clicks.
#include "ui/ModulatorPanel.h"

#include "QtPrinters.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace tarmel::ui {
namespace {

// Clicks the arrow of a scroll bar that moves towards its maximum or minimum.
void clickArrow(QScrollBar* bar, bool towardsMaximum) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    if (bar->orientation() == Qt::Horizontal) {
        option.state |= QStyle::State_Horizontal;
    }
    const QRect arrow = bar->style()->subControlRect(
        QStyle::CC_ScrollBar, &option,
        towardsMaximum ? QStyle::SC_ScrollBarAddLine : QStyle::SC_ScrollBarSubLine, bar);
    ASSERT_TRUE(arrow.isValid());
    QTest::mouseClick(bar, Qt::LeftButton, {}, arrow.center());
}

class PanelTest : public testing::TestWithParam<int> {
protected:
    // 1 is the main window's panel, 2 and 3 those of the oscillator windows.
    ModulatorPanelLayout layout() const {
        return GetParam() == 1 ? ModulatorPanelLayout::mainWindow()
                               : ModulatorPanelLayout::oscillatorWindow(GetParam());
    }

    QWidget window;
    ModulatorPanel panel{&window, layout()};
};

TEST_P(PanelTest, StartValues) {
    const synth::ModulatorBank start{};
    EXPECT_EQ(panel.bank(), start);
    for (int i = 0; i < ModulatorPanel::kCount; ++i) {
        EXPECT_FALSE(panel.chkFm(i)->isChecked());
        EXPECT_EQ(panel.sliderFm(i)->value(), 2);
        EXPECT_EQ(panel.sliderharmon(i)->value(), 2);
    }
}

TEST_P(PanelTest, ControlsBelongToTheWindowAndCarryTheirNames) {
    EXPECT_EQ(panel.parent(), &window);
    for (int i = 0; i < ModulatorPanel::kCount; ++i) {
        const QString n = QString::number(i);
        EXPECT_EQ(panel.chkFm(i)->parentWidget(), &window);
        EXPECT_EQ(panel.chkFm(i)->objectName(), "ChkFm(" + n + ")");
        EXPECT_EQ(panel.sliderFm(i)->objectName(), "sliderFm(" + n + ")");
        EXPECT_EQ(panel.sliderharmon(i)->objectName(), "sliderharmon(" + n + ")");
        EXPECT_EQ(panel.label1(i)->objectName(), "Label1(" + n + ")");
        EXPECT_EQ(panel.chkFm(i)->text(), QString::number(i + 1));
        EXPECT_EQ(panel.label1(i)->text(), QString::number(i + 1));
        EXPECT_EQ(panel.sliderFm(i)->orientation(), Qt::Horizontal);
        EXPECT_EQ(panel.sliderharmon(i)->orientation(), Qt::Vertical);
    }
    EXPECT_EQ(panel.label5()->text(), QStringLiteral("Fm harmonics Osc%1").arg(GetParam()));
    EXPECT_EQ(panel.divideLabel()->text(), "Divide");
    EXPECT_EQ(panel.divideLabel()->objectName(), "Label2(8)");
    EXPECT_EQ(panel.multiplyLabel()->text(), "Multiply");
    EXPECT_EQ(panel.multiplyLabel()->objectName(), "Label2(7)");
    EXPECT_EQ(panel.fmLabel()->text(), "Fm");
    EXPECT_EQ(panel.fmLabel()->objectName(), "Label2(6)");
    EXPECT_TRUE(panel.divideLabel()->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(panel.multiplyLabel()->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(panel.label5()->alignment() & Qt::AlignLeft);
}

TEST_P(PanelTest, MultiplierBarsReachZeroExceptTheSecond) {
    for (int i = 0; i < ModulatorPanel::kCount; ++i) {
        QScrollBar* bar = panel.sliderFm(i);
        EXPECT_EQ(bar->singleStep(), 1);
        EXPECT_EQ(bar->pageStep(), 2);
        for (int k = 0; k < 5; ++k) {
            bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        }
        EXPECT_EQ(bar->value(), i == 1 ? 2 : 0) << i;
        for (int k = 0; k < 12; ++k) {
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        }
        EXPECT_EQ(bar->value(), 10) << i;
    }
}

TEST_P(PanelTest, RatioBarsStepByTwoFromTwoToSixteen) {
    QScrollBar* bar = panel.sliderharmon(3);
    std::vector<int> seen{bar->value()};
    for (int k = 0; k < 9; ++k) {
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        seen.push_back(bar->value());
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 4, 6, 8, 10, 12, 14, 16, 16, 16}));
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(bar->value(), 14);
    for (int k = 0; k < 9; ++k) {
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    }
    EXPECT_EQ(bar->value(), 2);
}

TEST_P(PanelTest, ArrowClicksMoveTheBars) {
    window.show();
    clickArrow(panel.sliderharmon(0), true);
    clickArrow(panel.sliderharmon(0), true);
    clickArrow(panel.sliderFm(2), false);
    clickArrow(panel.sliderFm(1), false);
    EXPECT_EQ(panel.sliderharmon(0)->value(), 6);
    EXPECT_EQ(panel.sliderFm(2)->value(), 1);
    EXPECT_EQ(panel.sliderFm(1)->value(), 2);
}

TEST_P(PanelTest, DraggingTheThumbCanLeaveOddValues) {
    panel.sliderharmon(1)->setSliderPosition(7);
    panel.sliderFm(4)->setSliderPosition(9);
    EXPECT_EQ(panel.sliderharmon(1)->value(), 7);
    EXPECT_EQ(panel.bank()[1].H, 7);
    EXPECT_EQ(panel.bank()[4].F, 9);
}

TEST_P(PanelTest, BankReadsBoxesAndBars) {
    panel.chkFm(0)->setChecked(true);
    panel.chkFm(3)->setChecked(true);
    panel.sliderFm(3)->setValue(0);
    panel.sliderharmon(3)->setValue(16);
    panel.sliderFm(0)->setValue(10);
    const synth::ModulatorBank bank = panel.bank();
    EXPECT_EQ(bank[0], (synth::ModulatorSetting{true, 10, 2}));
    EXPECT_EQ(bank[1], (synth::ModulatorSetting{false, 2, 2}));
    EXPECT_EQ(bank[3], (synth::ModulatorSetting{true, 0, 16}));
}

TEST_P(PanelTest, UserClicksOnABoxAreReportedWithItsIndex) {
    window.show();
    QSignalSpy clicks(&panel, &ModulatorPanel::chkFmClicked);
    QTest::mouseClick(panel.chkFm(2), Qt::LeftButton);
    EXPECT_TRUE(panel.chkFm(2)->isChecked());
    QTest::mouseClick(panel.chkFm(2), Qt::LeftButton);
    EXPECT_FALSE(panel.chkFm(2)->isChecked());
    QTest::mouseClick(panel.chkFm(4), Qt::LeftButton);
    ASSERT_EQ(clicks.count(), 3);
    EXPECT_EQ(clicks.at(0).at(0).toInt(), 2);
    EXPECT_EQ(clicks.at(1).at(0).toInt(), 2);
    EXPECT_EQ(clicks.at(2).at(0).toInt(), 4);
}

TEST_P(PanelTest, ChangesFromCodeAreNotClicks) {
    QSignalSpy clicks(&panel, &ModulatorPanel::chkFmClicked);
    panel.chkFm(1)->setChecked(true);
    panel.chkFm(1)->setChecked(false);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_P(PanelTest, BarsFollowTheGridOfRowsAndColumns) {
    for (int i = 1; i < ModulatorPanel::kCount; ++i) {
        EXPECT_EQ(panel.sliderFm(i)->geometry(),
                  panel.sliderFm(0)->geometry().translated(0, 24 * i));
        EXPECT_EQ(panel.label1(i)->geometry(), panel.label1(0)->geometry().translated(0, 24 * i));
        EXPECT_EQ(panel.sliderharmon(i)->geometry(),
                  panel.sliderharmon(0)->geometry().translated(40 * i, 0));
        EXPECT_EQ(panel.chkFm(i)->geometry(), panel.chkFm(0)->geometry().translated(40 * i, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, PanelTest, testing::Values(1, 2, 3));

TEST(PanelLayout, MainWindowPixels) {
    QWidget window;
    ModulatorPanel panel(&window, ModulatorPanelLayout::mainWindow());
    EXPECT_EQ(panel.label5()->geometry(), QRect(24, 80, 105, 17));
    EXPECT_EQ(panel.divideLabel()->geometry(), QRect(232, 88, 65, 17));
    EXPECT_EQ(panel.sliderFm(2)->geometry(), QRect(24, 160, 113, 17));
    EXPECT_EQ(panel.label1(4)->geometry(), QRect(144, 208, 17, 17));
    EXPECT_EQ(panel.sliderharmon(4)->geometry(), QRect(336, 112, 17, 97));
    EXPECT_EQ(panel.multiplyLabel()->geometry(), QRect(56, 232, 49, 17));
    EXPECT_EQ(panel.fmLabel()->geometry(), QRect(152, 232, 17, 17));
    EXPECT_EQ(panel.chkFm(1)->geometry(), QRect(216, 232, 25, 17));
}

TEST(PanelLayout, OscillatorTwoPixels) {
    QWidget window;
    ModulatorPanel panel(&window, ModulatorPanelLayout::oscillatorWindow(2));
    EXPECT_EQ(panel.label5()->geometry(), QRect(24, 16, 105, 17));
    EXPECT_EQ(panel.divideLabel()->geometry(), QRect(232, 16, 65, 17));
    EXPECT_EQ(panel.sliderFm(0)->geometry(), QRect(24, 40, 113, 17));
    EXPECT_EQ(panel.label1(1)->geometry(), QRect(144, 64, 17, 17));
    EXPECT_EQ(panel.sliderharmon(2)->geometry(), QRect(256, 40, 17, 97));
    EXPECT_EQ(panel.multiplyLabel()->geometry(), QRect(56, 160, 49, 17));
    EXPECT_EQ(panel.fmLabel()->geometry(), QRect(152, 160, 17, 17));
    EXPECT_EQ(panel.chkFm(4)->geometry(), QRect(336, 160, 25, 17));
}

TEST(PanelLayout, OscillatorThreeShiftsBarsRowNumbersDivideAndMultiplyDown) {
    QWidget window2;
    QWidget window3;
    ModulatorPanel two(&window2, ModulatorPanelLayout::oscillatorWindow(2));
    ModulatorPanel three(&window3, ModulatorPanelLayout::oscillatorWindow(3));
    const int shift = 8; // 120 twips
    EXPECT_EQ(three.divideLabel()->geometry(), two.divideLabel()->geometry().translated(0, shift));
    EXPECT_EQ(three.multiplyLabel()->geometry(),
              two.multiplyLabel()->geometry().translated(0, shift));
    EXPECT_EQ(three.label5()->geometry(), two.label5()->geometry());
    EXPECT_EQ(three.fmLabel()->geometry(), two.fmLabel()->geometry());
    for (int i = 0; i < ModulatorPanel::kCount; ++i) {
        EXPECT_EQ(three.sliderFm(i)->geometry(), two.sliderFm(i)->geometry().translated(0, shift));
        EXPECT_EQ(three.label1(i)->geometry(), two.label1(i)->geometry().translated(0, shift));
        EXPECT_EQ(three.sliderharmon(i)->geometry(),
                  two.sliderharmon(i)->geometry().translated(0, shift));
        EXPECT_EQ(three.chkFm(i)->geometry(), two.chkFm(i)->geometry());
    }
}

} // namespace
} // namespace tarmel::ui
