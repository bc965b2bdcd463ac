// The window of oscillator 2 or 3 (FrmOsc2, FrmOsc3): its modulator panel, framed by four lines.
#include "ui/OscillatorWindow.h"

#include "ui/Style.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QScrollBar>

namespace tarmel::ui {

namespace {

constexpr int kTop = 7110;
constexpr int kLeftOscillator2 = 1605;
constexpr int kLeftOscillator3 = 7185;
constexpr int kWidth = 5655;
constexpr int kHeight = 3135;

} // namespace

OscillatorWindow::OscillatorWindow(int oscillator)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      oscillator_(oscillator == 3 ? 3 : 2) {
    setObjectName(oscillator_ == 2 ? QStringLiteral("FrmOsc2") : QStringLiteral("FrmOsc3"));
    setWindowTitle(oscillator_ == 2 ? QStringLiteral("Oscillator2") : QStringLiteral("Oscilator3"));
    setAttribute(Qt::WA_DeleteOnClose);
    applyWindowBackground(*this);
    // The client area goes to the stored place; setGeometry on a top-level window places the
    // client area, the window manager adds the frame around it.
    setGeometry(
        toPixels({oscillator_ == 2 ? kLeftOscillator2 : kLeftOscillator3, kTop, kWidth, kHeight}));

    panel_ = new ModulatorPanel(this, ModulatorPanelLayout::oscillatorWindow(oscillator_));
    connect(panel_, &ModulatorPanel::chkFmClicked, this, &OscillatorWindow::chkFmClicked);
    label3_ = makeLabel(this, QStringLiteral("Label3"), QString(), {3480, 2760, 1935, 255});

    makeLine(this, QStringLiteral("Line1"), 120, 120, 5520, 120);
    makeLine(this, QStringLiteral("Line3"), 5520, 3000, 5520, 120);
    makeLine(this, QStringLiteral("Line4"), 120, 3000, 5520, 3000);
    makeLine(this, QStringLiteral("Line2"), 120, 3000, 120, 120);

    // Focus order: the controls of modulator 5 first, working back to modulator 1.
    ModulatorPanel& p = *panel_;
    const std::array<QWidget*, 15> order{
        p.chkFm(4),        p.sliderharmon(4), p.sliderFm(4),     p.sliderFm(3), p.sliderharmon(3),
        p.chkFm(3),        p.chkFm(2),        p.sliderharmon(2), p.sliderFm(2), p.sliderFm(1),
        p.sliderharmon(1), p.sliderharmon(0), p.chkFm(1),        p.chkFm(0),    p.sliderFm(0),
    };
    for (std::size_t k = 1; k < order.size(); ++k) {
        setTabOrder(order[k - 1], order[k]);
    }
    order.front()->setFocus();
}

bool OscillatorWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        emit activated();
    }
    return QWidget::event(event);
}

void OscillatorWindow::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // Only the window's own focus arrives here; its controls get their own focus events.
    if (oscillator_ == 2) {
        emit windowLostFocus();
    }
}

void OscillatorWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit closedByUser();
    }
}

} // namespace tarmel::ui
