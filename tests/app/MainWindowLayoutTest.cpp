// The main window as it opens: caption, size, frame, controls with their text, place, range,
// steps and start state, colours, fonts, lines, artwork and focus order.
#include "AppTestSupport.h"
#include "app/Artwork.h"
#include "ui/LineWidget.h"
#include "ui/Style.h"
#include "ui/Twips.h"

#include <QFile>

namespace tarmel::app::test {
namespace {

using ui::twipRect;

TEST_F(MainWindowTest, WindowHasCaptionClientSizeAndFrameWithoutMinimiseOrMaximise) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Brennick  Tarmel1.0"));
    EXPECT_EQ(window->size(), QSize(656, 272));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(64, 64, 64));
}

TEST_F(MainWindowTest, ControlsHaveTheirTextAndPlaceInTwips) {
    struct Expected {
        const char* name;
        const char* text;
        QRect at;
    };
    const std::vector<Expected> buttons{
        {"CmdReset", "reset", twipRect(3240, 240, 975, 255)},
        {"Play", "generate", twipRect(3240, 600, 975, 375)},
        {"Cmdstart", "repeat", twipRect(9000, 600, 615, 495)},
        {"Cmdstop", "stop", twipRect(9000, 1200, 615, 495)},
        {"CmdOsc2", "Osc2", twipRect(9000, 2280, 615, 255)},
        {"CmdOsc3", "Osc3", twipRect(9000, 2640, 615, 255)},
        {"Cmdhelp", "Help", twipRect(9000, 3120, 615, 255)},
        {"CmdExit", "Exit", twipRect(9000, 3600, 615, 255)},
    };
    for (const Expected& e : buttons) {
        EXPECT_EQ(button(e.name)->text(), QString::fromLatin1(e.text)) << e.name;
        EXPECT_EQ(button(e.name)->geometry(), e.at) << e.name;
    }
    const std::vector<Expected> labels{
        {"Label7", "Quorvane", twipRect(1320, 780, 1575, 255)},
        {"Lblkeys", "Keyboard Active", twipRect(4320, 240, 1215, 255)},
        {"Label3", "Tone", twipRect(5760, 240, 375, 255)},
        {"Label2(4)", "-", twipRect(6840, 840, 375, 255)},
        {"Label2(5)", "0", twipRect(6840, 1920, 375, 255)},
        {"Label2(3)", "+", twipRect(6840, 2880, 375, 255)},
        {"Label2(0)", "Osc1", twipRect(5760, 3240, 375, 255)},
        {"Label2(1)", "Osc2", twipRect(6480, 3240, 375, 255)},
        {"Label2(2)", "Osc3", twipRect(7200, 3240, 375, 255)},
        {"Label6", "envelope", twipRect(7800, 240, 1095, 255)},
        {"Label4(1)", "decay", twipRect(8040, 600, 615, 255)},
        {"Label4(0)", "attack", twipRect(8040, 3480, 615, 255)},
        {"Label4(2)", "Timer", twipRect(9000, 240, 615, 255)},
        {"Label2(9)", "Fm", twipRect(9000, 1920, 615, 255)},
        {"Label5", "Fm harmonics Osc1", twipRect(360, 1200, 1575, 255)},
        {"Label2(8)", "Divide", twipRect(3480, 1320, 975, 255)},
        {"Label2(7)", "Multiply", twipRect(840, 3480, 735, 255)},
    };
    for (const Expected& e : labels) {
        EXPECT_EQ(label(e.name)->text(), QString::fromLatin1(e.text)) << e.name;
        EXPECT_EQ(label(e.name)->geometry(), e.at) << e.name;
    }
    EXPECT_EQ(slider("VScroll1")->geometry(), twipRect(5760, 840, 255, 2295));
    EXPECT_EQ(slider("VScroll2")->geometry(), twipRect(6480, 840, 375, 2295));
    EXPECT_EQ(slider("VScroll3")->geometry(), twipRect(7200, 840, 375, 2295));
    EXPECT_EQ(bar("Sliderattack")->geometry(), twipRect(8160, 960, 375, 2415));
    EXPECT_EQ(box("Check1(2)")->geometry(), twipRect(7200, 3480, 375, 255));
    EXPECT_EQ(box("Check1(2)")->text(), QStringLiteral("3"));
    EXPECT_EQ(bar("sliderFm(3)")->geometry(), twipRect(360, 1680 + 360 * 3, 1695, 255));
    EXPECT_EQ(bar("sliderharmon(4)")->geometry(), twipRect(2640 + 600 * 4, 1680, 255, 1455));
    EXPECT_EQ(box("ChkFm(1)")->geometry(), twipRect(3240, 3480, 375, 255));
    EXPECT_EQ(label("Picture1")->geometry(), twipRect(240, 240, 2670, 520));
}

