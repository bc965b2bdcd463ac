// The help window Dialog: a heading, four paragraphs about the program, a by-line and "OK".
#include "ui/HelpDialog.h"

#include "ui/Style.h"

#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace tarmel::ui {

namespace {

// The paragraphs keep every blank as written, including runs of two and six.
const std::array<const char*, 4> kParagraphs{
    "Click on the main window of Tarmel and press any letter on your computers keyboard, "
    "just once. wait a second for the sound to be calculated. You will then hear a tone.",
    "Tarmel has 3 main oscilators, The pitch of osc1 is determined by the slider named "
    "Osc1, or by pressing a key. The pitch of the other 2 oscilators are determined by "
    "osc1 and can be detuned with the sliders named Osc2 and Osc3. The check boxes "
    "below, switch them on and off. The volume envelope is a proportion of attack and "
    "decay  that can be set with the slider.",
    "Each oscilator can be modulated by up to 5 seperate waveforms. These can be turned "
    "on or off by clicking the check boxes      named 1 - 5. Above and to the left are "
    "sliders named multiply and divide, they change the frequency and wavelength of the "
    "modulating oscilators.",
    "Buttons. 'Reset' - stops and resets the sound buffers. 'Generate' -generates a "
    "sound to the current settings. 'Repeat' - plays and repeats a sound to the current "
    "settings. 'Stop' - stops the repeat. 'Osc2' - reveals Oscilator 2 Fm controls. "
    "'Osc3' - reveals Oscilator 3 Fm controls. 'Exit' - closes Tarmel.",
};

constexpr std::array<TwipRect, 4> kParagraphBoxes{{
    {240, 600, 4815, 735},
    {240, 1440, 4815, 1215},
    {240, 2760, 4815, 855},
    {240, 3720, 4815, 975},
}};

} // namespace

HelpDialog::HelpDialog()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("Tarmel Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    applyWindowBackground(*this);
    const QRect client = toPixels({2760, 3750, 5295, 5550});
    setGeometry(client);
    setFixedSize(client.size());

    label4_ = makeLabel(this, QStringLiteral("Label4"), QStringLiteral("Tarmel by Brennick"),
                        {120, 120, 2895, 255}, LabelStyle{}.bold(9.75));
    for (std::size_t k = 0; k < kParagraphs.size(); ++k) {
        paragraphs_[k] = makeLabel(this, QStringLiteral("Label2(%1)").arg(k),
                                   QString::fromLatin1(kParagraphs[k]), kParagraphBoxes[k],
                                   LabelStyle{}.onBackground(midGrey()).wrapped());
    }
    // One size for all four paragraphs, small enough for the longest to fit its box.
    double pointSize = paragraphs_.front()->font().pointSizeF();
    for (const QLabel* paragraph : paragraphs_) {
        pointSize = std::min(pointSize, fittingPointSize(*paragraph));
    }
    for (QLabel* paragraph : paragraphs_) {
        QFont font = paragraph->font();
        font.setPointSizeF(pointSize);
        paragraph->setFont(font);
    }
    label1_ = makeLabel(this, QStringLiteral("Label1"),
                        QStringLiteral("Brennick has made this sound generator for you. "),
                        {240, 4920, 3855, 255}, LabelStyle{}.aligned(Align::Centre));
    shrinkToFit(*label1_);
    okButton_ =
        makeButton(this, QStringLiteral("OKButton"), QStringLiteral("OK"), {4200, 4920, 855, 375});
    label3_ = makeLabel(this, QStringLiteral("Label3"), QString(), {2040, 5160, 1935, 255});

    makeLine(this, QStringLiteral("Line1"), 120, 480, 5160, 480);
    makeLine(this, QStringLiteral("Line4"), 5160, 480, 5160, 5400);
    makeLine(this, QStringLiteral("Line5"), 120, 5400, 5160, 5400);
    makeLine(this, QStringLiteral("Line2"), 120, 5400, 120, 480);
    makeLine(this, QStringLiteral("Line3"), 120, 4800, 5160, 4800);

    connect(okButton_, &QPushButton::clicked, this, &HelpDialog::OKButton_Click);
    // "OK" is the only control that takes the focus, and holds it when the window opens.
    okButton_->setFocus();
}

void HelpDialog::OKButton_Click() {
    hide();
}

bool HelpDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        emit activated();
    }
    return QWidget::event(event);
}

void HelpDialog::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit closedByUser();
    }
}

} // namespace tarmel::ui
