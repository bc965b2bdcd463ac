// Tests of the help window: texts to the last blank, frame, focus on "OK", hiding, signals.
#include "ui/HelpDialog.h"

#include "QtPrinters.h"
#include "ui/LineWidget.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace tarmel::ui {
namespace {

const char* const kParagraph1 =
    "Click on the main window of Tarmel and press any letter on your computers keyboard, "
    "just once. wait a second for the sound to be calculated. You will then hear a tone.";
const char* const kParagraph2 =
    "Tarmel has 3 main oscilators, The pitch of osc1 is determined by the slider named "
    "Osc1, or by pressing a key. The pitch of the other 2 oscilators are determined by "
    "osc1 and can be detuned with the sliders named Osc2 and Osc3. The check boxes "
    "below, switch them on and off. The volume envelope is a proportion of attack and "
    "decay  that can be set with the slider.";
const char* const kParagraph3 =
    "Each oscilator can be modulated by up to 5 seperate waveforms. These can be turned "
    "on or off by clicking the check boxes      named 1 - 5. Above and to the left are "
    "sliders named multiply and divide, they change the frequency and wavelength of the "
    "modulating oscilators.";
const char* const kParagraph4 =
    "Buttons. 'Reset' - stops and resets the sound buffers. 'Generate' -generates a "
    "sound to the current settings. 'Repeat' - plays and repeats a sound to the current "
    "settings. 'Stop' - stops the repeat. 'Osc2' - reveals Oscilator 2 Fm controls. "
    "'Osc3' - reveals Oscilator 3 Fm controls. 'Exit' - closes Tarmel.";

bool showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The label drawn with its own text and with the same text whose runs of blanks are folded.
bool blanksChangeTheDrawing(QLabel& label) {
    const QImage asIs = label.grab().toImage();
    const QString original = label.text();
    label.setText(original.simplified());
    const QImage folded = label.grab().toImage();
    label.setText(original);
    return asIs != folded;
}

TEST(HelpDialog, TextsAreExact) {
    HelpDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Tarmel Help");
    EXPECT_EQ(dialog.objectName(), "Dialog");
    EXPECT_EQ(dialog.label4()->text(), "Tarmel by Brennick");
    EXPECT_EQ(dialog.paragraph(0)->text(), kParagraph1);
    EXPECT_EQ(dialog.paragraph(1)->text(), kParagraph2);
    EXPECT_EQ(dialog.paragraph(2)->text(), kParagraph3);
    EXPECT_EQ(dialog.paragraph(3)->text(), kParagraph4);
    EXPECT_EQ(dialog.label1()->text(), "Brennick has made this sound generator for you. ");
    EXPECT_EQ(dialog.okButton()->text(), "OK");
    EXPECT_TRUE(dialog.paragraph(1)->text().contains("decay  that"));
    EXPECT_TRUE(dialog.paragraph(2)->text().contains("boxes      named"));
}

TEST(HelpDialog, ParagraphsShowEveryBlank) {
    HelpDialog dialog;
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(dialog.paragraph(k)->textFormat(), Qt::PlainText);
        EXPECT_TRUE(dialog.paragraph(k)->wordWrap());
    }
    EXPECT_TRUE(blanksChangeTheDrawing(*dialog.paragraph(1)));
    EXPECT_TRUE(blanksChangeTheDrawing(*dialog.paragraph(2)));
}

TEST(HelpDialog, ParagraphsFitTheirFixedBoxes) {
    HelpDialog dialog;
    for (int k = 0; k < 4; ++k) {
        QLabel* paragraph = dialog.paragraph(k);
        EXPECT_LE(paragraph->heightForWidth(paragraph->width()), paragraph->height()) << k;
    }
    const QFont byLine = dialog.label1()->font();
    EXPECT_LE(QFontMetrics(byLine).horizontalAdvance(dialog.label1()->text()),
              dialog.label1()->width());
}

