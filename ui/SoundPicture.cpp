// Drawing the waveform and the spectrum of one analysed second.
#include "ui/SoundPicture.h"

#include "files/AtomicFile.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

namespace tarmel::ui {

namespace {

// The main window's palette: its grey, and greens like its "Keyboard Active" label.
const QColor kBackground(64, 64, 64);
const QColor kPlotGround(44, 44, 44);
const QColor kGridLine(92, 92, 92);
const QColor kAxisText(208, 208, 208);
const QColor kHeard(0, 200, 0);
const QColor kSpectrumFill(0, 72, 0);
const QColor kPeak(176, 255, 176);
const QColor kTarget(240, 240, 240); // a spectrum behind the sound's
const std::array<QColor, synth::kOscillators> kOscillatorColours{
    QColor(255, 176, 0), QColor(64, 176, 255), QColor(255, 96, 208)};

constexpr double kLeft = 52; // room for the level labels
constexpr double kRight = 24;
constexpr double kTop = 8;
constexpr double kAxisRoom = 20; // room for the labels under each plot
constexpr double kLowHz = 20;
constexpr double kHighHz = analysis::kSampleRate / 2;
constexpr double kFullScale = 32768;

QFont labelFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
}

// The step of 1, 2 or 5 times a power of ten nearest above raw.
double niceStep(double raw) {
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0}) {
        if (m * decade >= raw) {
            return m * decade;
        }
    }
    return 10 * decade;
}

QString hzLabel(double hz) {
    return hz >= 1000 ? QString::number(hz / 1000) + QStringLiteral(" kHz")
                      : QString::number(hz) + QStringLiteral(" Hz");
}

void label(QPainter& p, QPointF at, const QString& text, Qt::Alignment align) {
    const QRectF box(at.x() - 60, at.y() - 8, 120, 16);
    QRectF r = box;
    if (align & Qt::AlignRight) {
        r.moveRight(at.x());
    } else if (align & Qt::AlignLeft) {
        r.moveLeft(at.x());
    }
    p.drawText(r, static_cast<int>(align | Qt::AlignVCenter), text);
}

// The spectrum's grid lines, with their labels when labelled.
void spectrumGrid(QPainter& p, const PictureLayout& at, double floorDb, bool labelled) {
    const QRectF spectrumBox = at.spectrum();
    const auto line = [&](QPointF a, QPointF b) {
        p.setPen(QPen(kGridLine, 0));
        p.drawLine(a, b);
        p.setPen(kAxisText);
    };
    // Frequency: 20 Hz to 22.05 kHz, lines at 1, 2 and 5 times a power of ten.
    for (double decade = 10; decade <= 10000; decade *= 10) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double hz = m * decade;
            if (hz < kLowHz || hz > kHighHz) {
                continue;
            }
            const double x = at.xOfFrequency(hz);
            line({x, spectrumBox.top()}, {x, spectrumBox.bottom()});
            if (labelled) {
                label(p, {x, spectrumBox.bottom() + 9}, hzLabel(hz), Qt::AlignHCenter);
            }
        }
    }
    // Level: dB to full scale, every 10 dB (20 dB for deep floors).
    const double dbStep = floorDb < -120 ? 20 : 10;
    for (double db = 0; db >= floorDb; db -= dbStep) {
        const double y = at.yOfDb(db, floorDb);
        line({spectrumBox.left(), y}, {spectrumBox.right(), y});
        if (labelled) {
            label(p, {spectrumBox.left() - 4, y}, QString::number(db) + QStringLiteral(" dB"),
                  Qt::AlignRight);
        }
    }
}

} // namespace

PictureLayout::PictureLayout(QSizeF size, double levelTop) : levelTop_(levelTop) {
    const double half = size.height() / 2;
    const double width = std::max(1.0, size.width() - kLeft - kRight);
    wave_ = QRectF(kLeft, kTop, width, std::max(1.0, half - kTop - kAxisRoom));
    spectrum_ = QRectF(kLeft, half + kTop, width, std::max(1.0, half - kTop - kAxisRoom));
}

double PictureLayout::sampleAt(double x, const PictureView& view) const {
    return view.begin + (x - wave_.left()) / wave_.width() * (view.end - view.begin);
}

