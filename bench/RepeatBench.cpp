// CPU use of the real main window during "repeat", offscreen, on SDL's dummy driver, in the
// settings that bound it: nothing on; every modulator but the random one on; the random one on
// at its start values; and the random one where its argument never goes negative within the
// second (pitch 1, F 1, H 16), so that no reseed ties its end state and every generation differs.
#include "app/MainWindow.h"
#include "audio/SdlDevice.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

QWidget* window(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name)) {
            return w;
        }
    }
    return nullptr;
}

void click(const char* window, const QString& name) {
    ::window(window)->findChild<QAbstractButton*>(name)->click();
}

void set(const char* window, const char* name, int value) {
    ::window(window)->findChild<QAbstractSlider*>(name)->setValue(value);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const char* settings[] = {"all off", "all on but random", "random on",
                              "random on, never reseeded"};
    for (const std::string setting : settings) {
        tarmel::audio::SdlDevice device;
        tarmel::app::MainWindow main([&device] { return device.openOutput(); });
        main.load();
        main.show();
        click("Frmtarmel", "CmdOsc2");
        click("Frmtarmel", "CmdOsc3");
        if (setting == "all on but random") {
            for (const char* name : {"Frmtarmel", "FrmOsc2", "FrmOsc3"}) {
                for (int i = 0; i < 5; ++i) {
                    if (name != std::string("FrmOsc2") || i != 2) {
                        click(name, QStringLiteral("ChkFm(%1)").arg(i));
                    }
                }
            }
        } else if (setting != "all off") {
            click("FrmOsc2", "ChkFm(2)");
        }
        if (setting == "random on, never reseeded") {
            set("Frmtarmel", "VScroll1", 1);
            set("FrmOsc2", "sliderFm(2)", 1);
            set("FrmOsc2", "sliderharmon(2)", 16);
        }
        click("Frmtarmel", "Cmdstart");
        const double start = cpuSeconds();
        QTimer::singleShot(static_cast<int>(seconds * 1000), &app,
                           [] { QCoreApplication::exit(0); });
        QApplication::exec();
        std::printf("repeat for %.0f s, %-26s: %5.1f %% of one core\n", seconds, setting.c_str(),
                    100.0 * (cpuSeconds() - start) / seconds);
    }
    return 0;
}