TEST_F(MainWindowTest, PitchSlidersAreTrackBarsWithMinimumAtTopAndTicksOnTheRight) {
    struct Expected {
        const char* name;
        int minimum, maximum, tickInterval;
    };
    for (const Expected& e : std::vector<Expected>{{"VScroll1", 1, 1000, 340},
                                                   {"VScroll2", -170, 170, 170},
                                                   {"VScroll3", -170, 170, 170}}) {
        QSlider* s = slider(e.name);
        EXPECT_EQ(s->orientation(), Qt::Vertical) << e.name;
        EXPECT_EQ(s->minimum(), e.minimum) << e.name;
        EXPECT_EQ(s->maximum(), e.maximum) << e.name;
        EXPECT_EQ(s->singleStep(), 1) << e.name;
        EXPECT_EQ(s->pageStep(), 5) << e.name;
        EXPECT_EQ(s->tickPosition(), QSlider::TicksRight) << e.name;
        EXPECT_EQ(s->tickInterval(), e.tickInterval) << e.name;
        // A vertical QSlider has its minimum at the bottom unless inverted.
        EXPECT_TRUE(s->invertedAppearance()) << e.name;
    }
}

TEST_F(MainWindowTest, ArrowDownMovesAFocusedPitchSliderTowardsItsBottomEnd) {
    QSlider* s = slider("VScroll2");
    s->setFocus();
    press(Qt::Key_Down);
    EXPECT_EQ(s->value(), 1);
    press(Qt::Key_PageUp);
    EXPECT_EQ(s->value(), -4);
}

TEST_F(MainWindowTest, BarsHaveTheirRangesStepsAndStartValues) {
    for (int i = 0; i < 5; ++i) {
        QScrollBar* f = bar(QStringLiteral("sliderFm(%1)").arg(i).toLatin1().constData());
        EXPECT_EQ(f->minimum(), i == 1 ? 2 : 0) << i;
        EXPECT_EQ(f->maximum(), 10) << i;
        EXPECT_EQ(f->singleStep(), 1) << i;
        EXPECT_EQ(f->pageStep(), 2) << i;
        EXPECT_EQ(f->value(), 2) << i;
        QScrollBar* h = bar(QStringLiteral("sliderharmon(%1)").arg(i).toLatin1().constData());
        EXPECT_EQ(h->minimum(), 2) << i;
        EXPECT_EQ(h->maximum(), 16) << i;
        EXPECT_EQ(h->singleStep(), 2) << i;
        EXPECT_EQ(h->pageStep(), 2) << i;
        EXPECT_EQ(h->value(), 2) << i;
        EXPECT_FALSE(box(QStringLiteral("ChkFm(%1)").arg(i).toLatin1().constData())->isChecked());
    }
    QScrollBar* attack = bar("Sliderattack");
    EXPECT_EQ(attack->orientation(), Qt::Vertical);
    EXPECT_EQ(attack->minimum(), 0);
    EXPECT_EQ(attack->maximum(), 1500);
    EXPECT_EQ(attack->singleStep(), 1);
    EXPECT_EQ(attack->pageStep(), 1);
    EXPECT_EQ(attack->value(), 0);
}

