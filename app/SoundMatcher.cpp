// The window's door to matching a sound.
#include "app/SoundMatcher.h"

#include "app/ErrorGuard.h"
#include "match/Target.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

namespace tarmel::app {

SoundMatcher::SoundMatcher(SoundModel& model, Window window, QObject* parent)
    : QObject(parent), model_(model), window_(std::move(window)) {
    action_ = new QAction(QStringLiteral("Match a sound…"), this);
    const QString help = QStringLiteral("Searches for the settings that sound closest to a "
                                        "recording, then plays them.");
    action_->setToolTip(help);
    action_->setStatusTip(help);
    action_->setWhatsThis(help);
    connect(action_, &QAction::triggered, this,
            [this] { window_.guarded([this] { chooseAndMatch(); }); });
}

SoundMatcher::~SoundMatcher() {
    if (running_ != nullptr) {
        running_->cancel = true;
        running_->watcher.waitForFinished();
    }
}

void SoundMatcher::chooseAndMatch() {
    const QString file = QFileDialog::getOpenFileName(
        window_.widget, QStringLiteral("Match a sound"), QString(),
        QStringLiteral("Sound files (*.wav *.flac *.ogg *.oga *.aiff *.aif);;All files (*)"));
    if (!file.isEmpty()) {
        match(file);
    }
}

void SoundMatcher::match(const QString& file) {
    if (running_ != nullptr) {
        running_->dialog->raise();
        return;
    }
    match::Target target;
    try {
        target = match::readTarget(file.toStdString());
    } catch (const match::TargetError& e) {
        throw Refusal(std::string(e.what()) + "\n\nChoose a recording of a sound.");
    }
    auto run = std::make_unique<Running>();
    run->name = QFileInfo(file).fileName();
    run->target = target.samples;
    const match::MatchOptions options;
    run->dialog = new QProgressDialog(QStringLiteral("Matching %1…").arg(run->name),
                                      QStringLiteral("Cancel"), 0, options.budget, window_.widget);
    run->dialog->setWindowTitle(QStringLiteral("Match a sound"));
    run->dialog->setAccessibleName(QStringLiteral("Matching %1").arg(run->name));
    run->dialog->setWindowModality(Qt::WindowModal);
    run->dialog->setMinimumDuration(0);
    run->dialog->setAutoClose(false);
    run->dialog->setAutoReset(false);
    run->dialog->setValue(0);
    std::atomic<bool>* cancel = &run->cancel;
    connect(run->dialog, &QProgressDialog::canceled, this, [cancel] { *cancel = true; });
    QProgressDialog* dialog = run->dialog;
    const auto progress = [dialog, name = run->name](const match::MatchProgress& p) {
        QMetaObject::invokeMethod(dialog, [dialog, name, p] {
            dialog->setValue(std::min(p.renders, dialog->maximum()));
            dialog->setLabelText(QStringLiteral("Matching %1: %2 sounds tried, best distance %3")
                                     .arg(name)
                                     .arg(p.renders)
                                     .arg(p.bestDistance, 0, 'f', 3));
        });
    };
    connect(&run->watcher, &QFutureWatcherBase::finished, this,
            [this] { window_.guarded([this] { finished(); }); });
    run->watcher.setFuture(
        QtConcurrent::run([target = std::move(target), options, progress, cancel] {
            return match::matchSound(target, options, progress, cancel);
        }));
    running_ = std::move(run);
}

void SoundMatcher::finished() {
    const std::unique_ptr<Running> run = std::move(running_);
    run->dialog->deleteLater();
    const match::MatchResult result = run->watcher.result();
    if (result.cancelled &&
        QMessageBox::question(window_.widget, QStringLiteral("Match a sound"),
                              QStringLiteral("The search was cancelled after %1 sounds. Keep the "
                                             "closest found so far (distance %2)?")
                                  .arg(result.renders)
                                  .arg(result.distance, 0, 'f', 3),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes) != QMessageBox::Yes) {
        return;
    }
    // Heard as it was matched: from the start-up state. One step of undo.
    model_.document().open(result.controls, synth::SynthState{});
    window_.play();
    // The recording's spectrum, for the Sound window to draw behind the match's.
    std::vector<int16_t> samples(run->target.size());
    std::ranges::transform(run->target, samples.begin(), [](float v) {
        return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
    });
    analysis::SpectrumAnalyser analyser;
    emit matched(std::make_shared<const analysis::Spectrum>(analyser.analyse(samples)), run->name);
}

} // namespace tarmel::app
