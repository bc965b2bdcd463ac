// The monkey's actions and its waiting for the program.
#include "Monkey.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace tarmel::robustness {

using e2e::milliseconds;

namespace {

constexpr milliseconds kAnswerTimeout{60000};
constexpr milliseconds kQuestionCloses{10000};

const std::array<const char*, 32> kOtherKeys{
    "space",  "Return",  "KP_Enter",  "Tab",    "shift+Tab", "Up",      "Down",   "Left",
    "Right",  "Page_Up", "Page_Down", "Home",   "End",       "Escape",  "F1",     "F4",
    "1",      "5",       "minus",     "plus",   "comma",     "shift+d", "ctrl+d", "alt+d",
    "ctrl+q", "ctrl+w",  "BackSpace", "Delete", "Insert",    "Menu",    "alt+F4", "shift+z"};

const std::array<const char*, 8> kHeldOtherKeys{"Up",        "Down",  "Left", "Right",
                                                "Page_Down", "space", "Tab",  "Page_Up"};

std::string num(int value) {
    return std::to_string(value);
}

bool isQuestion(const std::string& title) {
    return title == "Quit" || title == "Tarmel";
}

} // namespace

Monkey::Monkey(TarmelSession& session, uint32_t seed) : session_(session), rng_(seed) {}

void Monkey::send(const std::vector<std::string>& args) {
    const int status = session_.xdotool(args);
    if (status != 0 && !actions_.empty()) {
        // A window that went just before the action: noted, the monkey goes on.
        actions_.back() += " (xdotool ended with status " + num(status) + ")";
        ++counts_["xdotool failed"];
    }
}

void Monkey::record(const std::string& kind, const std::string& what) {
    ++counts_[kind];
    // Built by appending: GCC 12 at -O3 wrongly sees an overlapping copy in "#" + number.
    std::string line = "#";
    line += num(static_cast<int>(actions_.size()) + 1);
    line += ' ';
    line += what;
    actions_.push_back(std::move(line));
}

std::string Monkey::lastActions(std::size_t count) const {
    std::string out;
    for (std::size_t i = actions_.size() - std::min(count, actions_.size()); i < actions_.size();
         ++i) {
        out += actions_[i] + "\n";
    }
    return out;
}

std::string Monkey::summary() const {
    std::ostringstream out;
    out << actions_.size() << " actions:";
    for (const auto& [kind, count] : counts_) {
        out << " " << kind << " " << count << ";";
    }
    out << " exit questions answered No " << exitQuestions_ << "; error messages closed "
        << errorMessages_;
    const std::vector<std::string> left = untouched();
    out << "; controls never reached " << left.size();
    for (const std::string& name : left) {
        out << " " << name;
    }
    for (const std::string& action : actions_) {
        if (action.find("(xdotool ended") != std::string::npos) {
            out << "\n  " << action;
        }
    }
    return out.str();
}

void Monkey::calm() {
    std::string lastQuestion;
    for (int round = 0;; ++round) {
        if (!session_.program().running()) {
            throw MonkeyFailure("the program ended; its output:\n" + session_.notes());
        }
        if (!session_.probe().settle(session_.main(), kAnswerTimeout)) {
            throw MonkeyFailure("the program gave no answer for a minute");
        }
        const std::vector<ShownWindow> shown = session_.probe().shownWindows();
        const auto question = std::find_if(
            shown.rbegin(), shown.rend(), [](const ShownWindow& w) { return isQuestion(w.title); });
        if (question == shown.rend()) {
            return;
        }
        if (round >= 20) {
            throw MonkeyFailure("the questions keep coming back");
        }
        std::vector<std::string> args;
        if (question->id == lastQuestion) {
            // Still there: a menu may hold the keyboard; Escape closes it first.
            args = {"key", "--delay", "0", "Escape"};
        }
        const bool first = question->id != lastQuestion;
        std::string key = "Return";
        if (question->title == "Quit") {
            static const std::array<const char*, 3> kNo{"Return", "n", "Escape"};
            key = kNo[static_cast<std::size_t>(below(3))];
            exitQuestions_ += first ? 1 : 0;
        } else {
            errorMessages_ += first ? 1 : 0;
        }
        args.insert(args.end(), {"windowfocus", question->id, "key", "--delay", "0", key});
        session_.xdotool(args);
        lastQuestion = question->id;
        e2e::waitUntil(
            [&] {
                const auto now = session_.probe().shownWindows();
                return std::none_of(now.begin(), now.end(),
                                    [&](const ShownWindow& w) { return w.id == lastQuestion; });
            },
            kQuestionCloses, milliseconds(10));
    }
}

