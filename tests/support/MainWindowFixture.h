// The start of every window test: the main window on the recording sound output, loaded, shown
// and active; the program's other top-level windows and the controls found by name.
#pragma once

#include "Dialogs.h"
#include "RecordingOutput.h"
#include "app/MainWindow.h"
#include "ui/Controls.h"

#include <gtest/gtest.h>
#include <memory>

namespace tarmel::test {

// The program's top-level window of that name; windows closed by the user are gone first.
inline QWidget* topLevel(const char* name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList all = QApplication::topLevelWidgets();
    const auto it = std::ranges::find(all, QString::fromLatin1(name), &QWidget::objectName);
    return it != all.end() ? *it : nullptr;
}

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        window_.load();
        window_.show();
        activate(&window_);
    }
    template <class T = QWidget> T* control(const QString& name, const QWidget* in = nullptr) {
        return ui::child<T>(in != nullptr ? *in : window_, name);
    }
    void click(const QString& name, const QWidget* in = nullptr) {
        QTest::mouseClick(control<QAbstractButton>(name, in), Qt::LeftButton);
    }
    void setValue(const QString& name, int value, const QWidget* in = nullptr) {
        control<QAbstractSlider>(name, in)->setValue(value);
    }
    // The offscreen platform gives the activation back to no window after a dialog.
    static void activate(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // Opens a secondary window by its button; the window, active.
    QWidget* open(const char* button, const char* window) {
        click(QLatin1String(button));
        QWidget* w = topLevel(window);
        EXPECT_TRUE(w != nullptr && QTest::qWaitForWindowActive(w)) << window;
        return w;
    }

    std::shared_ptr<SoundLog> log_ = std::make_shared<SoundLog>();
    app::MainWindow window_{recordingOutputs(log_)};
};

} // namespace tarmel::test
