// The help window Dialog: a heading, four paragraphs about the program, a by-line and "OK".
#pragma once

#include <QWidget>

namespace tarmel::ui {

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // Top-level without owner, hidden, at its stored screen place, fixed size; deletes itself
    // when closed from its title bar. "OK" hides it.
    HelpWindow();

signals:
    // The window became the program's active window.
    void activated();
    // The window was closed from its title bar; it is then deleted.
    void closedByUser();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

} // namespace tarmel::ui
