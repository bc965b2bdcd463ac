// Colours of the program's windows and factories that place styled controls at twip positions.
#include "ui/Style.h"

#include "ui/LineWidget.h"

#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

namespace tarmel::ui {

namespace {

void fillBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

Qt::Alignment toQt(Align align) {
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

} // namespace

void applyWindowBackground(QWidget& window) {
    fillBackground(window, darkGrey());
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const TwipRect& at,
                  const LabelStyle& style) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // Plain text keeps every blank of the text; rich text would fold runs of blanks into one.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setAlignment(toQt(style.align));
    label->setWordWrap(style.wordWrap);
    fillBackground(*label, style.background);
    if (style.textColour) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, *style.textColour);
        label->setPalette(palette);
    }
    if (style.boldPointSize) {
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPointSizeF(*style.boldPointSize);
        font.setBold(true);
        label->setFont(font);
    }
    label->setGeometry(toPixels(at));
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text,
                        const TwipRect& at) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, darkGrey());
    button->setPalette(palette);
    // Enter and Space act on the focused button only; no button is a dialog's default.
    button->setAutoDefault(false);
    button->setGeometry(toPixels(at));
    return button;
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& name, const QString& text,
                        const TwipRect& at) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    // Only the background changes: the caption keeps the system's window-text colour.
    fillBackground(*box, darkGrey());
    box->setGeometry(toPixels(at));
    return box;
}

QScrollBar* makeScrollBar(QWidget* parent, const QString& name, Qt::Orientation orientation,
                          const TwipRect& at, const ScrollRange& range) {
    auto* bar = new QScrollBar(orientation, parent);
    bar->setObjectName(name);
    bar->setRange(range.minimum, range.maximum);
    bar->setSingleStep(range.singleStep);
    bar->setPageStep(range.pageStep);
    bar->setValue(range.value);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setGeometry(toPixels(at));
    return bar;
}

double fittingPointSize(const QLabel& label, double minimumPointSize) {
    constexpr double step = 0.25;
    const int flags = int(label.alignment()) | (label.wordWrap() ? int(Qt::TextWordWrap) : 0);
    const QRect box = label.contentsRect();
    QFont font = label.font();
    double size = font.pointSizeF();
    const auto fits = [&] {
        const QRect needed = QFontMetrics(font).boundingRect(box, flags, label.text());
        return needed.height() <= box.height() && needed.width() <= box.width();
    };
    while (size - step >= minimumPointSize && !fits()) {
        size -= step;
        font.setPointSizeF(size);
    }
    return size;
}

void shrinkToFit(QLabel& label, double minimumPointSize) {
    QFont font = label.font();
    font.setPointSizeF(fittingPointSize(label, minimumPointSize));
    label.setFont(font);
}

LineWidget* makeLine(QWidget* parent, const QString& name, int x1, int y1, int x2, int y2) {
    auto* line = new LineWidget(parent, twipPoint(x1, y1), twipPoint(x2, y2));
    line->setObjectName(name);
    return line;
}

} // namespace tarmel::ui
