"""Drives the real program as a user does, for the end-to-end GUI tests.

Widgets are found through the accessibility bus (AT-SPI; edits and combo boxes carry their control
ids as accessible ids); keys, typing and mouse clicks go through xdotool; screenshots through
ImageMagick's import. Needs a display and a D-Bus session (see with_display.sh).
"""
import os
import subprocess
import time
import warnings

import pyatspi

warnings.filterwarnings("ignore", category=DeprecationWarning)

TIMEOUT = 30.0


def wait_for(what, probe, timeout=TIMEOUT):
    """probe()'s first true result; fails the test after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except Exception:  # the accessibility tree changes under our feet while windows come and go
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def walk(acc):
    """acc and everything below it."""
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def find(window, role=None, name=None, accessible_id=None):
    """The first widget in window with the given role, name and accessible id (None: any); waits."""
    def probe():
        for acc in walk(window):
            if (role is None or acc.getRoleName() == role) and (name is None or acc.name == name) and \
                    (accessible_id is None or acc.accessibleId == str(accessible_id)):
                return acc
        return None
    return wait_for("%s %s" % (role or "widget", name or accessible_id), probe)


def has(window, role, name):
    """Whether window holds a widget of role named name now."""
    return any(acc.getRoleName() == role and acc.name == name for acc in walk(window))


def text(acc):
    t = acc.queryText()
    return t.getText(0, t.characterCount)


def closed(acc):
    return acc.getState().contains(pyatspi.STATE_DEFUNCT) or not acc.getState().contains(pyatspi.STATE_SHOWING)


def wait_closed(acc, what="a window"):
    wait_for(what + " to close", lambda: closed(acc))


def xdo(*args):
    """Runs xdotool; its output."""
    return subprocess.run(["xdotool", *args], check=True, stdout=subprocess.PIPE, text=True).stdout


def click(acc, button="1", inset=None):
    """Clicks acc in its middle, or inset pixels from its left edge when it is wider than twice that."""
    x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    dx = w // 2 if inset is None else min(w // 2, inset)
    xdo("mousemove", "--sync", str(x + dx), str(y + h // 2))
    xdo("click", button)


def start_registry():
    """Brings up the accessibility bus and its registry before the first program starts, so that
    program registers with it (one started first may never be listed)."""
    wait_for("the accessibility registry", lambda: pyatspi.Registry.getDesktop(0) is not None)
    pyatspi.Registry.getDesktop(0).childCount


def end_process(proc, ask):
    """Calls ask() to end proc if it still runs, and kills it when it has not ended 10 s later."""
    if proc.poll() is None:
        ask()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


class Program:
    """One run of the program, in folder."""
    key_pause = 0.0  # seconds after each key

    def __init__(self, exe, folder, env=None):
        env = dict(os.environ if env is None else env)
        # GTK and its libraries keep caches for the process's life; only our own leaks would matter.
        env["ASAN_OPTIONS"] = "detect_leaks=0"
        self.proc = subprocess.Popen([exe], cwd=folder, env=env)

    def app(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.proc.pid:
                return app
        return None

    def window(self, name, role=None, timeout=TIMEOUT):
        """The program's showing top-level window name; role may list roles as "dialog|frame"."""
        def probe():
            for acc in self.app() or []:
                if acc is not None and acc.name == name and (role is None or acc.getRoleName() in role.split("|")) \
                        and acc.getState().contains(pyatspi.STATE_SHOWING):
                    return acc
            return None
        return wait_for("window " + repr(name), probe, timeout)

    def xwindows(self, title):
        """The program's visible X windows titled title."""
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid), "--name", "."],
                             capture_output=True, text=True).stdout.split()
        return [w for w in out if subprocess.run(["xdotool", "getwindowname", w], capture_output=True,
                                                 text=True).stdout.rstrip("\n") == title]

    def xwindow(self, title):
        return wait_for("X window " + title, lambda: self.xwindows(title))[0]

    def has_window(self, title):
        # A message box's caption is its window title (its accessible name is the kind of box).
        return bool(self.xwindows(title))

    def focus(self, title):
        # Without a window manager the keyboard goes to the window that is given the focus.
        xdo("windowfocus", "--sync", self.xwindow(title))

    def key(self, *keys):
        for k in keys:
            xdo("key", k)
            if self.key_pause:
                time.sleep(self.key_pause)

    @staticmethod
    def type(chars):
        for ch in chars:
            xdo("type", "--delay", "0", ch)

    def screenshot(self, title, path):
        """Saves the window title as it shows on the screen to path."""
        g = dict(line.split("=") for line in xdo("getwindowgeometry", "--shell", self.xwindow(title)).split())
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop", "%sx%s+%s+%s" % (g["WIDTH"], g["HEIGHT"], g["X"], g["Y"]),
                        "+repage", path], check=True)

    def wait_exit(self, timeout=TIMEOUT):
        return self.proc.wait(timeout)

    def stop(self):
        end_process(self.proc, self.proc.terminate)
