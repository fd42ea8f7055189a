#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Plays the game as a blind child would, on a virtual X display, and listens on the
accessibility bus to what a screen reader is told: each focus, with the name, role and
description it would speak. Then types into the answer box with real X key events.

Argument: the game program itself; its own record goes to a temporary home. Each run
has its own display, runtime directory and D-Bus session, so runs side by side never share
an accessibility bus. Prints the transcript of what is spoken and the outcome of each key."""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
import pyatspi  # noqa: E402
from gi.repository import Gio, GLib  # noqa: E402

failures = []
spoken = []  # (what, name, role, description)
# Every wait is for an event; this long, only a hang gets there, however busy the machine.
PATIENCE = 60


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def start_display():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        sys.exit("Xvfb did not start")
    return server, ":" + number


def turn_screen_reader_on():
    # What a screen reader does when it starts; toolkits then join the accessibility bus.
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    for name in ("IsEnabled", "ScreenReaderEnabled"):
        bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                      GLib.Variant("(ssv)", ("org.a11y.Status", name, GLib.Variant("b", True))),
                      None, Gio.DBusCallFlags.NONE, PATIENCE * 1000, None)


def pump(until, seconds=PATIENCE):
    """Handles the events that came in until the condition holds, or the time is up."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if until():
            return True
        if time.monotonic() > deadline:
            return False
        time.sleep(0.02)


def in_game(accessible):
    try:
        return accessible.getApplication().name == "moltiplix"
    except Exception:
        return False


focused = None


def on_focus(event):
    global focused
    if not event.detail1 or not in_game(event.source):
        return
    focused = event.source
    spoken.append(("focus", focused.name, focused.getRoleName(), focused.description))


def on_property(event):
    # A screen reader speaks a change of name or description of the focused control only.
    if focused is not None and event.source == focused:
        spoken.append((event.type.split(":")[-1], focused.name, focused.getRoleName(),
                       focused.description))


typed = []  # text the game's box said it took, as it came


def on_typed(event):
    if in_game(event.source):
        typed.append(event.any_data)


def last_focus(role=None, pattern=""):
    for what, name, rolename, description in reversed(spoken):
        if what == "focus":
            if (role is None or rolename == role) and re.search(pattern, name + " " + description):
                return name, description
            return None
    return None


def wait_focus(role, pattern=""):
    found = pump(lambda: last_focus(role, pattern) is not None)
    if not check(found, "no focus on a %s matching %r; heard %s" % (role, pattern, spoken[-3:])):
        raise Stopped()
    return last_focus(role, pattern)


def keys(display, *names, window="^Moltiplix$|^Gioca con la tavola pitagorica$"):
    env = dict(os.environ, DISPLAY=display)
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", window],
                           env=env, capture_output=True, text=True, timeout=10).stdout.split()
    if found:
        subprocess.run(["xdotool", "windowfocus", "--sync", found[-1]], env=env,
                       capture_output=True, timeout=10)
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), env=env, check=True,
                   timeout=30)


class Stopped(Exception):
    """A step the rest depends on failed."""


def report():
    print("\nWhat a screen reader is told (on each focus, and on changes to the focused"
          " control): name | role | description")
    for what, name, role, description in spoken:
        print("  %-22s %s | %s | %s" % (what, name, role, description))
    print("\n%d failure(s)" % len(failures))


def main():
    """Starts the display and a session of our own, then plays inside it."""
    server, display = start_display()
    runtime = tempfile.mkdtemp()
    env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=runtime)
    try:
        return subprocess.run(["dbus-run-session", "--", sys.executable, __file__,
                               "--in-session", sys.argv[1]], env=env).returncode
    finally:
        server.terminate()
        server.wait(5)
        shutil.rmtree(runtime, ignore_errors=True)


def in_session(program):
    display = os.environ["DISPLAY"]
    records = tempfile.mkdtemp()
    game = None
    try:
        turn_screen_reader_on()
        pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
        pyatspi.Registry.registerEventListener(
            on_property, "object:property-change:accessible-name",
            "object:property-change:accessible-description")
        pyatspi.Registry.registerEventListener(on_typed, "object:text-changed:insert")
        # Nothing is saved: the game is never ended by Exit or time-up.
        env = dict(os.environ, LANG="C.UTF-8", HOME=records, XDG_DATA_HOME=records)
        env.pop("QT_QPA_PLATFORM", None)
        game = subprocess.Popen([program], env=env)
        play(display)
        type_keys(display)
    except Stopped:
        pass
    finally:
        if game and game.poll() is None:
            game.send_signal(signal.SIGTERM)
            game.wait(PATIENCE)
        shutil.rmtree(records, ignore_errors=True)
    report()
    return 1 if failures else 0


def answer_question(display, right, which):
    name, _ = wait_focus("text", "quanto fa")
    factors = re.search(r"quanto fa (\d+) per (\d+)\?", name)
    product = int(factors.group(1)) * int(factors.group(2))
    answer = product if right else product + 1
    keys(display, *list(str(answer)), "Return")
    verdict = "Esatto! Ada sei forte!" if right else "Sbagliato!! %d" % product
    _, description = wait_focus("push button", re.escape(verdict))
    question_told_once(which, max(i for i, heard in enumerate(spoken) if heard[0] == "focus"))
    return description