double PictureLayout::xOfSample(double n, const PictureView& view) const {
    return wave_.left() + (n - view.begin) / (view.end - view.begin) * wave_.width();
}

double PictureLayout::valueAt(double y) const {
    return (wave_.center().y() - y) / (wave_.height() / 2) * levelTop_;
}

double PictureLayout::yOfValue(double value) const {
    return wave_.center().y() - value / levelTop_ * (wave_.height() / 2);
}

double PictureLayout::frequencyAt(double x) const {
    return kLowHz * std::pow(kHighHz / kLowHz, (x - spectrum_.left()) / spectrum_.width());
}

double PictureLayout::xOfFrequency(double hz) const {
    return spectrum_.left() +
           std::log(hz / kLowHz) / std::log(kHighHz / kLowHz) * spectrum_.width();
}

double PictureLayout::dbAt(double y, double floorDb) const {
    return (spectrum_.bottom() - y) / spectrum_.height() * -floorDb + floorDb;
}

double PictureLayout::yOfDb(double db, double floorDb) const {
    return spectrum_.bottom() - (db - floorDb) / -floorDb * spectrum_.height();
}

void drawGrid(QPainter& p, QSizeF size, const PictureView& view) {
    const PictureLayout at(size, view.levelTop);
    const QRectF wave = at.wave();
    const QRectF spectrumBox = at.spectrum();
    p.fillRect(QRectF(QPointF(0, 0), size), kBackground);
    p.fillRect(wave, kPlotGround);
    p.fillRect(spectrumBox, kPlotGround);
    p.setFont(labelFont());
    const QPen grid(kGridLine, 0);
    const auto line = [&](QPointF a, QPointF b) {
        p.setPen(grid);
        p.drawLine(a, b);
        p.setPen(kAxisText);
    };

    // Time: 1-2-5 steps in seconds, at least 80 pixels apart.
    const double seconds = (view.end - view.begin) / analysis::kSampleRate;
    const double step = niceStep(seconds * 80 / wave.width());
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step))));
    for (double t = std::ceil(view.begin / analysis::kSampleRate / step) * step;
         t * analysis::kSampleRate <= view.end; t += step) {
        const double x = at.xOfSample(t * analysis::kSampleRate, view);
        line({x, wave.top()}, {x, wave.bottom()});
        label(p, {x, wave.bottom() + 9}, QString::number(t, 'f', decimals) + QStringLiteral(" s"),
              Qt::AlignHCenter);
    }
    // Level: a fraction of full scale, at the top and halfway.
    for (double level : {1.0, 0.5, 0.0, -0.5, -1.0}) {
        const double y = at.yOfValue(level * view.levelTop);
        line({wave.left(), y}, {wave.right(), y});
        label(p, {wave.left() - 4, y}, QString::number(level * view.levelTop / kFullScale, 'g', 3),
              Qt::AlignRight);
    }

    spectrumGrid(p, at, view.floorDb, true);
}

