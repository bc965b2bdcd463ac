// The "Sound" window: the waveform and spectrum of the last sound heard, redrawn for every new
// sound. The analysis and the drawing of a new sound run on a worker; the window never waits
// for it.
#pragma once

#include "analysis/Analysis.h"
#include "ui/SoundPicture.h"

#include <QFutureWatcher>
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace tarmel::ui {

class SoundView : public QWidget {
    Q_OBJECT

public:
    // Top-level without owner, hidden, where it was last time; deletes itself when closed.
    SoundView();
    ~SoundView() override;

    // Whether the window was open when the program last ended.
    static bool wasOpen();
    // The program ends with the window open: the close that follows is no user's, and the
    // window opens again at the next start.
    void programEnding() { programEnding_ = true; }
    // Puts a window that has no place of its own yet beside window (to its right, else below
    // it), on the screen.
    void placeBeside(const QWidget& window);
    // Analyses started in this process by every Sound window; for tests and benchmarks.
    static int analysesStarted();

    // The waves the device got and the voices it played. While the window is hidden this does
    // nothing. Otherwise the sound is analysed on a worker; a sound that arrives meanwhile
    // replaces any still waiting, so the newest always wins.
    void showSound(const synth::Waves& waves, const std::array<bool, synth::kOscillators>& played);

    // Draws target's spectrum behind the sound's, such as the recording a match was made for,
    // named name, and offers a box to hide it. A null target takes it away.
    void showTarget(std::shared_ptr<const analysis::Spectrum> target, const QString& name);

    // The sound on screen (no samples before the first) and how it is shown.
    const analysis::SoundAnalysis& shownSound() const { return *shown_; }
    const PictureView& pictureView() const { return view_; }
    // The waveform of the sound on screen over the part shown, in columns.
    std::vector<analysis::Column> waveColumns(int columns) const;

signals:
    // A new sound's analysis is on screen.
    void soundShown();
    // The window was closed from its title bar; it is then deleted.
    void closedByUser();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool programEnding_ = false;
    bool placed_ = false; // a place was kept from the last time
    class Picture;
    struct Job;
    struct Drawn;

    void startAnalysis();
    void analysisDone();
    void setView(const PictureView& view);
    void describe();
    void showReadout(QPointF at);
    void savePictureAs();
    // The top of the waveform's level axis for a sound and the traces drawn on their own.
    double levelFor(const analysis::SoundAnalysis& sound,
                    const std::array<bool, synth::kOscillators>& traces) const;

    Picture* picture_ = nullptr;
    std::array<QCheckBox*, synth::kOscillators> traceBoxes_{};
    QSpinBox* floor_ = nullptr;
    QCheckBox* fitLevel_ = nullptr;
    QCheckBox* targetBox_ = nullptr; // shown while there is a target
    std::shared_ptr<const analysis::Spectrum> target_;
    QLabel* readout_ = nullptr;
    PictureView view_;
    std::shared_ptr<const analysis::SoundAnalysis> shown_;
    std::unique_ptr<Job> waiting_; // the newest sound, waiting for the running analysis
    // Used by the one running analysis only; the UI thread never touches it.
    std::unique_ptr<analysis::SpectrumAnalyser> analyser_;
    QFutureWatcher<std::shared_ptr<const Drawn>> watcher_;
};

} // namespace tarmel::ui
