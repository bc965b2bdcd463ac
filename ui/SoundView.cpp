// The Sound window: its controls, the cached drawing, zoom and readouts, and the worker that
// analyses each new sound.
#include "ui/SoundView.h"

#include "synth/Synthesizer.h"
#include "ui/Accessibility.h"
#include "ui/Controls.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <atomic>
#include <cmath>

namespace tarmel::ui {

namespace {

std::atomic<int> analysisCounter{0};

const QString kOpenKey = QStringLiteral("soundView/open");
const QString kGeometryKey = QStringLiteral("soundView/geometry");
// The narrowest zoom: 32 samples, a few cycles of the highest pitches.
constexpr double kMinSpan = 32;
constexpr double kWholeSecond = synth::kBufferSamples;

} // namespace

// A sound to analyse, and the picture to draw its traces for.
struct SoundView::Job {
    synth::Waves waves;
    std::array<bool, synth::kOscillators> played;
    PictureView view;
    QSize size;
    double pixelRatio;
};

// What the worker made of a Job.
struct SoundView::Drawn {
    std::shared_ptr<const analysis::SoundAnalysis> sound;
    QImage traces;
    PictureView view;
};

// The drawing: the grid in a cached pixmap, the traces in a cached image per sound and view; a
// repaint only copies them.
class SoundView::Picture : public QWidget {
public:
    explicit Picture(SoundView& owner) : QWidget(&owner), owner_(owner) {
        setMouseTracking(true);
        setMinimumSize(420, 320);
        setFocusPolicy(Qt::StrongFocus);
    }
    void gridChanged() {
        grid_ = QPixmap();
        tracesChanged();
    }
    void tracesChanged() {
        traces_ = QImage();
        update();
    }
    // Traces drawn elsewhere for a view; unused unless they fit the view and size shown.
    void setTraces(const QImage& traces, const PictureView& view) {
        traces_ = view == owner_.view_ ? traces : QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const double ratio = devicePixelRatioF();
        const QSize pixels = size() * ratio;
        if (grid_.size() != pixels || grid_.devicePixelRatio() != ratio) {
            grid_ = QPixmap(pixels);
            grid_.setDevicePixelRatio(ratio);
            QPainter p(&grid_);
            drawGrid(p, size(), owner_.view_);
        }
        if (traces_.size() != pixels || traces_.devicePixelRatio() != ratio) {
            traces_ = tracesImage(*owner_.shown_, owner_.view_, size(), ratio);
        }
        QPainter p(this);
        p.drawPixmap(0, 0, grid_);
        p.drawImage(0, 0, traces_);
        if (owner_.shown_->heard.empty()) {
            // Nothing played yet: say what will appear.
            p.setPen(Qt::white);
            p.drawText(rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap,
                       describeSound(*owner_.shown_));
        }
    }
    void resizeEvent(QResizeEvent*) override { gridChanged(); }
    void mouseMoveEvent(QMouseEvent* event) override { owner_.showReadout(event->position()); }
    void leaveEvent(QEvent*) override { owner_.showReadout({-1, -1}); }
    // The wheel zooms the waveform around the pointer; a double click shows the whole second.
    void wheelEvent(QWheelEvent* event) override {
        zoom(event->position().x(), event->angleDelta().y() / 120.0);
        owner_.showReadout(event->position());
        event->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent*) override { zoom(0, -1000); }
    // From the keyboard: + and - zoom around the middle, Home shows the whole second.
    void keyPressEvent(QKeyEvent* event) override {
        const double middle = PictureLayout(size()).wave().center().x();
        switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoom(middle, 1);
            break;
        case Qt::Key_Minus:
            zoom(middle, -1);
            break;
        case Qt::Key_Home:
            zoom(0, -1000);
            break;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    // Each notch shows 4/5 of the samples shown, the one at x staying there.
    void zoom(double x, double notches) {
        const PictureLayout at(size());
        PictureView view = owner_.view_;
        const double span = view.end - view.begin;
        const double newSpan = std::clamp(span * std::pow(0.8, notches), kMinSpan, kWholeSecond);
        const double anchor = std::clamp(at.sampleAt(x, view), view.begin, view.end);
        view.begin = std::clamp(anchor - (anchor - view.begin) * newSpan / span, 0.0,
                                kWholeSecond - newSpan);
        view.end = view.begin + newSpan;
        owner_.setView(view);
    }

    SoundView& owner_;
    QPixmap grid_;
    QImage traces_;
};

SoundView::SoundView()
    : QWidget(nullptr, Qt::Window), shown_(std::make_shared<analysis::SoundAnalysis>()),
      analyser_(std::make_unique<analysis::SpectrumAnalyser>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("SoundView"));
    setWindowTitle(QStringLiteral("Sound"));
    setAccessibleName(QStringLiteral("Sound"));
    setAccessibleDescription(QStringLiteral("The waveform and spectrum of the last sound heard"));
    // The main window's dark grey, with light text on it.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, darkGrey());
    palette.setColor(QPalette::WindowText, QColor(224, 224, 224));
    setPalette(palette);
    setAutoFillBackground(true);

