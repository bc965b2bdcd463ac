// Controls made from the layout table.
#include "ui/Controls.h"

#include "ui/Accessibility.h"
#include "ui/LineWidget.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <algorithm>
#include <map>

namespace tarmel::ui {

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void fillBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

// A control that shows a mark while it has the keyboard's focus: a thin white frame with a black
// one inside, seen on the dark grey window and on a light track alike (the style's own focus
// colour stands out from dark grey by less than 2:1). A click that gives the focus shows no mark,
// nor does the focus a window starts with; without the focus the control looks as it always did.
template <class Control> class FocusMarked : public Control {
public:
    using Control::Control;

protected:
    void focusInEvent(QFocusEvent* event) override {
        marked_ = event->reason() != Qt::MouseFocusReason;
        Control::focusInEvent(event);
    }
    void paintEvent(QPaintEvent* event) override {
        Control::paintEvent(event);
        // As the style's own focus marks, only once the keyboard has moved the focus.
        if (this->hasFocus() && marked_ &&
            this->window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
            QPainter painter(this);
            const QRect outer = this->rect().adjusted(0, 0, -1, -1);
            painter.setPen(Qt::white);
            painter.drawRect(outer);
            painter.setPen(Qt::black);
            painter.drawRect(outer.adjusted(1, 1, -1, -1));
        }
    }

private:
    bool marked_ = true;
};

// A button that Enter and the keypad's Enter press as Space does, in every window: outside a
// dialog Qt's buttons leave Enter to a default button, which these windows do not have.
class Button : public FocusMarked<QPushButton> {
public:
    using FocusMarked<QPushButton>::FocusMarked;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            animateClick();
            return;
        }
        FocusMarked<QPushButton>::keyPressEvent(event);
    }
};

// A scroll bar whose arrow keys move it as its arrow buttons do. Qt's scroll bars invert their
// controls for the wheel, which turns Left and Right round on a horizontal bar.
class Bar : public FocusMarked<QScrollBar> {
public:
    using FocusMarked<QScrollBar>::FocusMarked;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (orientation() == Qt::Horizontal &&
            (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
            const bool right = (event->key() == Qt::Key_Right) != isRightToLeft();
            triggerAction(right ? SliderSingleStepAdd : SliderSingleStepSub);
            event->accept();
            return;
        }
        FocusMarked<QScrollBar>::keyPressEvent(event);
    }
};

Qt::Alignment alignment(Align align) {
    switch (align) {
    case Align::Centre:
        return Qt::AlignHCenter | Qt::AlignTop;
    case Align::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QLabel* makeLabel(QWidget& window, const ControlLayout& c) {
    auto* label = new QLabel(&window);
    // Plain text keeps every blank of the text; rich text would fold runs of blanks into one.
    label->setTextFormat(Qt::PlainText);
    label->setText(qs(c.text));
    label->setAlignment(alignment(c.align));
    fillBackground(*label, c.kind == ControlKind::Paragraph ? midGrey() : darkGrey());
    if (c.kind == ControlKind::StatusLabel) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, statusGreen());
        label->setPalette(palette);
    }
    if (c.kind == ControlKind::BoldLabel || c.kind == ControlKind::Heading) {
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPointSizeF(c.kind == ControlKind::Heading ? 9.75 : 12);
        font.setBold(true);
        label->setFont(font);
    }
    label->setWordWrap(c.kind == ControlKind::Paragraph);
    return label;
}

QWidget* makeControl(QWidget& window, const ControlLayout& c) {
    switch (c.kind) {
    case ControlKind::Button: {
        auto* button = new Button(qs(c.text), &window);
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, darkGrey());
        button->setPalette(palette);
        // Enter and Space act on the focused button only; no button is a dialog's default.
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new FocusMarked<QCheckBox>(qs(c.text), &window);
        // Only the background changes: the caption keeps the system's window-text colour.
        fillBackground(*box, darkGrey());
        return box;
    }
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar: {
        auto* bar =
            new Bar(c.kind == ControlKind::HScrollBar ? Qt::Horizontal : Qt::Vertical, &window);
        bar->setFocusPolicy(Qt::StrongFocus);
        return bar;
    }
    case ControlKind::PitchSlider: {
        auto* slider = new FocusMarked<QSlider>(Qt::Vertical, &window);
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
        slider->setTickPosition(QSlider::TicksRight);
        slider->setFocusPolicy(Qt::StrongFocus);
        return slider;
    }
    default:
        return makeLabel(window, c);
    }
}

