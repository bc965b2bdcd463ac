// Key preview for one window: every key press aimed at the window or any of its controls is
// passed to a handler first, then goes on to the control as usual.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace tarmel::app {

class KeyPreview : public QObject {
    Q_OBJECT

public:
    // Watches the whole application for key presses whose target lies in window.
    KeyPreview(QWidget* window, std::function<void(int keyCode)> onKeyDown);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void(int keyCode)> onKeyDown_;
};

} // namespace tarmel::app