def check_dialog(display, what):
    """The open start-up dialog: the game's icon, centred on the 1280x1024 screen."""
    env = dict(os.environ, DISPLAY=display)
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Moltiplix$"],
                           env=env, capture_output=True, text=True, timeout=10).stdout.split()
    if not check(found, what + ": no dialog window on the display"):
        return
    icon = subprocess.run(["xprop", "-id", found[-1], "_NET_WM_ICON"], env=env,
                          capture_output=True, text=True).stdout
    check("Icon (64 x 64)" in icon, what + ": no game icon on the dialog")
    shape = dict(line.split("=") for line in subprocess.run(
        ["xdotool", "getwindowgeometry", "--shell", found[-1]], env=env,
        capture_output=True, text=True).stdout.split())
    centre = (int(shape["X"]) + int(shape["WIDTH"]) // 2, int(shape["Y"]) + int(shape["HEIGHT"]) // 2)
    # Without a window manager Qt allows for a frame it guesses (10 px across, 40 down).
    check(abs(centre[0] - 640) <= 10 and abs(centre[1] - 512) <= 40,
          "%s: centred at %s, not on the screen" % (what, centre))


def play(display):
    wait_focus("text", "Come ti chiami")
    check_dialog(display, "name dialog")
    keys(display, "A", "d", "a", "Return")
    wait_focus("push button", "")
    check_dialog(display, "greeting")
    keys(display, "Return")
    wait_focus("text", "Tavola pitagorica")
    check_dialog(display, "limit dialog")
    keys(display, "1", "0", "Return")

    said = answer_question(display, right=True, which="the first question")
    check(said.endswith("Risposte esatte 1, Risposte errate 0, Risposte totali 1."),
          "counts after a right answer: " + said)
    keys(display, "Return")
    said = answer_question(display, right=False, which="the second question")
    check(said.endswith("Risposte esatte 1, Risposte errate 1, Risposte totali 2."),
          "counts after a wrong answer: " + said)
    keys(display, "Return")
    wait_focus("text", "quanto fa")


def question_told_once(which, upto):
    """Said with the focus, and not again as a change of the box's name. Told by what was
    heard before spoken[upto]: an event the game sent for a key typed after the question
    was posed, so every telling of the question has come in by then."""
    told = 0
    for heard in reversed(spoken[:upto]):
        if "quanto fa" not in heard[1]:
            break
        told += 1
    check(told == 1, "%s was told %d times" % (which, told))


answer_box = None


def box_state():
    global answer_box
    try:
        if answer_box is None:
            answer_box = find_box()
        text = answer_box.queryText()
        return text.getText(0, -1), text.caretOffset
    except Exception as error:
        return None, str(error)


def find_box():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "moltiplix":
            found = pyatspi.findDescendant(
                app, lambda a: a.getRoleName() == "text" and "quanto fa" in a.name)
            if found:
                return found
    raise LookupError("no answer box on the bus")


# Each key as X sends it, and what the box must hold afterwards (text, cursor).
KEY_STEPS = [
    (["9", "2", "3"], "923", 3),
    (["Home"], "923", 0),
    (["Delete"], "23", 0),
    (["End"], "23", 2),
    (["Left"], "23", 1),
    (["KP_Delete"], "2", 1),
    (["Insert"], "2", 1),
    (["F1"], "2", 1),
    (["F5"], "2", 1),
    (["Up"], "2", 1),
    (["Page_Up"], "2", 1),
    (["Escape"], "2", 1),
    (["KP_5"], "25", 2),
    (["KP_Add"], "25", 2),
    (["KP_Decimal"], "25", 2),
    (["minus", "period", "space", "a"], "25", 2),
    (["BackSpace"], "2", 1),
    (["dead_acute", "e"], "2", 1),
    (["Multi_key", "1", "2"], "2", 1),
    (["Multi_key", "o", "c"], "2", 1),
    (["BackSpace"], "", 0),
]


def type_keys(display):
    """Each step waits until the box holds what it must. A key meant to change nothing
    passes at once; should it change the box after all, the next step (X delivers keys
    in order) finds more than it must, and the last step is one that does change it."""
    env = dict(os.environ, DISPLAY=display)
    # The game takes the new keymap before any key sent after it: X sends events in order.
    subprocess.run(["setxkbmap", "-layout", "us", "-variant", "intl"], env=env, check=True)
    print("\nKeys sent by the X server to the answer box:")
    before = len(typed)
    for step, (names, text, cursor) in enumerate(KEY_STEPS):
        keys(display, *names)
        ok = pump(lambda: box_state() == (text, cursor))
        got = box_state()
        print("  %-26s -> %-12r cursor %s  %s" % (" ".join(names), got[0], got[1],
                                                    "as expected" if ok else "WRONG"))
        if not check(ok, "after %s the box holds %r (cursor %s), not %r (cursor %s)"
                     % (" ".join(names), got[0], got[1], text, cursor)):
            raise Stopped()
        if step == 0:
            # The first digits as the box says it took them: sent after the last question
            # was posed, and so heard after every telling of it.
            pump(lambda: len(typed) > before)
            question_told_once("the next question", len(spoken))


if __name__ == "__main__":
    sys.exit(in_session(sys.argv[2]) if sys.argv[1] == "--in-session" else main())