    picture_ = new Picture(*this);
    picture_->setObjectName(QStringLiteral("SoundPicture"));
    picture_->setAccessibleName(QStringLiteral("Sound picture"));
    picture_->setToolTip(QStringLiteral("Wheel or + and -: zoom the waveform; double click or "
                                        "Home: the whole second"));
    picture_->setAccessibleDescription(describeSound(*shown_));

    auto* controls = new QVBoxLayout;
    static const std::array<const char*, synth::kOscillators> colours{"amber", "blue", "pink"};
    for (int k = 0; k < synth::kOscillators; ++k) {
        auto* box = new QCheckBox(QStringLiteral("Oscillator %1").arg(k + 1), this);
        box->setObjectName(QStringLiteral("SoundTrace(%1)").arg(k));
        box->setAccessibleName(QStringLiteral("Show oscillator %1").arg(k + 1));
        box->setAccessibleDescription(
            QStringLiteral("Draws oscillator %1's own samples over the sound as heard, in %2")
                .arg(k + 1)
                .arg(QLatin1String(colours[static_cast<std::size_t>(k)])));
        connect(box, &QCheckBox::toggled, this, [this, k](bool on) {
            PictureView view = view_;
            view.traces[static_cast<std::size_t>(k)] = on;
            view.levelTop = levelFor(*shown_, view.traces);
            setView(view);
        });
        traceBoxes_[static_cast<std::size_t>(k)] = box;
        controls->addWidget(box);
    }
    // The waveform's level axis fits the sound shown (a sound peaks near 1500 of 32767, a thin
    // band at full scale); cleared, the axis is full scale again.
    fitLevel_ = new QCheckBox(QStringLiteral("Fit level"), this);
    fitLevel_->setObjectName(QStringLiteral("SoundFitLevel"));
    fitLevel_->setAccessibleName(QStringLiteral("Fit the level scale to the sound"));
    fitLevel_->setAccessibleDescription(
        QStringLiteral("Ticked, the waveform's level axis ends just above the loudest sample "
                       "shown; cleared, it ends at full scale"));
    fitLevel_->setChecked(true);
    connect(fitLevel_, &QCheckBox::toggled, this, [this] {
        PictureView view = view_;
        view.levelTop = levelFor(*shown_, view.traces);
        setView(view);
    });
    controls->addWidget(fitLevel_);
    // A matched recording's spectrum behind the sound's, while there is one.
    targetBox_ = new QCheckBox(QStringLiteral("Target"), this);
    targetBox_->setObjectName(QStringLiteral("SoundTarget"));
    targetBox_->setAccessibleName(QStringLiteral("Show the target"));
    targetBox_->hide();
    connect(targetBox_, &QCheckBox::toggled, this, [this](bool on) {
        PictureView view = view_;
        view.target = on ? target_ : nullptr;
        setView(view);
        describe();
    });
    controls->addWidget(targetBox_);
    auto* floorLabel = new QLabel(QStringLiteral("Spectrum floor"), this);
    floor_ = new QSpinBox(this);
    floor_->setObjectName(QStringLiteral("SoundFloor"));
    floor_->setAccessibleName(QStringLiteral("Spectrum floor"));
    floor_->setAccessibleDescription(
        QStringLiteral("The lowest level the spectrum shows, in dB below full scale"));
    floor_->setRange(-160, -20);
    floor_->setSingleStep(10);
    floor_->setSuffix(QStringLiteral(" dB"));
    floor_->setValue(static_cast<int>(view_.floorDb));
    connect(floor_, &QSpinBox::valueChanged, this, [this](int db) {
        PictureView view = view_;
        view.floorDb = db;
        setView(view);
    });
    controls->addSpacing(12);
    controls->addWidget(floorLabel);
    controls->addWidget(floor_);
    controls->addStretch();

    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("SoundReadout"));
    readout_->setAccessibleName(QStringLiteral("Readout"));
    readout_->setMinimumWidth(1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture_, 0, 0);
    grid->addLayout(controls, 0, 1);
    grid->addWidget(readout_, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    setTabOrder(picture_, traceBoxes_[0]);
    setTabOrder(traceBoxes_[0], traceBoxes_[1]);
    setTabOrder(traceBoxes_[1], traceBoxes_[2]);
    setTabOrder(traceBoxes_[2], fitLevel_);
    setTabOrder(fitLevel_, targetBox_);
    setTabOrder(targetBox_, floor_);

    auto* save = new QAction(QStringLiteral("Save picture…"), this);
    connect(save, &QAction::triggered, this, &SoundView::savePictureAs);
    addAction(save);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    // The one lasting menu of every window, Shift+F10 and the Menu key included.
    addKeyboardMenu(*this);

    connect(&watcher_, &QFutureWatcherBase::finished, this, &SoundView::analysisDone);
    placed_ = restoreGeometry(QSettings().value(kGeometryKey).toByteArray());
    if (!placed_) {
        resize(860, 600);
    }
}

SoundView::~SoundView() {
    watcher_.waitForFinished(); // the worker uses analyser_
    QSettings().setValue(kGeometryKey, saveGeometry());
}

bool SoundView::wasOpen() {
    return QSettings().value(kOpenKey, false).toBool();
}

int SoundView::analysesStarted() {
    return analysisCounter.load();
}

void SoundView::showEvent(QShowEvent* event) {
    QSettings().setValue(kOpenKey, true);
    QWidget::showEvent(event);
}

void SoundView::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        QSettings settings;
        settings.setValue(kOpenKey, programEnding_);
        settings.setValue(kGeometryKey, saveGeometry());
        if (!programEnding_) {
            emit closedByUser();
        }
    }
}