std::vector<const WindowLayout*> Monkey::allLayouts() {
    return {&mainWindowLayout(), &oscillatorWindowLayout(2), &oscillatorWindowLayout(3),
            &helpWindowLayout()};
}

std::vector<Monkey::Target> Monkey::targets() {
    std::vector<Target> found;
    for (const ShownWindow& w : session_.probe().shownWindows()) {
        for (const WindowLayout* layout : allLayouts()) {
            if (w.title == layout->title) {
                found.push_back({w.id, layout});
            }
        }
    }
    return found;
}

Monkey::Target Monkey::anyTarget() {
    const std::vector<Target> shown = targets();
    if (shown.empty()) {
        return mainTarget();
    }
    return shown[static_cast<std::size_t>(below(static_cast<int>(shown.size())))];
}

std::pair<int, int> Monkey::pointIn(const Control& c) {
    const int x0 = pixels(c.left) + 1;
    const int y0 = pixels(c.top) + 1;
    const int x1 = pixels(c.left + c.width) - 2;
    const int y1 = pixels(c.top + c.height) - 2;
    return {between(x0, std::max(x0, x1)), between(y0, std::max(y0, y1))};
}

std::optional<Monkey::Target> Monkey::keyTarget() {
    // Mostly the main window, whose keys play; sometimes another window, or none: the key goes
    // wherever the focus already is.
    const int choice = below(10);
    if (choice < 6) {
        return mainTarget();
    }
    if (choice < 8) {
        return anyTarget();
    }
    return std::nullopt;
}

std::vector<std::string> Monkey::focusArgs(const std::optional<Target>& target) {
    if (!target) {
        return {};
    }
    return {"windowfocus", target->id};
}

std::string Monkey::focusNote(const std::optional<Target>& target) {
    return target ? " on " + target->layout->title : " where the focus is";
}

void Monkey::pressLetter(bool held) {
    const std::string letter(1, static_cast<char>('a' + below(26)));
    const std::optional<Target> target = keyTarget();
    std::vector<std::string> args = focusArgs(target);
    if (held) {
        const int ms = between(200, 1500);
        args.insert(args.end(),
                    {"keydown", letter, "sleep", std::to_string(ms / 1000.0), "keyup", letter});
        record("held letter", "hold " + letter + " " + num(ms) + " ms" + focusNote(target));
    } else {
        args.insert(args.end(), {"key", "--delay", "0", letter});
        record("letter", "key " + letter + focusNote(target));
    }
    send(args);
}

void Monkey::pressOtherKey(bool held) {
    const std::optional<Target> target = keyTarget();
    std::vector<std::string> args = focusArgs(target);
    if (held) {
        const std::string key = kHeldOtherKeys[static_cast<std::size_t>(below(8))];
        const int ms = between(200, 1000);
        args.insert(args.end(),
                    {"keydown", key, "sleep", std::to_string(ms / 1000.0), "keyup", key});
        record("held other key", "hold " + key + " " + num(ms) + " ms" + focusNote(target));
    } else {
        const std::string key = kOtherKeys[static_cast<std::size_t>(below(32))];
        args.insert(args.end(), {"key", "--delay", "0", key});
        record("other key", "key " + key + focusNote(target));
    }
    send(args);
}

void Monkey::clickControl(const Target& target, const Control& control, int button,
                          const std::string& kind) {
    if (button == 1 && (control.part == Part::Button || control.part == Part::Box)) {
        touched_.insert(target.layout->title + "/" + control.name);
    }
    const auto [x, y] = pointIn(control);
    record(kind, "click " + num(button) + " " + control.name + " on " + target.layout->title +
                     " at (" + num(x) + "," + num(y) + ")");
    send({"mousemove", "--window", target.id, num(x), num(y), "click", num(button)});
}

void Monkey::clickMain(const std::string& name) {
    clickControl(mainTarget(), mainWindowLayout().control(name), 1, name);
}

