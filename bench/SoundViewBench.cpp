// From new waves to the Sound window's finished picture of them: the analysis (mix, spectrum)
// and the drawing of the traces, for the all-fifteen-on sound with all three voices heard, at
// the picture's size on a plain and on a doubled-density screen. The grid is drawn once per size,
// not per sound, and is left out.
#include "analysis/Analysis.h"
#include "bench/Bench.h"
#include "ui/SoundPicture.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace tarmel;

// What the Sound window's worker does with a new sound, drawn at this pixel ratio.
void wavesToPicture(benchmark::State& st, double pixelRatio) {
    const auto waves = bench::allFifteenOnWaves();
    analysis::SpectrumAnalyser analyser;
    for (auto _ : st) {
        const analysis::SoundAnalysis sound =
            analysis::analyseSound(*waves, {true, true, true}, analyser);
        const QImage traces =
            ui::tracesImage(sound, {}, QSize(ui::kPictureWidth, ui::kPictureHeight), pixelRatio);
        benchmark::DoNotOptimize(traces.constBits());
    }
}

BENCHMARK_CAPTURE(wavesToPicture, AllFifteenOn, 1.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(wavesToPicture, AllFifteenOnDoubleDensity, 2.0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // text needs a QGuiApplication, not a display
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