TEST_F(MainWindowTest, OnlyPlayBoxOneIsTickedAndTheRepeatTimerIsOff) {
    EXPECT_TRUE(box("Check1(0)")->isChecked());
    EXPECT_FALSE(box("Check1(1)")->isChecked());
    EXPECT_FALSE(box("Check1(2)")->isChecked());
    EXPECT_FALSE(window->Timer2()->isActive());
    EXPECT_EQ(window->Timer2()->interval(), 1);
}

TEST_F(MainWindowTest, StatusTextIsGreenAndMarksAreBold) {
    for (const char* name : {"Lblkeys", "Lblos1(0)", "Lblos1(1)", "Lblos1(2)"}) {
        EXPECT_EQ(label(name)->palette().color(QPalette::WindowText), QColor(0, 128, 0)) << name;
    }
    EXPECT_NE(label("Label6")->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    for (const char* name : {"Label2(4)", "Label2(3)"}) {
        const QFont font = label(name)->font();
        EXPECT_TRUE(font.bold()) << name;
        EXPECT_EQ(font.family(), QStringLiteral("MS Sans Serif")) << name;
        EXPECT_EQ(font.pointSizeF(), 12.0) << name;
    }
    EXPECT_FALSE(label("Label2(5)")->font().bold());
    EXPECT_EQ(button("Play")->palette().color(QPalette::Button), QColor(64, 64, 64));
    EXPECT_EQ(box("Check1(0)")->palette().color(QPalette::Window), QColor(64, 64, 64));
}

TEST_F(MainWindowTest, LabelsAreAlignedLeftCentredOrRight) {
    const Qt::Alignment horizontal = Qt::AlignHorizontal_Mask;
    for (const char* name : {"Label3", "Label6", "Label4(0)", "Label4(1)", "Label4(2)", "Label2(3)",
                             "Label2(4)", "Label2(5)", "Label2(7)", "Label2(8)", "Label2(9)",
                             "Lblos1(0)", "Lblos1(1)", "Lblos1(2)"}) {
        EXPECT_EQ(label(name)->alignment() & horizontal, Qt::AlignHCenter) << name;
    }
    EXPECT_EQ(label("Label7")->alignment() & horizontal, Qt::AlignRight);
    for (const char* name : {"Lblkeys", "Label5", "Label2(0)", "Label2(6)"}) {
        EXPECT_EQ(label(name)->alignment() & horizontal, Qt::AlignLeft) << name;
    }
}

TEST_F(MainWindowTest, EveryCaptionFitsItsBox) {
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (l->font().bold()) {
            // "+" and "-": the glyph itself must fit.
            const QRect glyph = QFontMetrics(l->font()).tightBoundingRect(l->text());
            EXPECT_LE(glyph.width(), l->contentsRect().width()) << l->objectName().toStdString();
            EXPECT_LE(glyph.height(), l->contentsRect().height()) << l->objectName().toStdString();
            continue;
        }
        EXPECT_EQ(ui::fittingPointSize(*l), l->font().pointSizeF())
            << l->objectName().toStdString() << " cuts \"" << l->text().toStdString() << '"';
    }
    for (const char* name : {"Lblos1(0)", "Lblos1(1)", "Lblos1(2)"}) {
        for (const char* widest : {"1170", "-169"}) {
            label(name)->setText(QLatin1String(widest));
            EXPECT_EQ(ui::fittingPointSize(*label(name)), label(name)->font().pointSizeF())
                << name << " cuts " << widest;
        }
    }
}

