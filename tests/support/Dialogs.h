// The window tests' user at the program's dialogs: a menu entry chosen, and every modal dialog that
// comes up meanwhile answered as the test says, the messages read.
#pragma once

#include <QtTest>
#include <QtWidgets>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << '"' << s.toStdString() << '"';
}

namespace tarmel::test {

// The entry of the window's menu with that text; nullptr when there is none.
inline QAction* action(const QWidget& window, const QString& text) {
    const QList<QAction*> all = window.actions();
    const auto it = std::ranges::find(all, text, &QAction::text);
    return it != all.end() ? *it : nullptr;
}

struct Answers {
    QMessageBox::StandardButton button = QMessageBox::Yes; // else the box's first button
    QString file{};                                        // for a file dialog
    QString text{};                                        // for an input dialog
    bool tick = false;                                     // a message box's own check box
    std::function<void(QWidget&)> other{};                 // any other modal dialog
    // Once act returns, the answering goes on until this holds for what the boxes said.
    std::function<bool(const QStringList&)> until{};
};

// Runs act, answering each modal dialog as answers say; what the message boxes said, each as
// "title: text".
inline QStringList answering(const std::function<void()>& act, const Answers& answers = {}) {
    QStringList seen;
    QTimer timer;
    timer.callOnTimeout([&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            // selectFile alone leaves the name field as it is once that field has the focus,
            // which the offscreen platform gives it at a moment of its own: the dialog would
            // then return its default name, or nothing.
            files->selectFile(answers.file);
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(answers.file);
            static_cast<QDialog*>(files)->accept();
        } else if (auto* input = qobject_cast<QInputDialog*>(modal)) {
            input->setTextValue(answers.text);
            static_cast<QDialog*>(input)->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (box->isVisible()) {
                seen << box->windowTitle() + ": " + box->text();
                if (box->checkBox() != nullptr) {
                    box->checkBox()->setChecked(answers.tick);
                }
                QAbstractButton* button = box->button(answers.button);
                (button != nullptr ? button : box->buttons().front())->click();
            }
        } else if (modal != nullptr && answers.other) {
            answers.other(*modal);
        }
    });
    timer.start(5);
    act();
    if (answers.until) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.until(seen); }, 30000)) << seen.join('|');
    }
    return seen;
}

// Chooses the entry of the window's menu, answering as answering does.
inline QStringList choose(const QWidget& window, const QString& entry,
                          const Answers& answers = {}) {
    QAction* a = action(window, entry);
    return a != nullptr ? answering([a] { a->trigger(); }, answers)
                        : QStringList{"no entry " + entry};
}

} // namespace tarmel::test