bool takesFocus(ControlKind kind) {
    return kind == ControlKind::Button || kind == ControlKind::CheckBox ||
           kind == ControlKind::HScrollBar || kind == ControlKind::VScrollBar ||
           kind == ControlKind::PitchSlider;
}

} // namespace

void buildControls(QWidget& window, const WindowLayout& layout) {
    // Before any control exists: Qt makes a control's accessible interface at its first change.
    installAccessibility();
    window.setObjectName(qs(layout.name));
    window.setWindowTitle(qs(layout.caption));
    fillBackground(window, darkGrey());
    std::map<int, QWidget*> focusOrder;
    std::vector<QLabel*> paragraphs;
    for (const ControlLayout& c : layout.controls) {
        QWidget* control = makeControl(window, c);
        control->setObjectName(qs(c.name));
        control->setGeometry(toPixels(c.at));
        if (takesFocus(c.kind)) {
            focusOrder[c.tab] = control;
        }
        auto* label = qobject_cast<QLabel*>(control);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            // A caption is read whole: the font gets smaller until it fits its box.
            QFont font = button->font();
            while (!captionFits(*button) && font.pointSizeF() - 0.25 >= 6.0) {
                font.setPointSizeF(font.pointSizeF() - 0.25);
                button->setFont(font);
            }
        }
        if (c.kind == ControlKind::Paragraph) {
            paragraphs.push_back(label);
        } else if (label != nullptr && !label->text().isEmpty() && !label->font().bold()) {
            // Fonts wider than the layout was drawn for would cut captions short. The bold
            // marks keep their size: their single glyph fits even where the line height does not.
            shrinkToFit(*label);
        }
    }
    // The paragraphs share one size, small enough for the longest to fit its box.
    if (!paragraphs.empty()) {
        double size = paragraphs.front()->font().pointSizeF();
        for (const QLabel* paragraph : paragraphs) {
            size = std::min(size, fittingPointSize(*paragraph));
        }
        for (QLabel* paragraph : paragraphs) {
            QFont font = paragraph->font();
            font.setPointSizeF(size);
            paragraph->setFont(font);
        }
    }
    for (const LineLayout& l : layout.lines) {
        auto* line = new LineWidget(&window, twipPoint(l.x1, l.y1), twipPoint(l.x2, l.y2));
        line->setObjectName(qs(l.name));
    }
    QWidget* previous = nullptr;
    for (const auto& [tab, control] : focusOrder) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, control);
        }
        previous = control;
    }
    if (!focusOrder.empty()) {
        focusOrder.begin()->second->setFocus();
    }
    makeAccessible(window, layout);
}

bool captionFits(const QAbstractButton& button) {
    // A check box's text beside the style's indicator and spacing; a button's text inside the
    // style's margins on both sides.
    const QStyle& style = *button.style();
    const QFontMetrics metrics(button.font());
    const int text = metrics.horizontalAdvance(button.text());
    const int needed =
        qobject_cast<const QCheckBox*>(&button) != nullptr
            ? style.pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &button) +
                  style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &button) + text
            : text + 2 * style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
    return needed <= button.width() && metrics.height() <= button.height();
}

double fittingPointSize(const QLabel& label) {
    constexpr double kStep = 0.25;
    constexpr double kSmallest = 6.0;
    const int flags = int(label.alignment()) | (label.wordWrap() ? int(Qt::TextWordWrap) : 0);
    const QRect box = label.contentsRect();
    QFont font = label.font();
    double size = font.pointSizeF();
    const auto fits = [&] {
        const QRect needed = QFontMetrics(font).boundingRect(box, flags, label.text());
        return needed.height() <= box.height() && needed.width() <= box.width();
    };
    while (size - kStep >= kSmallest && !fits()) {
        size -= kStep;
        font.setPointSizeF(size);
    }
    return size;
}

void shrinkToFit(QLabel& label) {
    QFont font = label.font();
    font.setPointSizeF(fittingPointSize(label));
    label.setFont(font);
}

} // namespace tarmel::ui
