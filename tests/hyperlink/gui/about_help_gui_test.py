#!/usr/bin/python3
"""End-to-end tests of the About box, the link's menu and Properties sheet, and Help, on the real
program under Xvfb, driven through the accessibility bus (AT-SPI) and xdotool.

    with_display.sh dbus-run-session -- /usr/bin/python3 about_help_gui_test.py QUILLO_EXE ARTIFACT_DIR

The program runs in a fresh folder; "xdg-open" on its PATH is a stand-in that writes down what it
was asked to open, so no browser ever starts. Screenshots go to ARTIFACT_DIR.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import warnings

import pyatspi

warnings.filterwarnings("ignore", category=DeprecationWarning)

QUILLO, ARTIFACTS = (os.path.abspath(a) for a in sys.argv[1:3])
del sys.argv[1:3]
TIMEOUT = 30.0
WEB_PAGE = "https://quillo.example.org/"


def wait_for(what, probe, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except Exception:  # windows come and go under the accessibility tree
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def descendants(acc):
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from descendants(child)


def xdo(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True).stdout


class Program:
    def __init__(self, folder, bin_dir):
        env = dict(os.environ)
        env["PATH"] = bin_dir + os.pathsep + env.get("PATH", "")
        env["HOME"] = folder
        env["ASAN_OPTIONS"] = "detect_leaks=0"
        self.proc = subprocess.Popen([QUILLO], cwd=folder, env=env)

    def app(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.proc.pid:
                return app
        return None

    def window(self, name):
        def probe():
            for acc in self.app() or []:
                if acc is not None and acc.name == name and acc.getState().contains(pyatspi.STATE_SHOWING):
                    return acc
            return None
        return wait_for("window " + repr(name), probe)

    def gone(self, acc):
        wait_for("a window to close", lambda: acc.getState().contains(pyatspi.STATE_DEFUNCT) or
                 not acc.getState().contains(pyatspi.STATE_SHOWING))

    @staticmethod
    def find(window, role, name=None, accessible_id=None):
        def probe():
            for acc in descendants(window):
                if acc.getRoleName() == role and (name is None or acc.name == name) and \
                        (accessible_id is None or acc.accessibleId == str(accessible_id)):
                    return acc
            return None
        return wait_for("%s %s" % (role, name or accessible_id), probe)

    @staticmethod
    def has(window, role, name):
        return any(acc.getRoleName() == role and acc.name == name for acc in descendants(window))

    @staticmethod
    def text(acc):
        t = acc.queryText()
        return t.getText(0, t.characterCount)

    def xwindow(self, title):
        def probe():
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid), "--name", "."],
                                 capture_output=True, text=True).stdout.split()
            return [w for w in out if xdo("getwindowname", w).rstrip("\n") == title]
        return wait_for("X window " + title, probe)[0]

    def focus(self, title):
        xdo("windowfocus", "--sync", self.xwindow(title))

    @staticmethod
    def click(acc, button="1"):
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        xdo("mousemove", "--sync", str(x + min(w // 2, 20)), str(y + h // 2))
        xdo("click", button)

    @staticmethod
    def key(*keys):
        for k in keys:
            xdo("key", k)
            time.sleep(0.05)

    @staticmethod
    def colours(acc):
        """The set of pixel colours the screen shows over acc."""
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        shot = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                               "png:-"], capture_output=True, check=True).stdout
        text = subprocess.run(["convert", "png:-", "-depth", "8", "-unique-colors", "txt:-"], input=shot,
                              capture_output=True, check=True).stdout.decode()
        return {tuple(int(c[i:i + 2], 16) for i in (0, 2, 4)) for c in re.findall(r"#([0-9A-Fa-f]{6})", text)}

    @staticmethod
    def shows(acc, kind):
        """Whether text in the link colour kind shows over acc (the text is antialiased: near enough)."""
        near = {"blue": lambda r, g, b: b > 220 and r < 40 and g < 40,
                "red": lambda r, g, b: r > 220 and g < 40 and b < 40,
                "purple": lambda r, g, b: 100 < r < 160 and 100 < b < 160 and g < 40}[kind]
        return any(near(*c) for c in Program.colours(acc))

    def screenshot(self, title, name):
        g = dict(line.split("=") for line in xdo("getwindowgeometry", "--shell", self.xwindow(title)).split())
        os.makedirs(ARTIFACTS, exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop", "%sx%s+%s+%s" % (g["WIDTH"], g["HEIGHT"], g["X"], g["Y"]),
                        "+repage", os.path.join(ARTIFACTS, name)], check=True)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class AboutAndHelpTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quillo-about-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        with open(os.path.join(self.folder, "quillo.cfg"), "w") as f:
            f.write("me@example.org 127.0.0.1")
        with open(os.path.join(self.folder, "recipients.txt"), "w") as f:
            f.write("a@sms.example\n")
        # The browser stand-in: records each address it is handed.
        self.opened = os.path.join(self.folder, "opened.txt")
        bin_dir = os.path.join(self.folder, "bin")
        os.makedirs(bin_dir)
        with open(os.path.join(bin_dir, "xdg-open"), "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' % self.opened)
        os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
        self.q = Program(self.folder, bin_dir)
        self.addCleanup(self.q.stop)
        self.main = self.q.window("Quillo")

    def opened_addresses(self):
        try:
            with open(self.opened) as f:
                return f.read().split()
        except FileNotFoundError:
            return []

    def about_from_help_menu(self):
        self.q.focus("Quillo")
        self.q.key("alt+h", "a")
        return self.q.window("About Quillo")

    def check_about_content(self, about):
        for text in ("Quillo Version 1.0", "Copyright (C) 2026 The Quillo Project", WEB_PAGE):
            self.assertTrue(Program.has(about, "label", text), text)
        self.assertTrue(Program.has(about, "push button", "OK"))

    def test_about_box_from_the_help_menu_opens_its_link(self):
        about = self.about_from_help_menu()
        self.check_about_content(about)
        self.q.screenshot("About Quillo", "about-box.png")
        link = Program.find(about, "label", WEB_PAGE)
        x, y, w, h = link.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        away = (str(x + w // 2), str(y + h + 40))
        wait_for("a blue link", lambda: Program.shows(link, "blue"))
        # Under the pointer it turns red; when the pointer leaves it, blue again.
        xdo("mousemove", "--sync", str(x + 10), str(y + h // 2))
        wait_for("a red link", lambda: Program.shows(link, "red") and not Program.shows(link, "blue"))
        xdo("mousemove", "--sync", *away)
        wait_for("a blue link again", lambda: Program.shows(link, "blue") and not Program.shows(link, "red"))
        Program.click(link)
        wait_for("the link to reach the browser", lambda: self.opened_addresses() == [WEB_PAGE])
        # Opened: purple, also once the pointer has gone.
        xdo("mousemove", "--sync", *away)
        wait_for("a purple link", lambda: Program.shows(link, "purple") and not Program.shows(link, "red"))
        self.q.focus("About Quillo")
        self.q.key("Return")
        self.q.gone(about)
        # A new About box again: the main window is still there.
        about = self.about_from_help_menu()
        self.q.key("Escape")
        self.q.gone(about)

    def test_about_box_from_the_system_menu(self):
        self.q.focus("Quillo")
        self.q.key("alt+space")
        menu_item = wait_for("the system menu", lambda: next(
            (acc for app in [self.q.app()] for acc in descendants(app)
             if acc.getRoleName() == "menu item" and acc.name == "About Quillo..." and
             acc.getState().contains(pyatspi.STATE_SHOWING)), None))
        Program.click(menu_item)
        about = self.q.window("About Quillo")
        self.check_about_content(about)
        self.q.focus("About Quillo")
        self.q.key("Escape")
        self.q.gone(about)

    def test_link_menu_copies_and_shows_properties_whose_help_opens_the_help_file(self):
        about = self.about_from_help_menu()
        link = Program.find(about, "label", WEB_PAGE)
        # Copy Shortcut: the address is on the clipboard while Quillo runs.
        Program.click(link, "3")
        self.q.key("t")
        copied = wait_for("the clipboard", lambda: subprocess.run(
            ["xclip", "-o", "-selection", "clipboard"], capture_output=True, text=True, timeout=5).stdout)
        self.assertEqual(copied, WEB_PAGE)

        Program.click(link, "3")
        self.q.key("r")
        sheet = self.q.window("Properties")
        self.assertTrue(Program.has(sheet, "page tab", "General"))
        caption = Program.find(sheet, "text", accessible_id=1005)
        address = Program.find(sheet, "text", accessible_id=1007)
        self.assertEqual((Program.text(caption), Program.text(address)), (WEB_PAGE, WEB_PAGE))
        self.assertFalse(caption.getState().contains(pyatspi.STATE_EDITABLE))
        self.assertFalse(address.getState().contains(pyatspi.STATE_EDITABLE))
        for name in ("OK", "Cancel", "Help"):
            self.assertTrue(Program.has(sheet, "push button", name), name)
        self.assertFalse(Program.has(sheet, "push button", "Apply"))
        self.q.screenshot("Properties", "link-properties.png")

        Program.click(Program.find(sheet, "push button", "Help"))
        help_window = self.q.window("Quillo Help")  # the default topic's own title
        self.q.screenshot("Quillo Help", "help-contents.png")
        # The viewer may cover the sheet: press OK through the accessibility bus.
        Program.find(sheet, "push button", "OK").queryAction().doAction(0)
        self.q.gone(sheet)
        self.assertTrue(help_window.getState().contains(pyatspi.STATE_SHOWING))

    def test_help_contents_shows_the_default_topic(self):
        self.q.focus("Quillo")
        self.q.key("alt+h", "c")
        help_window = self.q.window("Quillo Help")
        # Its owner is no window of the program: closing the main window leaves it to the end.
        self.assertIsNotNone(help_window)


def setUpModule():
    # Brings up the accessibility bus and its registry before the first program starts, so that
    # program registers with it (one started first may never be listed).
    wait_for("the accessibility registry", lambda: pyatspi.Registry.getDesktop(0) is not None)
    pyatspi.Registry.getDesktop(0).childCount


if __name__ == "__main__":
    unittest.main(verbosity=2)
