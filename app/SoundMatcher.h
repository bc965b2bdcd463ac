// "Match a sound…": a recording chosen, the search for the settings that sound closest run on
// the pool's threads while the window goes on, its progress shown with the best distance so far,
// and the best sound applied as one undo step and played. The search itself is the match
// library's.
#pragma once

#include "analysis/Analysis.h"
#include "app/SoundModel.h"
#include "app/WindowHooks.h"
#include "match/Search.h"

#include <QFutureWatcher>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QProgressDialog;
class QWidget;

namespace tarmel::app {

class SoundMatcher : public QObject {
    Q_OBJECT

public:
    using Window = WindowHooks;

    SoundMatcher(SoundModel& model, Window window, QObject* parent = nullptr);
    // A search under way is stopped and waited for.
    ~SoundMatcher() override;

    QAction* action() const { return action_; }
    // Searches for a match of file; the result arrives later, unless the file is refused at once.
    void match(const QString& file);

signals:
    // A match was applied: the spectrum of the recording it was made for, and the file's name.
    void matched(std::shared_ptr<const analysis::Spectrum> target, const QString& name);

private:
    void chooseAndMatch();
    void finished();

    SoundModel& model_;
    Window window_;
    QAction* action_ = nullptr;

    // A search under way: its progress and cancel flag shared with the search's thread.
    struct Running {
        QString name;
        std::vector<float> target; // the second matched, in 16-bit units
        std::atomic<bool> cancel{false};
        QProgressDialog* dialog = nullptr; // a child of the window, deleted when it ends
        QFutureWatcher<match::MatchResult> watcher;
    };
    std::unique_ptr<Running> running_;
};

} // namespace tarmel::app
