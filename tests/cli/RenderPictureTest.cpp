// tarmel-render --picture against what the picture must show, worked out here from the samples
// and the axes' scales: the waveform's pixel columns and the place of the spectrum's peak marker.
#include "synth/Synthesizer.h"
#include "ui/SoundPicture.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>
#include <span>
#include <unistd.h>

namespace tarmel::cli {
namespace {

namespace fs = std::filesystem;

// A 440 Hz oscillator with a decay and oscillator 2 at 460 Hz, both heard: the waveform is widest
// at the left, and the spectrum's loudest partial is oscillator 1's.
TEST(RenderPicture, WaveformColumnsAndPeakMarkerLieWhereTheScalesPutThem) {
    const std::string png =
        fs::temp_directory_path() / ("tarmel-" + std::to_string(getpid()) + ".png");
    const std::string command = TARMEL_RENDER_PATH " --pitch 440 --offset2 20 --attack 300 "
                                                   "--play 1,2 --picture '" +
                                png + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    fs::remove(png);
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
    std::vector<int> mix(waves[0].size());
    std::ranges::transform(waves[0], waves[1], mix.begin(), std::plus<int>());
    for (int c = 0; c < wave.width(); ++c) {
        const long first = 44100L * c / wave.width();
        const long next = 44100L * (c + 1) / wave.width();
        const auto [lo, hi] = std::ranges::minmax(std::span(mix).subspan(first, next - first));
        int top = -1;
        int bottom = -1;
        for (int y = wave.top(); y <= wave.bottom(); ++y) {
            if (image.pixel(wave.left() + c, y) == qRgb(0, 200, 0)) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
        ASSERT_GE(top, 0) << "column " << c;
        EXPECT_NEAR(top, middle - hi * perUnit, 1.0) << "column " << c;
        EXPECT_NEAR(bottom + 1, middle - lo * perUnit, 1.0) << "column " << c;
    }

    // The peak marker, a light green ring: its lowest rows (below its label) centre on 440 Hz on
    // the logarithmic axis from 20 Hz to 22050 Hz, within a pixel (4 Hz here).
    const QRect spectrum = layout.spectrum().toRect();
    std::vector<std::pair<int, int>> ring; // its pixels, row then column
    for (int y = spectrum.top(); y <= spectrum.bottom(); ++y) {
        for (int x = spectrum.left(); x <= spectrum.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 80 && c.green() > c.red() + 30) {
                ring.emplace_back(y, x);
            }
        }
    }
    ASSERT_FALSE(ring.empty()) << "no peak marker";
    const int lowest = ring.back().first;
    std::erase_if(ring, [lowest](const auto& pixel) { return pixel.first < lowest - 2; });
    const double centre = std::accumulate(ring.begin(), ring.end(), 0.0,
                                          [](double sum, const auto& p) { return sum + p.second; });
    const double want =
        spectrum.left() + spectrum.width() * std::log(440.0 / 20) / std::log(22050.0 / 20);
    EXPECT_NEAR(centre / static_cast<double>(ring.size()) + 0.5, want, 1.0);
}

} // namespace
} // namespace tarmel::cli
