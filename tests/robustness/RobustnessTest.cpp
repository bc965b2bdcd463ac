// The real program, built with the sanitizers, against a seeded monkey of user actions on every
// window, and playing "repeat" for long (`make soak`).
#include "Support.h"

#include <set>

namespace tarmel::test {
namespace {

using ui::ControlKind;
using ui::ControlLayout;

const ui::WindowLayout& kMain = ui::mainWindowLayout();
// Every window, and the main window's button that shows it.
const ui::WindowLayout* const kWindows[] = {&kMain, &ui::oscillatorWindowLayout(2),
                                            &ui::oscillatorWindowLayout(3),
                                            &ui::helpWindowLayout()};
const char* const kShow[] = {"", "CmdOsc2", "CmdOsc3", "Cmdhelp"};
const auto num = [](long n) { return std::to_string(n); };
const auto given = [](const char* n, unsigned v) { return getenv(n) ? std::stoul(getenv(n)) : v; };

// Random user actions from a seeded generator: letters and other keys, some held until they
// repeat; clicks, wheel turns and drags on the controls of every window, which is shown first
// when it is not; windows closed from their title bars; repeat, stop, reset and Exit. Before each
// action the monkey waits until the program has handled the last one and answers the questions
// it asked, so that no question takes a random key. It keeps count of the main window's boxes it
// has ticked or cleared, so it uses neither right clicks nor the menu key, whose menus would take
// the next click, nor space, which ticks the box with the focus.
struct Monkey {
    Session& s;
    std::mt19937 rng;
    std::set<const ControlLayout*> flipped{}; // main-window boxes clicked an odd number of times