namespace {

// One wave: min/max bars (filled) or outlines, or, zoomed in, the samples joined by a line.
void drawWave(QPainter& p, const PictureLayout& at, const std::vector<int16_t>& samples,
              const PictureView& view, double pixelRatio, const QColor& colour, bool filled) {
    const QRectF wave = at.wave();
    const int columns = std::max(1, static_cast<int>(std::lround(wave.width() * pixelRatio)));
    p.setPen(QPen(colour, 0));
    if ((view.end - view.begin) > columns) {
        const auto cols = analysis::minMaxColumns(samples, view.begin, view.end, columns);
        QList<QRectF> bars;
        QPolygonF top;
        QPolygonF bottom;
        const double pixel = 1 / pixelRatio;
        for (int c = 0; c < columns; ++c) {
            const double x = wave.left() + c * pixel;
            const auto& col = cols[static_cast<std::size_t>(c)];
            const double hi = at.yOfValue(col.max);
            const double lo = at.yOfValue(col.min);
            if (filled) {
                bars.append(QRectF(x, hi, pixel, std::max(lo - hi, pixel)));
            } else {
                top << QPointF(x + pixel / 2, hi);
                bottom << QPointF(x + pixel / 2, lo);
            }
        }
        // Columns fill whole device pixels: rectangles without antialiasing draw them fastest.
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRects(bars);
        p.restore();
        p.drawPolyline(top);
        p.drawPolyline(bottom);
        return;
    }
    const long first = std::max(0L, static_cast<long>(std::floor(view.begin)));
    const long last =
        std::min(static_cast<long>(samples.size()) - 1, static_cast<long>(std::ceil(view.end)));
    QPolygonF line;
    for (long n = first; n <= last; ++n) {
        line << QPointF(at.xOfSample(static_cast<double>(n), view),
                        at.yOfValue(samples[static_cast<std::size_t>(n)]));
    }
    p.drawPolyline(line);
    // Single samples as points once they stand apart.
    if (wave.width() / (view.end - view.begin) >= 4) {
        p.setBrush(colour);
        for (const QPointF& point : line) {
            p.drawEllipse(point, 1.8, 1.8);
        }
        p.setBrush(Qt::NoBrush);
    }
}

// The spectrum's curve: per pixel column the loudest bin under it, or between two bins the
// straight line joining them.
QPolygonF spectrumCurve(const PictureLayout& at, const analysis::Spectrum& s,
                        const PictureView& view, double pixelRatio) {
    const QRectF spectrumBox = at.spectrum();
    const int columns =
        std::max(1, static_cast<int>(std::lround(spectrumBox.width() * pixelRatio)));
    const auto level = [&](std::size_t k) {
        return std::clamp(static_cast<double>(s.levelDb[k]), view.floorDb, 0.0);
    };
    QPolygonF curve;
    for (int c = 0; c <= columns; ++c) {
        const double x = spectrumBox.left() + c / pixelRatio;
        const double f0 = at.frequencyAt(x - 0.5 / pixelRatio) / analysis::kBinHz;
        const double f1 = at.frequencyAt(x + 0.5 / pixelRatio) / analysis::kBinHz;
        const auto k0 = static_cast<std::size_t>(std::max(0.0, std::ceil(f0)));
        const auto k1 = std::min(s.levelDb.size() - 1, static_cast<std::size_t>(std::floor(f1)));
        double db = view.floorDb;
        if (k0 <= k1) {
            for (std::size_t k = k0; k <= k1; ++k) {
                db = std::max(db, level(k));
            }
        } else {
            const double f = (f0 + f1) / 2;
            const auto k = std::min(s.levelDb.size() - 2, static_cast<std::size_t>(f));
            db = level(k) + (level(k + 1) - level(k)) * (f - static_cast<double>(k));
        }
        curve << QPointF(x, at.yOfDb(db, view.floorDb));
    }
    return curve;
}

// The sound's spectrum, filled, with the target's curve (when the view has one) over the fill
// and under the sound's curve, and the loudest partial marked.
void drawSpectrum(QPainter& p, const PictureLayout& at, const analysis::Spectrum& s,
                  const PictureView& view, double pixelRatio) {
    const QRectF spectrumBox = at.spectrum();
    const QPolygonF curve = spectrumCurve(at, s, view, pixelRatio);
    // The area under the curve, opaque (blending a translucent one costs more than all the rest
    // of the drawing), with the grid drawn again over it.
    QPolygonF area = curve;
    area << spectrumBox.bottomRight() << spectrumBox.bottomLeft();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kSpectrumFill);
    p.drawPolygon(area);
    spectrumGrid(p, at, view.floorDb, false);
    p.restore();
    if (view.target != nullptr && view.target->levelDb.size() == s.levelDb.size()) {
        p.setPen(QPen(kTarget, 0, Qt::DashLine));
        p.drawPolyline(spectrumCurve(at, *view.target, view, pixelRatio));
        p.setFont(labelFont());
        label(p, {spectrumBox.right() - 6, spectrumBox.top() + 8}, QStringLiteral("- - target"),
              Qt::AlignRight);
    }
    p.setPen(QPen(kHeard, 0));
    p.drawPolyline(curve);

