// The start of every window test: the main window on the recording sound output, loaded, shown
// and active; the program's other top-level windows found by name; and file dialogs answered.
#pragma once

#include "RecordingOutput.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace tarmel::test {

// The program's top-level window of that name; windows closed by the user are gone first.
inline QWidget* topLevel(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList all = QApplication::topLevelWidgets();
    const auto it = std::ranges::find_if(
        all, [&](const QWidget* w) { return w->objectName() == QLatin1String(name); });
    return it != all.end() ? *it : nullptr;
}

// Accepts file in a file dialog. selectFile alone leaves the name field as it is once that field
// has the focus, which the offscreen platform gives it at a moment of its own: the dialog would
// then return its default name, or nothing.
inline void acceptFile(QFileDialog& dialog, const QString& file) {
    dialog.selectFile(file);
    if (auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        name->setText(file);
    }
    static_cast<QDialog&>(dialog).accept();
}

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    std::shared_ptr<SoundLog> log_ = std::make_shared<SoundLog>();
    app::MainWindow window_{recordingOutputs(log_)};
};

} // namespace tarmel::test
