// The picture of one analysed second: the waveform above, the spectrum below, on the main
// window's dark palette. Drawn by the Sound window and by tarmel-render; needs Qt Gui only.
#pragma once

#include "analysis/Analysis.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <array>
#include <filesystem>
#include <memory>

class QPainter;

namespace tarmel::ui {

// What part of the sound is shown, and how.
struct PictureView {
    double begin = 0;                               // the first sample shown
    double end = synth::kBufferSamples;             // one past the last
    std::array<bool, synth::kOscillators> traces{}; // oscillators drawn on their own
    double floorDb = -100;                          // the bottom of the spectrum's level axis
    double levelTop = 32768; // the level at the top of the waveform's axis: full scale, or less
    // A spectrum drawn behind the sound's, such as the recording a match was made for; none when
    // null.
    std::shared_ptr<const analysis::Spectrum> target;
    friend bool operator==(const PictureView&, const PictureView&) = default;
};

// The size of the pictures tarmel-render draws, in pixels.
inline constexpr int kPictureWidth = 800;
inline constexpr int kPictureHeight = 500;

// Where the two plots lie in a picture of a given size, and the scales of their axes.
class PictureLayout {
public:
    // levelTop: the sample value at the top of the waveform's axis.
    explicit PictureLayout(QSizeF size, double levelTop = 32768);
    QRectF wave() const { return wave_; }
    QRectF spectrum() const { return spectrum_; }
    double sampleAt(double x, const PictureView& view) const;
    double xOfSample(double n, const PictureView& view) const;
    // Sample value (-32768..32767) at a height of the waveform, and back.
    double valueAt(double y) const;
    double yOfValue(double value) const;
    // Frequency (Hz, logarithmic from 20 to 22050) at a place of the spectrum, and back.
    double frequencyAt(double x) const;
    double xOfFrequency(double hz) const;
    // Level (dB, floor at the bottom, 0 at the top) at a height of the spectrum, and back.
    double dbAt(double y, double floorDb) const;
    double yOfDb(double db, double floorDb) const;

private:
    double levelTop_;
    QRectF wave_;
    QRectF spectrum_;
};

// The background, grid lines and axis labels; depend on the size and view, not on the sound.
void drawGrid(QPainter& painter, QSizeF size, const PictureView& view);
// The waveform, the oscillators' traces, the spectrum and its peak, on a transparent ground.
// pixelRatio is the device pixels per logical pixel: one min/max column per device pixel, lines
// antialiased below a ratio of 2.
void drawTraces(QPainter& painter, QSizeF size, const analysis::SoundAnalysis& sound,
                const PictureView& view, double pixelRatio);

// The traces alone, on a transparent image of size logical pixels times pixelRatio.
QImage tracesImage(const analysis::SoundAnalysis& sound, const PictureView& view, QSize size,
                   double pixelRatio);
// Grid and traces in one image of size logical pixels times pixelRatio.
QImage renderPicture(const analysis::SoundAnalysis& sound, const PictureView& view, QSize size,
                     double pixelRatio = 1);
// Writes the picture to file: SVG when its name ends in .svg, PNG otherwise, whole or not at
// all. Throws files::FileError (files::FileExistsError when it exists and replace is not set).
// A PNG has size times pixelRatio pixels.
void savePicture(const std::filesystem::path& file, const analysis::SoundAnalysis& sound,
                 const PictureView& view, QSize size, bool replace, double pixelRatio = 1);

// The top of a waveform axis that fits a sound whose loudest sample is peak: the next step of 1,
// 2 or 5 times a power of ten at or above it, full scale (32768) at most and for silence.
double fittingLevel(int peak);

// One sentence about the sound for screen readers: its loudest partial and its sample range;
// with a target, a second one about the target's loudest partial.
QString describeSound(const analysis::SoundAnalysis& sound,
                      const analysis::Spectrum* target = nullptr);

} // namespace tarmel::ui
