// tarmel-render --picture against what the picture must show, worked out here from the samples
// and the axes' scales: the waveform's pixel columns and the place of the spectrum's peak marker.
#include "synth/Synthesizer.h"
#include "ui/SoundPicture.h"

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tarmel::cli {
namespace {

namespace fs = std::filesystem;

// A 440 Hz oscillator with a decay and oscillator 2 at 460 Hz, both heard: the waveform is widest
// at the left, and the spectrum's loudest partial is oscillator 1's.
TEST(RenderPicture, WaveformColumnsAndPeakMarkerLieWhereTheScalesPutThem) {
    const fs::path dir = fs::temp_directory_path() / ("tarmel-pic-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string command = "cd '" + dir.string() +
                                "' && " TARMEL_RENDER_PATH " --pitch 440 --offset2 20 --attack 300 "
                                "--play 1,2 --picture a.png";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage image = QImage(QString::fromStdString((dir / "a.png").string()))
                             .convertToFormat(QImage::Format_RGB32);
    fs::remove_all(dir);
    ASSERT_EQ(image.size(), QSize(800, 500));
    synth::SynthState state;
    synth::Waves waves;
    synth::generate({440, 460, 440, 300, {}}, state, waves);

    // The waveform: full scale (32768) at the plot's edges, 0 in its middle, one second across
    // its columns; each column shows the lowest and highest of its samples in the heard green.
    const ui::PictureLayout layout(QSizeF(800, 500));
    const QRect wave = layout.wave().toRect();
    const double middle = wave.top() + wave.height() / 2.0;
    const double perUnit = wave.height() / 2.0 / 32768;
    const QRgb green = qRgb(0, 200, 0);
    int tallest = 0;
    for (int c = 0; c < wave.width(); ++c) {
        const long first = 44100L * c / wave.width();
        const long next = 44100L * (c + 1) / wave.width();
        int lo = 32767;
        int hi = -32768;
        for (long n = first; n < next; ++n) {
            const int s =
                waves[0][static_cast<std::size_t>(n)] + waves[1][static_cast<std::size_t>(n)];
            lo = std::min(lo, s);
            hi = std::max(hi, s);
        }
        int top = -1;
        int bottom = -1;
        for (int y = wave.top(); y <= wave.bottom(); ++y) {
            if (image.pixel(wave.left() + c, y) == green) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
        ASSERT_GE(top, 0) << "column " << c;
        EXPECT_NEAR(top, middle - hi * perUnit, 1.0) << "column " << c;
        EXPECT_NEAR(bottom + 1, middle - lo * perUnit, 1.0) << "column " << c;
        tallest = std::max(tallest, bottom - top);
    }
    EXPECT_GT(tallest, 10) << "a band too thin to tell a wrong scale";

    // The peak marker, a light green ring: its lowest rows (below its label) centre on 440 Hz on
    // the logarithmic axis from 20 Hz to 22050 Hz, within a pixel (4 Hz here).
    const QRect spectrum = layout.spectrum().toRect();
    const auto marker = [&](int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return c.red() > 80 && c.green() > c.red() + 30;
    };
    int lowest = -1;
    for (int y = spectrum.top(); y <= spectrum.bottom(); ++y) {
        for (int x = spectrum.left(); x <= spectrum.right(); ++x) {
            lowest = marker(x, y) ? y : lowest;
        }
    }
    ASSERT_GE(lowest, 0) << "no peak marker";
    double sum = 0;
    int count = 0;
    for (int y = lowest - 2; y <= lowest; ++y) {
        for (int x = spectrum.left(); x <= spectrum.right(); ++x) {
            if (marker(x, y)) {
                sum += x + 0.5;
                ++count;
            }
        }
    }
    const double want =
        spectrum.left() + spectrum.width() * std::log(440.0 / 20) / std::log(22050.0 / 20);
    EXPECT_NEAR(sum / count, want, 1.0);
}

// The fitted level axis ends at the first of 1, 2 and 5 times a power of ten at or above the
// peak; silence and anything beyond 20000 get full scale.
TEST(FittingLevel, StepsOfOneTwoFiveUpToFullScale) {
    const std::pair<int, double> cases[] = {
        {0, 32768},   {1, 1},        {2, 2},         {3, 5},         {1500, 2000},  {2000, 2000},
        {2001, 5000}, {5001, 10000}, {20000, 20000}, {20001, 32768}, {32767, 32768}};
    for (const auto& [peak, top] : cases) {
        EXPECT_EQ(ui::fittingLevel(peak), top) << peak;
    }
}

} // namespace
} // namespace tarmel::cli
