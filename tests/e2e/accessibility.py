#!/usr/bin/python3
# The real tarmel, read and driven through AT-SPI as a screen reader does: on an Xvfb display of
# its own, in the private D-Bus session this script runs in (dbus-run-session), whose AT-SPI bus
# the bus launcher of at-spi2-core starts on demand. Usage:
#   dbus-run-session -- accessibility.py TARMEL [TREE_DUMP]
# Writes the accessible tree of the main, oscillator 2 and help windows to TREE_DUMP when given.
# Exits 0 when every check holds, 1 with the failures listed otherwise.
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402

import pyatspi  # noqa: E402

MAIN_TITLE = "Brennick  Tarmel1.0"
FOCUSABLE_ROLES = {"push button", "check box", "slider", "scroll bar"}
MENU = ["Save settings…", "Open settings…", "Export sound…", "Copy render command", "Undo", "Redo",
        "Random", "Mutate", "Presets", "Next preset", "Previous preset", "Save as preset…",
        "Export all presets…", "Show sound view"]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, flush=True)
    return ok


def wait_for(find, timeout=30.0, step=0.05):
    """Calls find until it returns something true or timeout passes; its last result."""
    end = time.monotonic() + timeout
    while True:
        pump()
        found = find()
        if found or time.monotonic() > end:
            return found
        time.sleep(step)


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def start_display():
    """A new Xvfb that picks a free display number itself; its process and the display name."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        byte = os.read(read, 1)
        if not byte:
            raise RuntimeError("Xvfb did not start")
        number += byte
    os.close(read)
    return xvfb, ":" + number.decode().strip()


def role(acc):
    return acc.getRoleName()


def children(acc):
    acc.clear_cache()
    return [c for c in acc if c is not None]


def walk(acc):
    yield acc
    for c in children(acc):
        yield from walk(c)


def find(root, name=None, role_name=None):
    for acc in walk(root):
        if (name is None or acc.name == name) and (role_name is None or role(acc) == role_name):
            return acc
    return None


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "tarmel":
            return app
    return None


def window(app, title):
    for w in children(app):
        if w.name == title:
            return w
    return None


def focusable(acc):
    return acc.getState().contains(pyatspi.STATE_FOCUSABLE)


def focused(root):
    for acc in walk(root):
        if acc.getState().contains(pyatspi.STATE_FOCUSED) and acc is not root:
            return acc
    return None


def value_of(acc):
    try:
        return acc.queryValue().currentValue
    except NotImplementedError:
        return None


def press(acc):
    action = acc.queryAction()
    check(action.nActions > 0, "%s has an action" % acc.name)
    action.doAction(0)


def describe(acc, depth):
    value = value_of(acc)
    line = "%s%s \"%s\"" % ("  " * depth, role(acc), acc.name)
    if value is not None:
        line += " = %g" % value
    if acc.description:
        line += " | %s" % acc.description
    return line


def dump(acc, depth=0):
    lines = [describe(acc, depth)]
    for c in children(acc):
        lines += dump(c, depth + 1)
    return lines


def check_window(w, title, kind):
    check(w is not None, "window %s is in the tree" % title)
    if w is None:
        return
    check(role(w) == kind, "%s is a %s, not a %s" % (title, kind, role(w)))
    names = {}
    for acc in walk(w):
        if acc is w or not focusable(acc):
            continue
        check(acc.name.strip() != "", "a %s in %s has a name" % (role(acc), title))
        check(role(acc) in FOCUSABLE_ROLES, "%s is a control, not a %s" % (acc.name, role(acc)))
        check(acc.name not in names, "%s is named once in %s" % (acc.name, title))
        names[acc.name] = acc
        if role(acc) == "slider":
            check(acc.description.split(".")[0] not in ("", str(int(value_of(acc)))),
                  "%s speaks its value in its unit: %s" % (acc.name, acc.description))
    for decoration in ("Multiply", "Divide", "1", "-", "+", "Osc1"):
        check(find(w, decoration) is None, "%s of %s is left out" % (decoration, title))


def sound_samples(path, start):
    with open(path, "rb") as f:
        f.seek(start * 2)
        data = f.read()
    return [int.from_bytes(data[i:i + 2], "little", signed=True) for i in range(0, len(data) - 1, 2)]


def heard(path, start):
    """The recording from its first sounding sample after start on."""
    samples = sound_samples(path, start)
    first = next((i for i, v in enumerate(samples) if v), len(samples))
    return samples[first:]


def hertz(samples):
    """The frequency of a plain sine from its sign changes, over whole samples at 44100 Hz."""
    changes = sum(1 for a, b in zip(samples, samples[1:]) if (a < 0) != (b < 0))
    return changes / 2 / (len(samples) / 44100)


def xdotool(display, *arguments):
    return subprocess.run(["xdotool", *arguments], env=dict(os.environ, DISPLAY=display),
                          check=False, capture_output=True, text=True).stdout


def key(display, *keys):
    xdotool(display, "key", "--delay", "50", *keys)


def focus_window(display, title):
    """Gives the window the keyboard, as a window manager does when the user picks it (Xvfb has no
    window manager)."""
    found = xdotool(display, "search", "--onlyvisible", "--name", "^%s$" % title).split()
    if found:
        xdotool(display, "windowfocus", "--sync", found[0])


def menu_items(source):
    """The items of the menu that source is or is an item of; None when it is neither."""
    try:
        menu = source if role(source) in ("menu", "popup menu") else source.parent
        if menu is None or role(menu) not in ("menu", "popup menu"):
            return None
        return [c.name for c in children(menu) if role(c) == "menu item"]
    except Exception:
        return None


def main():
    tarmel = sys.argv[1]
    tree_file = sys.argv[2] if len(sys.argv) > 2 else None
    folder = tempfile.mkdtemp(prefix="tarmel-a11y-")
    sound = os.path.join(folder, "sound.raw")
    xvfb, display = start_display()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", SDL_AUDIODRIVER="disk",
               SDL_DISKAUDIOFILE=sound, XDG_RUNTIME_DIR=folder)
    log = open(os.path.join(folder, "tarmel.log"), "w")
    program = subprocess.Popen([tarmel, "--no-midi"], env=env, stdout=log, stderr=log)
    try:
        run(display, sound, tree_file)
    finally:
        program.send_signal(signal.SIGKILL)
        program.wait()
        xvfb.terminate()
        xvfb.wait()
        if not failures:
            shutil.rmtree(folder, ignore_errors=True)
        else:
            print("files kept in", folder)


def run(display, sound, tree_file):
    app = wait_for(lambda: (a := application()) and window(a, MAIN_TITLE) and a, 60)
    if not check(app, "tarmel shows its main window to AT-SPI"):
        return
    main = window(app, MAIN_TITLE)
    check_window(main, MAIN_TITLE, "frame")

    # The main window opens on "generate", so that Space plays at once.
    focus_window(display, MAIN_TITLE)
    first = wait_for(lambda: focused(main), 10)
    check(first is not None and first.name == "generate", "the main window opens on generate: %s"
          % (first.name if first else None))

    # Values in their units, set through the value interface.
    offset = find(main, "Oscillator 2 pitch offset", "slider")
    offset.queryValue().currentValue = 12
    check(wait_for(lambda: find(main, "Pitch of oscillator 2: 110 hertz"), 10),
          "the offset set to 12 moves the slider and shows 110 hertz")
    offset.clear_cache()
    check(offset.description.startswith("plus 12 hertz. "),
          "the offset speaks plus 12 hertz: " + offset.description)
    pitch = find(main, "Oscillator 1 pitch", "slider")
    check(pitch.description.startswith("98 hertz. "), "pitch 1 speaks 98 hertz")
    labels = [r.getTarget(0).name for r in pitch.getRelationSet()
              if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    check(labels == ["Pitch of oscillator 1: 98 hertz"], "the read-out labels pitch 1: %s" % labels)
    envelope = find(main, "Envelope, decay to attack", "slider")
    envelope.queryValue().currentValue = 300
    envelope.clear_cache()
    check(envelope.description.startswith("attack 300 of 1500. "),
          "the envelope speaks attack 300 of 1500: " + envelope.description)
    envelope.queryValue().currentValue = 0
    divide = find(main, "Divide, modulator 3 of oscillator 1", "slider")
    divide.queryValue().currentValue = 8
    divide.clear_cache()
    check(divide.description.startswith("divided by 8. "), "divide speaks divided by 8")
    divide.queryValue().currentValue = 2
    box = find(main, "Modulator 3 of oscillator 1", "check box")
    check("tangent of a sine" in box.description.lower(), "modulator 3 says what it computes")

    # "generate" pressed through the action interface plays, at the pitch set.
    offset.queryValue().currentValue = 0
    pitch.queryValue().currentValue = 220
    before = os.path.getsize(sound) // 2
    press(find(main, "generate", "push button"))
    check(wait_for(lambda: len(heard(sound, before)) >= 22050, 30),
          "generate pressed through AT-SPI is heard")
    check(abs(hertz(heard(sound, before)[:22050]) - 220) < 4,
          "the sound is at 220 hertz: %.1f" % hertz(heard(sound, before)[:22050]))

    # A box ticked and cleared through its action, as a screen reader does, sets the outputs back
    # to 1 as a click does: the sound after it is heard at full level, not silenced.
    generate = find(main, "generate", "push button")
    first_box = find(main, "Modulator 1 of oscillator 1", "check box")
    for step in ("ticked", "cleared"):
        wait_for(lambda: False, 1.2)  # the sound before has ended
        first_box.queryAction().doAction(0)
        before = os.path.getsize(sound) // 2
        press(generate)
        wait_for(lambda: len(heard(sound, before)) >= 22050, 30)
        peak = max((abs(x) for x in heard(sound, before)[:22050]), default=0)
        check(step == "ticked" or peak > 1400,
              "a box %s by its action, then generate: peak %d" % (step, peak))

    # A key that moves the focused bar raises the value-change event.
    changed = []
    listener = lambda event: changed.append(event.source.name)  # noqa: E731
    events = ("object:value-changed", "object:property-change:accessible-value")
    pyatspi.Registry.registerEventListener(listener, *events)
    wait_for(lambda: False, 1)  # the program learns that someone listens
    multiply = find(main, "Multiply, modulator 1 of oscillator 1", "slider")
    multiply.queryComponent().grabFocus()
    wait_for(lambda: focused(main) and focused(main).name == multiply.name, 10)
    key(display, "End")
    check(wait_for(lambda: value_of(multiply) == 10, 10), "End takes Multiply to 10")
    check(wait_for(lambda: multiply.name in changed, 10), "End raises value-changed")
    pyatspi.Registry.deregisterEventListener(listener, *events)
    multiply.queryValue().currentValue = 2

    # The window's menu from the keyboard, read as a screen reader meets it: a popup is no child
    # of the application, its focus events lead there.
    menus = []
    opened = lambda event: event.detail1 and menus.append(event.source)  # noqa: E731
    kinds = ("object:state-changed:showing", "object:state-changed:focused")
    pyatspi.Registry.registerEventListener(opened, *kinds)
    for keys in ("Menu", "shift+F10"):
        # Without a window manager the keyboard goes nowhere once a popup closed.
        focus_window(display, MAIN_TITLE)
        wait_for(lambda: False, 1)
        menus.clear()
        key(display, keys)
        items = wait_for(lambda: next((i for i in map(menu_items, menus) if i), None), 10)
        check(items == MENU, "%s opens the window's menu: %s" % (keys, items))
        key(display, "Escape")
    pyatspi.Registry.deregisterEventListener(opened, *kinds)

    # Settings saved and opened through the window's menu and the file dialogs, by keys alone.
    settings = os.path.join(os.path.dirname(sound), "keys.tarmel")
    for item, downs in (("Save settings", 1), ("Open settings", 2)):
        if item == "Open settings":
            pitch.queryValue().currentValue = 500
        focus_window(display, MAIN_TITLE)
        wait_for(lambda: False, 1)
        key(display, "Menu", *(["Down"] * downs), "Return")
        dialog = wait_for(lambda: window(app, item), 20)
        if check(dialog is not None and role(dialog) == "dialog", "%s is a dialog" % item):
            focus_window(display, item)
            wait_for(lambda: False, 1)
            xdotool(display, "type", "--delay", "20", settings)
            key(display, "Return")
            wait_for(lambda: window(app, item) is None, 20)
    check(os.path.exists(settings), "the settings were saved")
    check(wait_for(lambda: value_of(pitch) == 220, 10),
          "the settings opened bring pitch 1 back to 220: %s" % value_of(pitch))
    pitch.queryValue().currentValue = 98

    # The oscillator 2 window opens from its button, with the focus on its first control.
    press(find(main, "Osc2, oscillator 2 modulators", "push button"))
    osc2 = wait_for(lambda: window(app, "Oscillator2"), 20)
    check_window(osc2, "Oscillator2", "frame")
    if osc2 is not None:
        first = wait_for(lambda: focused(osc2), 10)
        check(first is not None and first.name == "Modulator 1 of oscillator 2",
              "oscillator 2 opens on its first box")

    # The help window is a dialog.
    press(find(main, "Help", "push button"))
    help_window = wait_for(lambda: window(app, "Tarmel Help"), 20)
    check_window(help_window, "Tarmel Help", "dialog")

    if tree_file:
        with open(tree_file, "w") as out:
            out.write("\n".join(dump(main) + (dump(osc2) if osc2 else [])
                                + (dump(help_window) if help_window else [])) + "\n")

    # The exit question is read, and No keeps the program.
    press(find(main, "Exit", "push button"))
    question = wait_for(lambda: find(app, "Exit?"), 20)
    check(question is not None, "the exit question is read")
    no = wait_for(lambda: find(app, "No", "push button"), 10)
    if check(no is not None, "the exit question has No"):
        press(no)
        check(wait_for(lambda: find(app, "Exit?") is None, 10), "No closes the question")


if __name__ == "__main__":
    main()
    if failures:
        print("%d checks failed" % len(failures))
        sys.exit(1)
    print("all checks passed")