void SoundView::placeBeside(const QWidget& window) {
    if (placed_) {
        return;
    }
    placed_ = true;
    const QRect main = window.frameGeometry();
    const QScreen* screen = window.screen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : main;
    constexpr int kGap = 8;
    constexpr QSize kSmallest(400, 300);
    const QSize frame = frameGeometry().size() - size(); // the window manager's frame
    const QRect right(QPoint(main.right() + 1 + kGap, main.top()), size() + frame);
    const QRect below(QPoint(main.left(), main.bottom() + 1 + kGap), size() + frame);
    QRect place = room.contains(right) ? right : below;
    if (!room.contains(place)) {
        // Below, made smaller to fit the room left there, but not too small to read.
        place.setSize(QSize(std::max(kSmallest.width(), std::min(place.width(), room.width())),
                            std::max(kSmallest.height(), room.bottom() - place.top() + 1)));
        place.moveLeft(std::clamp(place.left(), room.left(),
                                  std::max(room.left(), room.right() + 1 - place.width())));
        place.moveTop(std::clamp(place.top(), room.top(),
                                 std::max(room.top(), room.bottom() + 1 - place.height())));
    }
    resize(place.size() - frame);
    move(place.topLeft());
}

void SoundView::showSound(const synth::Waves& waves,
                          const std::array<bool, synth::kOscillators>& played) {
    if (!isVisible()) {
        return;
    }
    // Drawn at the level that will fit it, which the samples tell at once.
    PictureView view = view_;
    if (fitLevel_->isChecked()) {
        int peak = 0;
        for (int16_t v : synth::heardMix(waves, played)) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
        for (std::size_t k = 0; k < waves.size(); ++k) {
            for (std::size_t n = 0; view.traces[k] && n < synth::kBufferSamples; ++n) {
                peak = std::max(peak, std::abs(static_cast<int>(waves[k][n])));
            }
        }
        view.levelTop = fittingLevel(peak);
    }
    waiting_ = std::make_unique<Job>(
        Job{waves, played, view, picture_->size(), picture_->devicePixelRatioF()});
    if (!watcher_.isRunning()) {
        startAnalysis();
    }
}

void SoundView::startAnalysis() {
    std::shared_ptr<const Job> job = std::move(waiting_);
    ++analysisCounter;
    watcher_.setFuture(
        QtConcurrent::run([job, analyser = analyser_.get()]() -> std::shared_ptr<const Drawn> {
            try {
                auto sound = std::make_shared<const analysis::SoundAnalysis>(
                    analysis::analyseSound(job->waves, job->played, *analyser));
                QImage traces = tracesImage(*sound, job->view, job->size, job->pixelRatio);
                return std::make_shared<const Drawn>(Drawn{sound, std::move(traces), job->view});
            } catch (const std::exception&) {
                return nullptr; // out of memory: the sound before stays on screen
            }
        }));
}

void SoundView::analysisDone() {
    const std::shared_ptr<const Drawn> result = watcher_.result();
    if (waiting_) { // a newer sound came meanwhile: it wins
        startAnalysis();
        return;
    }
    if (result) {
        shown_ = result->sound;
        // The level the sound was drawn at, for the sound now shown.
        PictureView view = view_;
        view.levelTop = levelFor(*shown_, view.traces);
        setView(view);
        picture_->setTraces(result->traces, result->view);
        describe();
        emit soundShown();
    }
}