    int pick(std::size_t n) { return static_cast<int>(rng() % n); }
    void act(const std::string& args) { s.xdo(args); }
    // The pointer to a random point of r in window w (xdotool takes no negative coordinates).
    std::string at(const std::string& w, const QRect& r) {
        return "mousemove --window " + w + " " + num(std::max(0, r.left() + pick(r.width()))) +
               " " + num(std::max(0, r.top() + pick(r.height()))) + " ";
    }
    // Clicks c of window w; a box on its square, so that the click surely ticks or clears it, and
    // anything else above the main window's boxes: the play boxes' captions overlap them by a
    // pixel row, where a click would tick or clear a box unnoticed.
    void click(const std::string& w, const ControlLayout& c) {
        const bool box = c.kind == ControlKind::CheckBox;
        if (box && w == s.main && !flipped.erase(&c)) {
            flipped.insert(&c);
        }
        QRect r = ui::toPixels(c.at);
        for (const ControlLayout& b : kMain.controls) {
            const QRect onBox = ui::toPixels(b.at);
            if (!box && w == s.main && b.kind == ControlKind::CheckBox && r.intersects(onBox)) {
                r.setBottom(onBox.top() - 1);
            }
        }
        act(at(w, box ? QRect(r.left() + 6, r.top() + 8, 1, 1) : r) + "click --delay 0 1");
    }
    void clickMain(const char* name) { click(s.main, kMain.control(name)); }
    // From the bar to anywhere near it, past its ends too, as a hurried hand does; held now and
    // then long enough for the arrows and the trough to repeat.
    void drag(const std::string& w, const QRect& r) {
        act(at(w, r) + "mousedown 1 sleep 0.03 " + at(w, r.adjusted(-40, -40, 40, 40)) +
            "sleep 0." + (pick(4) ? "0" : "") + num(pick(10)) + " mouseup 1");
    }
    // Waits until the program has handled all input sent so far, and answers its questions:
    // "Quit" with No, a message with OK. Throws when the program ends or stops answering.
    void calm() {
        for (int round = 0; round < 20; ++round) {
            if (s.exitStatus() || !s.settle(s.main)) {
                throw std::runtime_error("the program ended, or gave no answer for a minute");
            }
            const std::string question = s.find("(Quit|Tarmel)");
            if (question.empty()) {
                return;
            }
            act("windowfocus " + question + " key " + (pick(2) ? "Return" : "Escape"));
        }
        throw std::runtime_error("the questions keep coming back");
    }
    void step() {
        static const std::vector<std::string> kKeys{"Return", "Tab",  "Up",  "Down",  "Left",
                                                    "Right",  "Next", "End", "Escape"};
        calm();
        const int i = pick(4);
        const ControlLayout& c = kWindows[i]->controls[pick(kWindows[i]->controls.size())];
        const std::string w = i == 0 ? s.main : s.find(std::string(kWindows[i]->caption));
        const std::string key = pick(3) ? std::string(1, "abcdefghijklmnopqrstuvwxyz"[pick(26)])
                                        : kKeys[pick(kKeys.size())];
        switch (w.empty() ? -1 : std::discrete_distribution<>({27, 30, 5, 5, 11})(rng)) {
        case 0: // mostly to the main window, whose letters play
            return act(
                "windowfocus " + (pick(3) ? s.main : w) +
                (pick(6) ? " key --delay 0 " + key
                         : " keydown " + key + " sleep 0." + num(2 + pick(8)) + " keyup " + key));
        case 1: // the bars and sliders come last in ControlKind
            return c.kind >= ControlKind::HScrollBar ? drag(w, ui::toPixels(c.at)) : click(w, c);
        case 2:
            return act(at(w, ui::toPixels(c.at)) + "click --repeat " + num(1 + pick(6)) +
                       " --delay 20 " + (pick(2) ? "4" : "5"));
        case 3:
            return s.close(w);
        case 4:
            return clickMain(std::vector{"Cmdstart", "Cmdstop", "CmdReset", "CmdExit"}[pick(4)]);
        default:
            return clickMain(kShow[i]);
        }
    }
    // D plays exactly its sound; Exit answered Yes ends the program with status 0, and no
    // sanitizer has reported anything.
    void expectPlaysAndQuits() {
        const std::size_t before = s.samples();
        act("windowfocus --sync " + s.main + " key --delay 0 d");
        EXPECT_EQ(s.secondAfter(before, synthesised(110)), synthesised(110)) << "D";
        calm();
        clickMain("CmdExit");
        act("windowfocus --sync " + s.find("Quit", 60s) + " key y");
        EXPECT_EQ(s.exitStatus(60s), std::optional(0)); // the leak check at the end takes a while
        EXPECT_EQ(s.log("SUMMARY: "), "") << "a sanitizer's report";
    }
};

TEST(Monkey, RandomActionsLeaveTheProgramAnsweringPlayingExactlyAndClean) {
    const unsigned seed = given("TARMEL_MONKEY_SEED", std::random_device{}());
    const std::size_t count = given("TARMEL_MONKEY_ACTIONS", 300);
    std::cout << "TARMEL_MONKEY_SEED=" << seed << " replays this run" << std::endl;
    Session s("monkey");
    Monkey m{s, std::mt19937(seed)};
    for (std::size_t done = 0; done < count; ++done) {
        m.step(); // throws when the program ends or stops answering
    }
    m.calm();
    EXPECT_EQ(s.log("tarmel: error: ").find("sound output"), std::string::npos)
        << "the device never goes here";
    // Known settings through the windows: repeat off, the oscillator windows' settings discarded
    // by closing them, the envelope bar at 0 (pure decay; a click gives the bar the focus, Home
    // its minimum), the main window's boxes as at the start; then reset.
    m.clickMain("Cmdstop");
    for (const int i : {1, 2}) {
        m.clickMain(kShow[i]);
        s.close(s.find(std::string(kWindows[i]->caption), 10s));
    }
    m.clickMain("Sliderattack");
    s.xdo("windowfocus --sync " + s.main + " key Home");
    for (const ControlLayout* box : std::set(m.flipped)) {
        m.click(s.main, *box);
    }
    m.clickMain("CmdReset");
    m.calm();
    m.expectPlaysAndQuits();
}

// Repeat plays while the program's resident memory is read every ten seconds, for
// TARMEL_SOAK_SECONDS (none by default; `make soak` runs ten minutes on the optimised build):
// after the first minute it may not grow by more than 1 MiB, and the sound keeps coming. Then
// stop, reset, D and Exit work as ever.
TEST(Repeat, KeepsMemoryFlatAndTheSoundComing) {
    Session s("repeat");
    Monkey m{s, std::mt19937(1)};
    m.clickMain("Cmdstart");
    ASSERT_TRUE(waitUntil([&] { return std::ranges::any_of(s.read(), sounding); }, 30s));
    std::vector<long> kib;
    for (std::size_t t = 10; t <= given("TARMEL_SOAK_SECONDS", 0); t += 10) {
        std::this_thread::sleep_for(10s);
        long pages = 0;
        std::ifstream(fs::path("/proc") / std::to_string(s.pid) / "statm") >> pages >> pages;
        kib.push_back(pages * sysconf(_SC_PAGESIZE) / 1024);
        std::cout << t << " s: " << kib.back() << " KiB resident" << std::endl;
        // Repetitions follow each other without a silent second between them.
        ASSERT_TRUE(std::ranges::any_of(s.read(s.samples() - 44100), sounding)) << "no sound";
        EXPECT_LE(kib.back() - kib[std::min<std::size_t>(5, kib.size() - 1)], 1024) << "since 60 s";
    }
    m.clickMain("Cmdstop");
    m.clickMain("CmdReset"); // silences the last repetition
    m.calm();
    m.expectPlaysAndQuits();
    EXPECT_EQ(s.log("tarmel: error: "), "");
}

} // namespace
} // namespace tarmel::test