TEST_F(MainWindowTest, ElevenLinesFrameAndSeparateTheAreas) {
    struct Expected {
        const char* name;
        int x1, y1, x2, y2;
    };
    const std::vector<Expected> lines{
        {"Line7", 120, 120, 9720, 120},     {"Line8", 9720, 3960, 9720, 120},
        {"Line5", 9720, 3960, 120, 3960},   {"Line9", 120, 3960, 120, 120},
        {"Line1", 120, 1080, 5640, 1080},   {"Line3", 3120, 120, 3120, 1080},
        {"Line2", 5640, 120, 5640, 3960},   {"Line4", 7800, 120, 7800, 3960},
        {"Line6", 8880, 120, 8880, 3960},   {"Line10", 8880, 1800, 9720, 1800},
        {"Line11", 8880, 3000, 9720, 3000},
    };
    EXPECT_EQ(window->findChildren<ui::LineWidget*>().size(), lines.size());
    for (const Expected& e : lines) {
        auto* line = control<ui::LineWidget>(e.name);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->line(), QLine(ui::twipPoint(e.x1, e.y1), ui::twipPoint(e.x2, e.y2)))
            << e.name;
    }
}

TEST_F(MainWindowTest, ResizingMovesAndScalesNothing) {
    std::vector<std::pair<QWidget*, QRect>> before;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        before.emplace_back(child, child->geometry());
    }
    window->resize(900, 500);
    QApplication::processEvents();
    window->resize(300, 150);
    QApplication::processEvents();
    for (const auto& [child, geometry] : before) {
        EXPECT_EQ(child->geometry(), geometry) << child->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, PlayHoldsTheFocusAndTabVisitsTheControlsInOrder) {
    ASSERT_EQ(QApplication::focusWidget(), button("Play"));
    const std::vector<QString> expected{"Play",        "Check1(0)",       "Check1(1)",
                                        "Check1(2)",   "Cmdstart",        "Cmdstop",
                                        "sliderFm(0)", "ChkFm(0)",        "ChkFm(1)",
                                        "CmdReset",    "sliderharmon(0)", "sliderharmon(1)",
                                        "sliderFm(1)", "sliderFm(2)",     "sliderharmon(2)",
                                        "ChkFm(2)",    "ChkFm(3)",        "sliderharmon(3)",
                                        "sliderFm(3)", "sliderFm(4)",     "sliderharmon(4)",
                                        "ChkFm(4)",    "VScroll1",        "VScroll2",
                                        "VScroll3",    "CmdOsc2",         "CmdOsc3",
                                        "CmdExit",     "Sliderattack",    "Cmdhelp",
                                        "Play"};
    std::vector<QString> visited{QApplication::focusWidget()->objectName()};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        press(Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, expected);
    EXPECT_TRUE(record->calls.empty()) << "Tab made a sound";
}

TEST_F(MainWindowTest, TitlePictureAndIconAreGreenOutlinesOnBlack) {
    const QImage title = titlePicture().toImage();
    ASSERT_EQ(title.size(), QSize(178, 35));
    EXPECT_EQ(label("Picture1")->pixmap().size(), QSize(178, 35));
    const QImage icon = windowIcon().pixmap(32, 32).toImage();
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(QFile(QStringLiteral(":/artwork/icon-32.png")).exists(), true);
    for (const QImage& image : {title, icon}) {
        int green = 0;
        int black = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                EXPECT_EQ(c.red(), 0);
                EXPECT_EQ(c.blue(), 0);
                green += c.green() > 100 ? 1 : 0;
                black += c.green() == 0 ? 1 : 0;
            }
        }
        // An outline: some green, mostly black ground, and black in every corner.
        EXPECT_GT(green, image.width() * image.height() / 50);
        EXPECT_GT(black, image.width() * image.height() / 2);
        EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
        EXPECT_EQ(image.pixelColor(image.width() - 1, image.height() - 1), QColor(Qt::black));
    }
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(MainWindowTest, KeyboardActiveFollowsWhichWindowOfTheProgramIsActive) {
    EXPECT_TRUE(label("Lblkeys")->isVisible());
    click("Cmdhelp");
    ui::HelpDialog* help = window->windowSet().help().existing();
    ASSERT_NE(help, nullptr);
    activate(*help);
    EXPECT_FALSE(label("Lblkeys")->isVisible());
    activate(*window);
    EXPECT_TRUE(label("Lblkeys")->isVisible());
}

} // namespace
} // namespace tarmel::app::test
