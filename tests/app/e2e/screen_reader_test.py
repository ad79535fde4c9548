#!/usr/bin/python3
"""The program as a screen reader meets it, over the real accessibility bus.

Run inside a D-Bus session of its own on an X server (ctest wraps it in
xvfb-run and dbus-run-session): the terminal's role, name and text after
received lines, the text-inserted events that carry them, the names of the
controls in the main window and the account manager, and a keyboard-only
run that connects through the account manager and reads the last three
lines back with the review keys.

Usage: screen_reader_test.py OMBREL MUD_TEST_SERVER OPTIONS_DAT
Exit 77 (skipped) when the accessibility bus or its client is missing.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(SKIP)


try:
    import pyatspi
    from gi.repository import GLib
except ImportError as e:
    skip("python3-pyatspi is not installed (%s)" % e)

if not os.environ.get("DBUS_SESSION_BUS_ADDRESS") or not os.environ.get("DISPLAY"):
    skip("needs a D-Bus session and an X display (run through ctest)")

program, server_program, options_file = sys.argv[1], sys.argv[2], sys.argv[3]
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def pump(seconds):
    end = time.time() + seconds
    context = GLib.MainContext.default()
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def wait_for(predicate, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        pump(0.1)
        value = predicate()
        if value:
            return value
    return None


def window(title, seconds=15):
    """The id of the visible window whose title matches, or None after `seconds`."""
    end = time.time() + seconds
    while time.time() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[-1]
        pump(0.2)
    return None


def keys(title, *names):
    target = window(title)
    if target is None:
        check(False, "a window titled %s is shown for %s" % (title, names))
        return
    command = ["xdotool", "windowactivate", "--sync", target]
    if names:
        command += ["key", "--clearmodifiers", "--delay", "80"] + list(names)
    subprocess.run(command, check=True)
    pump(0.3)


def typed(text):
    """Typed into whatever has the focus in the main window, as a person types."""
    keys("^Ombrel")
    subprocess.run(["xdotool", "type", "--delay", "30", text], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)


def descendants(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        try:
            yield from descendants(node.getChildAtIndex(i), depth + 1)
        except Exception:
            pass


def find_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower().startswith("ombrel"):
            return app
    return None


def find(root, role, name=None):
    for node in descendants(root):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    return None


def terminal_text(term):
    text = term.queryText()
    return text.getText(0, text.characterCount)


# Focusable controls a player works with; each must say what it is.
CONTROL_ROLES = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_PAGE_TAB_LIST, pyatspi.ROLE_TERMINAL, pyatspi.ROLE_SLIDER,
}


def unnamed_controls(window):
    out = []
    for node in descendants(window):
        try:
            states = node.getState()
            if (node.getRole() in CONTROL_ROLES and states.contains(pyatspi.STATE_FOCUSABLE)
                    and states.contains(pyatspi.STATE_SHOWING) and not node.name.strip()):
                out.append(node.getRoleName())
        except Exception:
            pass
    return out


def main():
    for tool in ("openbox", "xdotool"):
        if not shutil.which(tool):
            skip(tool + " is not installed")
    work = tempfile.mkdtemp(prefix="ombrel-reader-")
    data = os.path.join(work, "data")
    os.mkdir(data)
    procs = []
    try:
        server = subprocess.Popen([server_program, "--port", "0", "--timeout", "60"],
                                  stdout=subprocess.PIPE, text=True)
        procs.append(server)
        port = int(re.match(r"PORT (\d+)", server.stdout.readline()).group(1))
        with open(os.path.join(data, "accounts.dat"), "wb") as f:
            f.write(b"Loop\r\n127.0.0.1\r\n%d\r\nDefault\r\n0\r\n0\r\n" % port)
        # The set speaks telnet, so the server's negotiation is no text.
        with open(options_file, "rb") as f:
            options = f.read().replace(b"#telnet\tfalse", b"#telnet\ttrue")
        with open(os.path.join(data, "options.dat"), "wb") as f:
            f.write(options)
        procs.append(subprocess.Popen(["openbox", "--sm-disable"], stderr=subprocess.DEVNULL))
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                   QT_QPA_PLATFORM="xcb")
        procs.append(subprocess.Popen([program, "--data", data], env=env))

        app = wait_for(find_app, 15)
        if app is None:
            skip("the program never showed on the accessibility bus")
        term = wait_for(lambda: find(app, pyatspi.ROLE_TERMINAL), 10)
        check(term is not None, "the output is a terminal")
        if term is None:
            return
        check(term.name == "Output", "the terminal is named (%r)" % term.name)

        inserted = []
        pyatspi.Registry.registerEventListener(
            lambda e: inserted.append(e.any_data) if e.source.getRole() == pyatspi.ROLE_TERMINAL else None,
            "object:text-changed:insert")

        # A fresh folder has no config.cfg: the box that says so goes with Enter.
        if window("^Ombrel Warning$", 5):
            keys("^Ombrel Warning$", "Return")
        main_window = find(app, pyatspi.ROLE_FRAME)
        names = unnamed_controls(main_window)
        check(not names, "every control of the main window is named %s" % names)

        # Keys only: F2 opens the account manager, Enter connects with "Loop".
        keys("^Ombrel", "F2")
        dialog = wait_for(lambda: find(app, pyatspi.ROLE_DIALOG), 10)
        check(dialog is not None, "F2 opens the account manager")
        if dialog is not None:
            names = unnamed_controls(dialog)
            check(not names, "every control of the account manager is named %s" % names)
        keys("^Connect$", "Return")
        banner = wait_for(lambda: "prompt" in terminal_text(term).lower() or "You said" in terminal_text(term)
                          or len(terminal_text(term)) > 40, 10)
        check(banner, "the terminal's text holds what the server sent")

        pump(2.5)  # the connection's lines are spoken; the answer comes on its own
        typed("hello there")
        said = wait_for(lambda: any("You said: hello there" in t for t in inserted), 10)
        check(said, "the new line comes as an inserted text: %s" % inserted[-3:])
        check("You said: hello there" in terminal_text(term), "and is in the terminal's text")
        check(not any("\x1b" in t for t in inserted), "no colour sequence is spoken")

        for line in ("one", "two", "three"):
            typed(line)
        wait_for(lambda: any("You said: three" in t for t in inserted), 10)
        pump(2.5)  # past the throttle's window
        del inserted[:]
        keys("^Ombrel", "alt+End", "alt+Up", "alt+Up")
        wait_for(lambda: len(inserted) >= 3, 5)
        heard = [t.strip() for t in inserted[-3:]]
        lines = [line.strip() for line in terminal_text(term).split("\n") if line.strip()]
        check(heard == lines[:-4:-1] and "You said: three" in heard,
              "Alt+End, Alt+Up, Alt+Up read the last lines back: %s" % heard)

        def focused():
            return [n.getRoleName() for n in descendants(main_window)
                    if n.getRole() in (pyatspi.ROLE_TERMINAL, pyatspi.ROLE_TEXT)
                    and n.getState().contains(pyatspi.STATE_FOCUSED)]
        keys("^Ombrel", "F6")
        check(wait_for(lambda: focused() == ["terminal"], 5), "F6 moves the focus to the output")
        keys("^Ombrel", "F6")
        check(wait_for(lambda: focused() == ["text"], 5), "and F6 back to the command line")
    finally:
        for p in reversed(procs):
            p.kill()
            p.wait()
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d failure(s)" % len(failures))
        sys.exit(1)


main()
