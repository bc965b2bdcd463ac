// Random user actions on tarmel's windows from a seeded generator: letter and other keys, keys
// held until they repeat, clicks, drags and wheel turns on every button, box, bar and slider,
// windows shown, focused and closed from their title bars, repeat and stop, reset, and exit
// answered No. Before each action the monkey waits until the program has handled the previous
// one and answers the questions it asked, so that a question never takes a random key.
#pragma once

#include "TarmelSession.h"
#include "WindowLayouts.h"

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarmel::robustness {

// The program ended or stopped answering.
class MonkeyFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Monkey {
public:
    Monkey(TarmelSession& session, uint32_t seed);

    // Calms the program, then makes one random action. Throws MonkeyFailure.
    void step();

    // Waits until the program has handled all input sent so far and answers its questions:
    // "Quit" with No (by Return, N or Escape), an error message with OK. Throws MonkeyFailure
    // when the program ends, or gives no answer for a minute.
    void calm();

    // What each action was, in order.
    const std::vector<std::string>& actions() const { return actions_; }
    // The last count actions, one per line.
    std::string lastActions(std::size_t count) const;
    // How many actions of each kind were made, and the questions answered.
    std::string summary() const;
    // The buttons and boxes never clicked and the bars never dragged, as "window/control".
    std::vector<std::string> untouched() const;
    int exitQuestionsAnswered() const { return exitQuestions_; }
    int errorMessagesClosed() const { return errorMessages_; }

private:
    struct Target {
        std::string id;
        const WindowLayout* layout;
    };

    int below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }

    static std::vector<const WindowLayout*> allLayouts();
    std::vector<Target> targets();
    Target anyTarget();
    Target mainTarget() { return {session_.main(), &mainWindowLayout()}; }
    std::pair<int, int> pointIn(const Control& c);
    void record(const std::string& kind, const std::string& what);
    void send(const std::vector<std::string>& args);

    void pressLetter(bool held);
    void pressOtherKey(bool held);
    void clickControl(const Target& target, const Control& control, int button,
                      const std::string& kind);
    void dragBar();
    void drag(const Target& target, const Control& bar);
    bool visitUntouched();
    void turnWheel();
    void clickAnywhere();
    void closeWindow(bool main);
    void focusWindow();
    void clickMain(const std::string& name);
    std::optional<Target> keyTarget();
    static std::vector<std::string> focusArgs(const std::optional<Target>& target);
    static std::string focusNote(const std::optional<Target>& target);

    TarmelSession& session_;
    std::mt19937 rng_;
    std::vector<std::string> actions_;
    std::map<std::string, int> counts_;
    std::set<std::string> touched_; // "window/control"
    int exitQuestions_ = 0;
    int errorMessages_ = 0;
};

} // namespace tarmel::robustness