void Monkey::dragBar() {
    const Target target = anyTarget();
    std::vector<const Control*> bars = target.layout->of(Part::HorizontalBar);
    const std::vector<const Control*> vertical = target.layout->of(Part::VerticalBar);
    bars.insert(bars.end(), vertical.begin(), vertical.end());
    if (bars.empty()) {
        clickAnywhere();
        return;
    }
    drag(target, *bars[static_cast<std::size_t>(below(static_cast<int>(bars.size())))]);
}

void Monkey::drag(const Target& target, const Control& bar) {
    touched_.insert(target.layout->title + "/" + bar.name);
    const auto [x0, y0] = pointIn(bar);
    // The drag may leave the bar at either end, as a hurried hand does.
    const bool horizontal = bar.part == Part::HorizontalBar;
    const int along = horizontal ? between(pixels(bar.left) - 40, pixels(bar.left + bar.width) + 40)
                                 : between(pixels(bar.top) - 40, pixels(bar.top + bar.height) + 40);
    const int across = between(-10, 10);
    // xdotool takes no negative coordinates: a drag past the window's left or top edge stops
    // at it.
    const int x1 = std::max(0, horizontal ? along : x0 + across);
    const int y1 = std::max(0, horizontal ? y0 + across : along);
    const int hold = below(4) == 0 ? between(100, 700) : between(0, 60);
    record("drag", "drag " + bar.name + " on " + target.layout->title + " from (" + num(x0) + "," +
                       num(y0) + ") to (" + num(x1) + "," + num(y1) + "), hold " + num(hold) +
                       " ms");
    send({"mousemove",
          "--window",
          target.id,
          num(x0),
          num(y0),
          "mousedown",
          "1",
          "sleep",
          "0.03",
          "mousemove",
          "--window",
          target.id,
          num((x0 + x1) / 2),
          num((y0 + y1) / 2),
          "sleep",
          "0.03",
          "mousemove",
          "--window",
          target.id,
          num(x1),
          num(y1),
          "sleep",
          std::to_string(hold / 1000.0),
          "mouseup",
          "1"});
}

void Monkey::turnWheel() {
    const Target target = anyTarget();
    const Control& c = target.layout->controls[static_cast<std::size_t>(
        below(static_cast<int>(target.layout->controls.size())))];
    const auto [x, y] = pointIn(c);
    const std::string button = below(2) == 0 ? "4" : "5";
    const int turns = between(1, 6);
    record("wheel",
           "wheel " + button + " x" + num(turns) + " on " + c.name + " of " + target.layout->title);
    send({"mousemove", "--window", target.id, num(x), num(y), "click", "--repeat", num(turns),
          "--delay", "20", button});
}

void Monkey::clickAnywhere() {
    const Target target = anyTarget();
    const int x = below(pixels(target.layout->width));
    const int y = below(pixels(target.layout->height));
    record("click anywhere",
           "click on " + target.layout->title + " at (" + num(x) + "," + num(y) + ")");
    send({"mousemove", "--window", target.id, num(x), num(y), "click", "1"});
}

void Monkey::closeWindow(bool main) {
    if (main) {
        record("close main", "close the main window from its title bar");
        session_.probe().closeFromTitleBar(session_.main());
        return;
    }
    std::vector<Target> secondary;
    for (const Target& t : targets()) {
        if (t.id != session_.main()) {
            secondary.push_back(t);
        }
    }
    if (secondary.empty()) {
        clickMain(below(2) == 0 ? "Osc2" : "Osc3");
        return;
    }
    const Target& t =
        secondary[static_cast<std::size_t>(below(static_cast<int>(secondary.size())))];
    record("close window", "close " + t.layout->title + " from its title bar");
    session_.probe().closeFromTitleBar(t.id);
}

void Monkey::focusWindow() {
    const Target t = anyTarget();
    record("focus", "focus " + t.layout->title);
    send({"windowfocus", t.id});
}

std::vector<std::string> Monkey::untouched() const {
    std::vector<std::string> left;
    for (const WindowLayout* layout : allLayouts()) {
        for (const Control& c : layout->controls) {
            const std::string name = layout->title + "/" + c.name;
            if (touched_.count(name) == 0) {
                left.push_back(name);
            }
        }
    }
    return left;
}

