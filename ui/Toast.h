// A short message just below a window (above it when the screen ends there), covering none of
// its controls, that goes away by itself: a sign that something was done (a command copied, a
// preset opened), dark text on the light colours of a tooltip, read out by screen readers, never
// taking the focus or a key from the window.
#pragma once

#include <QLabel>

class QTimer;

namespace tarmel::ui {

class Toast : public QLabel {
    Q_OBJECT

public:
    // How long a message stays.
    static constexpr int kShownMs = 5000;

    // Shows text by window, replacing the message shown there before, and hides it after
    // kShownMs. The window's one toast is created on first use.
    static Toast& show(QWidget& window, const QString& text);

private:
    explicit Toast(QWidget& window);
    void showText(const QString& text);

    QTimer* hideTimer_ = nullptr;
};

} // namespace tarmel::ui
