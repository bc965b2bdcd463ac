// CPU use and wake-ups of the real main window during "repeat", offscreen, on SDL's dummy driver,
// against the idle program, in the settings that bound it: nothing on, with the Sound window
// closed and open; every modulator but the random one on; the random one on at its start values;
// and the random one where its argument never goes negative within the second (pitch 1, F 1,
// H 16), so that no reseed ties its end state and every generation differs. Wake-ups are the
// times the UI thread went to sleep. Each setting is measured from a second after its start.
#include "app/MainWindow.h"
#include "audio/SdlDevice.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <string>
#include <sys/resource.h>

// Times the calling thread went to sleep so far: each is a wake-up. (Being put aside for another
// thread, an involuntary switch, depends on the machine's load and is not counted.)
static long wakeUps() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    for (const std::string setting :
         {"idle", "all off", "all off, Sound window open", "all on but random", "random on",
          "random on, never reseeded"}) {
        tarmel::audio::SdlDevice device;
        tarmel::app::MainWindow main([&device] { return device.openOutput(); });
        main.load();
        main.show();
        main.findChild<QAbstractButton*>("CmdOsc2")->click();
        main.findChild<QAbstractButton*>("CmdOsc3")->click();
        // The controls set as a whole, as undo sets them. Oscillator 2's third modulator (the
        // eighth of fifteen) is the random one.
        tarmel::sound::Controls c;
        for (std::size_t m = 0; m < c.modulators.size(); ++m) {
            c.modulators[m].on =
                m == 7 ? setting.starts_with("random") : setting == "all on but random";
        }
        if (setting == "random on, never reseeded") {
            c.pitch1 = 1;
            c.modulators[7].F = 1;
            c.modulators[7].H = 16;
        }
        main.model().document().setControls(c);
        if (setting.ends_with("Sound window open")) {
            main.showSoundView();
        }
        if (setting != "idle") {
            main.findChild<QAbstractButton*>("Cmdstart")->click();
        }
        // What a start costs (the first sound, the first paint, the windows' first layout) is no
        // part of a steady repeat: the count starts a second later.
        int ticks = 0;
        std::clock_t start = 0; // CPU time of the whole process, all threads
        long switches = 0;
        QTimer::singleShot(1000, &app, [&] {
            QObject::connect(main.findChild<QTimer*>("Timer2"), &QTimer::timeout,
                             [&ticks] { ++ticks; });
            start = std::clock();
            switches = wakeUps();
            // exit, not quit: quit closes the windows, and the main window would ask "Exit?".
            QTimer::singleShot(static_cast<int>(seconds * 1000), &app,
                               [] { QCoreApplication::exit(); });
        });
        QApplication::exec();
        std::printf("repeat for %.0f s, %-26s: %5.1f %% of one core, %6.1f UI wake-ups and %6.1f "
                    "repeat ticks a second\n",
                    seconds, setting.c_str(),
                    100.0 * double(std::clock() - start) / CLOCKS_PER_SEC / seconds,
                    double(wakeUps() - switches) / seconds, ticks / seconds);
    }
}