    const analysis::Peak& peak = s.peak;
    if (peak.levelDb > view.floorDb && peak.frequency >= kLowHz) {
        const QPointF at2(at.xOfFrequency(peak.frequency),
                          at.yOfDb(std::min(peak.levelDb, 0.0), view.floorDb));
        p.setPen(QPen(kPeak, 0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(at2, 3.5, 3.5);
        p.setFont(labelFont());
        const bool right = at2.x() > spectrumBox.center().x();
        label(p, {at2.x() + (right ? -6 : 6), std::max(spectrumBox.top() + 8, at2.y() - 10)},
              QStringLiteral("%1 Hz").arg(peak.frequency, 0, 'f', 1),
              right ? Qt::AlignRight : Qt::AlignLeft);
    }
}

} // namespace

void drawTraces(QPainter& p, QSizeF size, const analysis::SoundAnalysis& sound,
                const PictureView& view, double pixelRatio) {
    if (sound.heard.empty() || sound.spectrum.levelDb.size() != analysis::kBins) {
        return; // no sound yet
    }
    const PictureLayout at(size, view.levelTop);
    p.save();
    // Smooth lines where pixels are large enough to see steps; on dense screens they cost more
    // than they show.
    p.setRenderHint(QPainter::Antialiasing, pixelRatio < 2);
    p.setClipRect(at.wave());
    drawWave(p, at, sound.heard, view, pixelRatio, kHeard, true);
    for (std::size_t k = 0; k < sound.voices.size(); ++k) {
        if (view.traces[k]) {
            drawWave(p, at, sound.voices[k], view, pixelRatio, kOscillatorColours[k], false);
        }
    }
    p.setClipRect(at.spectrum().adjusted(0, -1, 0, 1));
    drawSpectrum(p, at, sound.spectrum, view, pixelRatio);
    p.restore();
}

QImage tracesImage(const analysis::SoundAnalysis& sound, const PictureView& view, QSize size,
                   double pixelRatio) {
    QImage image(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawTraces(p, size, sound, view, pixelRatio);
    return image;
}

QImage renderPicture(const analysis::SoundAnalysis& sound, const PictureView& view, QSize size,
                     double pixelRatio) {
    QImage image(size * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    QPainter p(&image);
    drawGrid(p, size, view);
    drawTraces(p, size, sound, view, pixelRatio);
    return image;
}

void savePicture(const std::filesystem::path& file, const analysis::SoundAnalysis& sound,
                 const PictureView& view, QSize size, bool replace, double pixelRatio) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (ext == ".svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Tarmel sound"));
        svg.setDescription(describeSound(sound, view.target.get()));
        QPainter p(&svg);
        drawGrid(p, size, view);
        drawTraces(p, size, sound, view, 1);
    } else if (!renderPicture(sound, view, size, pixelRatio).save(&buffer, "PNG")) {
        throw files::FileError("cannot draw the picture for " + file.string());
    }
    files::writeBytesAtomically(
        file, replace, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

double fittingLevel(int peak) {
    if (peak <= 0) {
        return kFullScale;
    }
    for (double decade = 1; decade < kFullScale; decade *= 10) {
        for (double step : {1.0, 2.0, 5.0}) {
            if (step * decade >= peak) {
                return std::min(step * decade, kFullScale);
            }
        }
    }
    return kFullScale;
}

QString describeSound(const analysis::SoundAnalysis& sound, const analysis::Spectrum* target) {
    if (sound.heard.empty()) {
        return QStringLiteral("No sound yet. Press \"generate\", a letter key or a MIDI key: "
                              "the waveform of the second appears above, its spectrum below.");
    }
    const auto [lo, hi] = std::minmax_element(sound.heard.begin(), sound.heard.end());
    const QString about =
        sound.spectrum.peak.levelDb <= analysis::kMinDb
            ? QStringLiteral("Silence.")
            : QStringLiteral("Loudest partial %1 Hz at %2 dB; samples from %3 to %4.")
                  .arg(sound.spectrum.peak.frequency, 0, 'f', 1)
                  .arg(sound.spectrum.peak.levelDb, 0, 'f', 1)
                  .arg(*lo)
                  .arg(*hi);
    if (target == nullptr) {
        return about;
    }
    return about + QStringLiteral(" The target's loudest partial %1 Hz at %2 dB.")
                       .arg(target->peak.frequency, 0, 'f', 1)
                       .arg(target->peak.levelDb, 0, 'f', 1);
}

} // namespace tarmel::ui
