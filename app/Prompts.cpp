// The real message boxes: a critical error box and the Yes/No exit question.
#include "app/Prompts.h"

#include "app/Trace.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

namespace tarmel::app {

Prompts messageBoxPrompts(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    Prompts prompts;
    prompts.showError = [owner](const QString& message) {
        trace::errorShown(message);
        QMessageBox::critical(owner, QStringLiteral("Tarmel"), message);
    };
    prompts.askExit = [owner] {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Quit"), QStringLiteral("Exit?"),
                        QMessageBox::Yes | QMessageBox::No, owner);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    prompts.endProgram = [](int status) { QCoreApplication::exit(status); };
    return prompts;
}

} // namespace tarmel::app