bool Monkey::visitUntouched() {
    std::vector<std::pair<const WindowLayout*, const Control*>> left;
    for (const WindowLayout* layout : allLayouts()) {
        for (const Control& c : layout->controls) {
            if (touched_.count(layout->title + "/" + c.name) == 0) {
                left.emplace_back(layout, &c);
            }
        }
    }
    if (left.empty()) {
        return false;
    }
    const auto [layout, control] =
        left[static_cast<std::size_t>(below(static_cast<int>(left.size())))];
    for (const Target& t : targets()) {
        if (t.layout == layout) {
            if (control->part == Part::Button || control->part == Part::Box) {
                clickControl(t, *control, 1,
                             control->part == Part::Button ? "click button" : "click box");
            } else {
                drag(t, *control);
            }
            return true;
        }
    }
    const char* show = layout == &helpWindowLayout()          ? "Help"
                       : layout == &oscillatorWindowLayout(3) ? "Osc3"
                                                              : "Osc2";
    clickControl(mainTarget(), mainWindowLayout().control(show), 1, "show");
    return true;
}

void Monkey::step() {
    calm();
    // Every other action goes to a button, box, bar or slider that none has reached yet (its
    // window shown first when needed), so that even a short run reaches every control.
    if (actions_.size() % 2 == 0 && visitUntouched()) {
        return;
    }
    struct Weighted {
        int weight;
        int kind;
    };
    enum Kind {
        Letter,
        HeldLetter,
        OtherKey,
        HeldOtherKey,
        Click,
        Drag,
        Wheel,
        RightClick,
        Anywhere,
        ShowWindow,
        Close,
        CloseMain,
        Focus,
        Repeat,
        Stop,
        Reset,
        Exit
    };
    static const std::array<Weighted, 17> kWeights{{{14, Letter},
                                                    {3, HeldLetter},
                                                    {8, OtherKey},
                                                    {2, HeldOtherKey},
                                                    {18, Click},
                                                    {14, Drag},
                                                    {4, Wheel},
                                                    {2, RightClick},
                                                    {4, Anywhere},
                                                    {6, ShowWindow},
                                                    {4, Close},
                                                    {1, CloseMain},
                                                    {3, Focus},
                                                    {3, Repeat},
                                                    {3, Stop},
                                                    {3, Reset},
                                                    {2, Exit}}};
    int total = 0;
    for (const Weighted& w : kWeights) {
        total += w.weight;
    }
    int roll = below(total);
    int kind = Letter;
    for (const Weighted& w : kWeights) {
        if (roll < w.weight) {
            kind = w.kind;
            break;
        }
        roll -= w.weight;
    }
    switch (kind) {
    case Letter:
    case HeldLetter:
        pressLetter(kind == HeldLetter);
        break;
    case OtherKey:
    case HeldOtherKey:
        pressOtherKey(kind == HeldOtherKey);
        break;
    case Click:
    case RightClick: {
        const Target t = anyTarget();
        const Control& c = t.layout->controls[static_cast<std::size_t>(
            below(static_cast<int>(t.layout->controls.size())))];
        static const std::array<const char*, 4> kPart{"click button", "click box", "click bar",
                                                      "click bar"};
        clickControl(t, c, kind == Click ? 1 : 3,
                     kind == Click ? kPart[static_cast<std::size_t>(c.part)] : "right click");
        break;
    }
    case Drag:
        dragBar();
        break;
    case Wheel:
        turnWheel();
        break;
    case Anywhere:
        clickAnywhere();
        break;
    case ShowWindow: {
        static const std::array<const char*, 3> kShow{"Osc2", "Osc3", "Help"};
        clickControl(mainTarget(),
                     mainWindowLayout().control(kShow[static_cast<std::size_t>(below(3))]), 1,
                     "show");
        break;
    }
    case Close:
    case CloseMain:
        closeWindow(kind == CloseMain);
        break;
    case Focus:
        focusWindow();
        break;
    case Repeat:
        clickMain("repeat");
        break;
    case Stop:
        clickMain("stop");
        break;
    case Reset:
        clickMain("reset");
        break;
    default:
        clickMain("Exit");
        break;
    }
}

} // namespace tarmel::robustness