std::vector<analysis::Column> SoundView::waveColumns(int columns) const {
    return analysis::minMaxColumns(shown_->heard, view_.begin, view_.end, columns);
}

void SoundView::showTarget(std::shared_ptr<const analysis::Spectrum> target, const QString& name) {
    target_ = std::move(target);
    targetBox_->setVisible(target_ != nullptr);
    targetBox_->setAccessibleDescription(
        QStringLiteral("Draws the spectrum of %1 behind the sound's, as a white dashed line")
            .arg(name));
    targetBox_->setToolTip(targetBox_->accessibleDescription());
    const QSignalBlocker quiet(targetBox_);
    targetBox_->setChecked(target_ != nullptr);
    PictureView view = view_;
    view.target = target_;
    setView(view);
    describe();
}

void SoundView::describe() {
    picture_->setAccessibleDescription(describeSound(*shown_, view_.target.get()));
}

void SoundView::setView(const PictureView& view) {
    if (view == view_) {
        return;
    }
    // The target is drawn with the traces, over the grid.
    const bool gridAlike = view.begin == view_.begin && view.end == view_.end &&
                           view.floorDb == view_.floorDb && view.levelTop == view_.levelTop;
    view_ = view;
    gridAlike ? picture_->tracesChanged() : picture_->gridChanged();
}

double SoundView::levelFor(const analysis::SoundAnalysis& sound,
                           const std::array<bool, synth::kOscillators>& traces) const {
    if (!fitLevel_->isChecked()) {
        return PictureView{}.levelTop;
    }
    int peak = 0;
    const auto take = [&peak](const std::vector<int16_t>& samples) {
        for (int16_t v : samples) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
    };
    take(sound.heard);
    for (std::size_t k = 0; k < traces.size(); ++k) {
        if (traces[k]) {
            take(sound.voices[k]);
        }
    }
    return fittingLevel(peak);
}

void SoundView::showReadout(QPointF at) {
    const PictureLayout layout(picture_->size(), view_.levelTop);
    const analysis::SoundAnalysis& s = *shown_;
    QString text;
    if (layout.wave().contains(at) && !s.heard.empty()) {
        const double n = layout.sampleAt(at.x(), view_);
        const auto i = std::clamp<long>(std::lround(n), 0, static_cast<long>(s.heard.size()) - 1);
        text = QStringLiteral("Time %1 ms, level %2 (%3 of full scale)")
                   .arg(n / analysis::kSampleRate * 1000, 0, 'f', 2)
                   .arg(s.heard[static_cast<std::size_t>(i)])
                   .arg(s.heard[static_cast<std::size_t>(i)] / 32768.0, 0, 'f', 3);
    } else if (layout.spectrum().contains(at) && !s.spectrum.levelDb.empty()) {
        const double hz = layout.frequencyAt(at.x());
        const auto k =
            std::min<std::size_t>(static_cast<std::size_t>(std::lround(hz / analysis::kBinHz)),
                                  s.spectrum.levelDb.size() - 1);
        text = QStringLiteral("Frequency %1 Hz, level %2 dB")
                   .arg(hz, 0, 'f', 1)
                   .arg(s.spectrum.levelDb[k], 0, 'f', 1);
    }
    readout_->setText(text);
}

void SoundView::savePictureAs() {
    if (shown_->heard.empty()) {
        QMessageBox::information(this, QStringLiteral("Sound"),
                                 QStringLiteral("There is no sound to save yet. Play one with a "
                                                "letter key or \"generate\" first."));
        return;
    }
    QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save picture"), QStringLiteral("sound.png"),
        QStringLiteral("PNG picture (*.png);;SVG picture (*.svg)"));
    if (file.isEmpty()) {
        return;
    }
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix.isEmpty()) {
        file += QStringLiteral(".png");
    } else if (suffix != QLatin1String("png") && suffix != QLatin1String("svg")) {
        QMessageBox::critical(this, QStringLiteral("Sound"),
                              QStringLiteral("Pictures are saved as PNG or SVG. Choose a name "
                                             "ending in .png or .svg."));
        return;
    }
    try {
        savePicture(file.toStdString(), *shown_, view_, picture_->size(), true,
                    picture_->devicePixelRatioF());
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QStringLiteral("Sound"),
                              QStringLiteral("The picture could not be saved: %1\n\nChoose "
                                             "another folder or free some space, then save "
                                             "again.")
                                  .arg(QString::fromUtf8(e.what())));
    }
}

} // namespace tarmel::ui