TEST(HelpDialog, ControlsAtTheirPlaces) {
    HelpDialog dialog;
    EXPECT_EQ(dialog.label4()->geometry(), QRect(8, 8, 193, 17));
    EXPECT_EQ(dialog.paragraph(0)->geometry(), QRect(16, 40, 321, 49));
    EXPECT_EQ(dialog.paragraph(1)->geometry(), QRect(16, 96, 321, 81));
    EXPECT_EQ(dialog.paragraph(2)->geometry(), QRect(16, 184, 321, 57));
    EXPECT_EQ(dialog.paragraph(3)->geometry(), QRect(16, 248, 321, 65));
    EXPECT_EQ(dialog.label1()->geometry(), QRect(16, 328, 257, 17));
    EXPECT_EQ(dialog.okButton()->geometry(), QRect(280, 328, 57, 25));
    EXPECT_EQ(dialog.label3()->geometry(), QRect(136, 344, 129, 17));
    EXPECT_TRUE(dialog.label1()->alignment() & Qt::AlignHCenter);
    QList<QLine> drawn;
    for (const LineWidget* line : dialog.findChildren<LineWidget*>()) {
        drawn.append(line->line());
    }
    EXPECT_EQ(drawn.size(), 5);
    EXPECT_TRUE(drawn.contains(QLine(8, 32, 344, 32)));
    EXPECT_TRUE(drawn.contains(QLine(344, 32, 344, 360)));
    EXPECT_TRUE(drawn.contains(QLine(8, 360, 344, 360)));
    EXPECT_TRUE(drawn.contains(QLine(8, 360, 8, 32)));
    EXPECT_TRUE(drawn.contains(QLine(8, 320, 344, 320)));
}

TEST(HelpDialog, ColoursAndHeadingFont) {
    HelpDialog dialog;
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(64, 64, 64));
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(dialog.paragraph(k)->palette().color(QPalette::Window), QColor(128, 128, 128));
    }
    EXPECT_EQ(dialog.label1()->palette().color(QPalette::Window), QColor(64, 64, 64));
    EXPECT_EQ(dialog.label4()->palette().color(QPalette::Window), QColor(64, 64, 64));
    EXPECT_TRUE(dialog.label4()->font().bold());
    EXPECT_DOUBLE_EQ(dialog.label4()->font().pointSizeF(), 9.75);
    EXPECT_EQ(dialog.okButton()->palette().color(QPalette::Button), QColor(64, 64, 64));
}

TEST(HelpDialog, FixedDialogFrameAtItsStoredPlace) {
    HelpDialog dialog;
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.geometry(), QRect(184, 250, 353, 370));
    EXPECT_EQ(dialog.minimumSize(), QSize(353, 370));
    EXPECT_EQ(dialog.maximumSize(), QSize(353, 370));
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    dialog.resize(500, 500);
    EXPECT_EQ(dialog.size(), QSize(353, 370));
}

TEST(HelpDialog, OkHoldsTheFocusWhenShownAndHides) {
    HelpDialog dialog;
    ASSERT_TRUE(showActive(dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.okButton());
    QTest::keyClick(dialog.okButton(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.okButton()); // the only stop
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(showActive(dialog));
    EXPECT_EQ(dialog.paragraph(2)->text(), kParagraph3);
}

TEST(HelpDialog, ActivationIsReported) {
    HelpDialog dialog;
    QWidget other;
    ASSERT_TRUE(showActive(other));
    QSignalSpy activations(&dialog, &HelpDialog::activated);
    ASSERT_TRUE(showActive(dialog));
    EXPECT_EQ(activations.count(), 1);
}

TEST(HelpDialog, ClosingFromTheTitleBarReportsItAndDiscardsTheWindow) {
    QPointer<HelpDialog> dialog = new HelpDialog;
    ASSERT_TRUE(showActive(*dialog));
    QSignalSpy closed(dialog.data(), &HelpDialog::closedByUser);
    dialog->windowHandle()->close();
    EXPECT_EQ(closed.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

} // namespace
} // namespace tarmel::ui
