// Tests of the twip unit, the window colours and the control factories.
#include "ui/Style.h"

#include "QtPrinters.h"
#include "ui/LineWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

namespace tarmel::ui {
namespace {

TEST(Twips, FifteenTwipsMakeOnePixel) {
    EXPECT_EQ(twipsToPixels(0), 0);
    EXPECT_EQ(twipsToPixels(15), 1);
    EXPECT_EQ(twipsToPixels(9840), 656);
    EXPECT_EQ(twipsToPixels(4080), 272);
}

TEST(Twips, RoundsToTheNearestPixel) {
    EXPECT_EQ(twipsToPixels(7), 0);
    EXPECT_EQ(twipsToPixels(8), 1);
    EXPECT_EQ(twipsToPixels(22), 1);
    EXPECT_EQ(twipsToPixels(23), 2);
    EXPECT_EQ(twipsToPixels(-8), -1);
    EXPECT_EQ(twipsToPixels(-7), 0);
}

TEST(Twips, RectangleFromLeftTopWidthHeight) {
    EXPECT_EQ(twipRect(360, 1680, 1695, 255), QRect(24, 112, 113, 17));
    EXPECT_EQ(toPixels({1605, 7110, 5655, 3135}), QRect(107, 474, 377, 209));
}

class Factories : public testing::Test {
protected:
    QWidget window;
};

TEST_F(Factories, LabelIsPlainTextAtItsPlace) {
    QLabel* label = makeLabel(&window, "Label5", "<b>Fm</b>  harmonics", {360, 240, 1575, 255});
    EXPECT_EQ(label->parent(), &window);
    EXPECT_EQ(label->objectName(), "Label5");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "<b>Fm</b>  harmonics");
    EXPECT_EQ(label->geometry(), QRect(24, 16, 105, 17));
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(64, 64, 64));
    EXPECT_TRUE(label->alignment() & Qt::AlignLeft);
    EXPECT_FALSE(label->wordWrap());
}

TEST_F(Factories, LabelStyleOptions) {
    QLabel* centred = makeLabel(&window, "a", "x", {}, LabelStyle{}.aligned(Align::Centre));
    QLabel* right = makeLabel(&window, "b", "x", {}, LabelStyle{}.aligned(Align::Right));
    QLabel* status = makeLabel(&window, "c", "x", {}, LabelStyle{}.coloured(statusGreen()));
    QLabel* bold = makeLabel(&window, "d", "x", {}, LabelStyle{}.bold(12));
    QLabel* grey = makeLabel(&window, "e", "x", {}, LabelStyle{}.onBackground(midGrey()).wrapped());

    EXPECT_TRUE(centred->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(right->alignment() & Qt::AlignRight);
    EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_TRUE(bold->font().bold());
    EXPECT_DOUBLE_EQ(bold->font().pointSizeF(), 12.0);
    EXPECT_EQ(bold->font().family(), "MS Sans Serif");
    EXPECT_EQ(grey->palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_TRUE(grey->wordWrap());
    EXPECT_FALSE(centred->font().bold());
}

TEST_F(Factories, ButtonHasADarkGreyFaceAndIsNoDefault) {
    QPushButton* button = makeButton(&window, "OKButton", "OK", {4200, 4920, 855, 375});
    EXPECT_EQ(button->text(), "OK");
    EXPECT_EQ(button->geometry(), QRect(280, 328, 57, 25));
    EXPECT_EQ(button->palette().color(QPalette::Button), QColor(64, 64, 64));
    EXPECT_FALSE(button->autoDefault());
}

TEST_F(Factories, CheckBoxKeepsTheSystemTextColour) {
    QCheckBox* box = makeCheckBox(&window, "ChkFm(0)", "1", {2640, 2400, 375, 255});
    EXPECT_EQ(box->text(), "1");
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(box->geometry(), QRect(176, 160, 25, 17));
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(64, 64, 64));
    EXPECT_EQ(box->palette().color(QPalette::WindowText),
              QWidget().palette().color(QPalette::WindowText));
}

TEST_F(Factories, ScrollBarRangeStepsAndFocus) {
    QScrollBar* bar =
        makeScrollBar(&window, "Sliderattack", Qt::Vertical, {8160, 960, 375, 2415},
                      {.minimum = 0, .maximum = 1500, .singleStep = 1, .pageStep = 1, .value = 0});
    EXPECT_EQ(bar->orientation(), Qt::Vertical);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 1500);
    EXPECT_EQ(bar->singleStep(), 1);
    EXPECT_EQ(bar->pageStep(), 1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->geometry(), QRect(544, 64, 25, 161));
    EXPECT_EQ(bar->focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(bar->invertedAppearance()); // minimum at the top
}

TEST_F(Factories, LinesCoverTheirTwoPointsAndLetClicksThrough) {
    LineWidget* across = makeLine(&window, "Line1", 120, 120, 5520, 120);
    LineWidget* down = makeLine(&window, "Line3", 5520, 3000, 5520, 120);
    EXPECT_EQ(across->line(), QLine(8, 8, 368, 8));
    EXPECT_EQ(across->geometry(), QRect(8, 8, 361, 1));
    EXPECT_EQ(down->line(), QLine(368, 200, 368, 8));
    EXPECT_EQ(down->geometry(), QRect(368, 8, 1, 193));
    EXPECT_TRUE(down->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(down->focusPolicy(), Qt::NoFocus);
}

TEST_F(Factories, LinePaintsItsPixels) {
    window.resize(40, 40);
    makeLine(&window, "Line", 150, 150, 450, 150); // (10,10) to (30,10)
    const QImage image = window.grab().toImage();
    const QColor ink = window.palette().color(QPalette::WindowText);
    EXPECT_EQ(image.pixelColor(10, 10), ink);
    EXPECT_EQ(image.pixelColor(20, 10), ink);
    EXPECT_EQ(image.pixelColor(30, 10), ink);
    EXPECT_NE(image.pixelColor(20, 12), ink);
}

TEST_F(Factories, ShrinkToFitOnlyWhenTheTextOverflows) {
    const QString text = "a paragraph long enough to need several lines in a narrow box";
    QLabel* roomy = makeLabel(&window, "a", text, {0, 0, 9000, 1500}, LabelStyle{}.wrapped());
    QLabel* tight = makeLabel(&window, "b", text, {0, 0, 1500, 600}, LabelStyle{}.wrapped());
    const double start = tight->font().pointSizeF();
    shrinkToFit(*roomy);
    shrinkToFit(*tight);
    EXPECT_DOUBLE_EQ(roomy->font().pointSizeF(), start);
    EXPECT_LT(tight->font().pointSizeF(), start);
    EXPECT_GE(tight->font().pointSizeF(), 6.0);
    EXPECT_LE(tight->heightForWidth(tight->width()), tight->height());
}

TEST_F(Factories, WindowBackgroundIsDarkGrey) {
    applyWindowBackground(window);
    EXPECT_TRUE(window.autoFillBackground());
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(64, 64, 64));
}

} // namespace
} // namespace tarmel::ui
