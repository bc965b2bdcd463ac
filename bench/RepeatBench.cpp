// CPU use of the real main window during "repeat", offscreen, on SDL's dummy driver, in the
// settings that bound it: nothing on, with the Sound window closed and open; every modulator but
// the random one on; the random one on at its start values; and the random one where its argument
// never goes negative within the second (pitch 1, F 1, H 16), so that no reseed ties its end state
// and every generation differs.
#include "app/MainWindow.h"
#include "audio/SdlDevice.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

// The control of that name on the top-level window of that name.
template <class T> static T* control(const char* window, const QString& name) {
    const QWidgetList all = QApplication::topLevelWidgets();
    return (*std::ranges::find(all, QString(window), &QWidget::objectName))->findChild<T*>(name);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    for (const std::string setting : {"all off", "all off, Sound window open", "all on but random",
                                      "random on", "random on, never reseeded"}) {
        tarmel::audio::SdlDevice device;
        tarmel::app::MainWindow main([&device] { return device.openOutput(); });
        main.load();
        main.show();
        control<QAbstractButton>("Frmtarmel", "CmdOsc2")->click();
        control<QAbstractButton>("Frmtarmel", "CmdOsc3")->click();
        for (const char* name : {"Frmtarmel", "FrmOsc2", "FrmOsc3"}) {
            for (int i = 0; i < 5; ++i) {
                // Oscillator 2's third modulator is the random one.
                const bool random = name == std::string("FrmOsc2") && i == 2;
                if (random ? setting.starts_with("random") : setting == "all on but random") {
                    control<QAbstractButton>(name, QStringLiteral("ChkFm(%1)").arg(i))->click();
                }
            }
        }
        if (setting == "random on, never reseeded") {
            control<QAbstractSlider>("Frmtarmel", "VScroll1")->setValue(1);
            control<QAbstractSlider>("FrmOsc2", "sliderFm(2)")->setValue(1);
            control<QAbstractSlider>("FrmOsc2", "sliderharmon(2)")->setValue(16);
        }
        if (setting.ends_with("Sound window open")) {
            main.showSoundView();
        }
        control<QAbstractButton>("Frmtarmel", "Cmdstart")->click();
        const std::clock_t start = std::clock(); // CPU time of the whole process, all threads
        // exit, not quit: quit closes the windows, and the main window would ask "Exit?".
        QTimer::singleShot(static_cast<int>(seconds * 1000), &app,
                           [] { QCoreApplication::exit(); });
        QApplication::exec();
        std::printf("repeat for %.0f s, %-26s: %5.1f %% of one core\n", seconds, setting.c_str(),
                    100.0 * double(std::clock() - start) / CLOCKS_PER_SEC / seconds);
    }
}
