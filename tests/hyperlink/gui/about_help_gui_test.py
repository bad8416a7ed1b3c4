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
import unittest

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from gui_driver import Program as Driver, click, find, has, start_registry, text, wait_closed, wait_for, walk, xdo  # noqa: E402

QUILLO, ARTIFACTS = (os.path.abspath(a) for a in sys.argv[1:3])
del sys.argv[1:3]
WEB_PAGE = "https://quillo.example.org/"


def click_left(acc, button="1"):
    # 20 pixels in from the left edge (the middle of a narrower widget): where a label's text starts.
    click(acc, button, inset=20)


class Program(Driver):
    key_pause = 0.05

    def __init__(self, folder, bin_dir):
        env = dict(os.environ)
        env["PATH"] = bin_dir + os.pathsep + env.get("PATH", "")
        env["HOME"] = folder
        super().__init__(QUILLO, folder, env)

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
        for label in ("Quillo Version 1.0", "Copyright (C) 2026 The Quillo Project", WEB_PAGE):
            self.assertTrue(has(about, "label", label), label)
        self.assertTrue(has(about, "push button", "OK"))

    def test_about_box_from_the_help_menu_opens_its_link(self):
        about = self.about_from_help_menu()
        self.check_about_content(about)
        self.q.screenshot("About Quillo", os.path.join(ARTIFACTS, "about-box.png"))
        link = find(about, "label", WEB_PAGE)
        x, y, w, h = link.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        away = (str(x + w // 2), str(y + h + 40))
        wait_for("a blue link", lambda: Program.shows(link, "blue"))
        # Under the pointer it turns red; when the pointer leaves it, blue again.
        xdo("mousemove", "--sync", str(x + 10), str(y + h // 2))
        wait_for("a red link", lambda: Program.shows(link, "red") and not Program.shows(link, "blue"))
        xdo("mousemove", "--sync", *away)
        wait_for("a blue link again", lambda: Program.shows(link, "blue") and not Program.shows(link, "red"))
        click_left(link)
        wait_for("the link to reach the browser", lambda: self.opened_addresses() == [WEB_PAGE])
        # Opened: purple, also once the pointer has gone.
        xdo("mousemove", "--sync", *away)
        wait_for("a purple link", lambda: Program.shows(link, "purple") and not Program.shows(link, "red"))
        self.q.focus("About Quillo")
        self.q.key("Return")
        wait_closed(about)
        # A new About box again: the main window is still there.
        about = self.about_from_help_menu()
        self.q.key("Escape")
        wait_closed(about)

    def test_about_box_from_the_system_menu(self):
        self.q.focus("Quillo")
        self.q.key("alt+space")
        menu_item = wait_for("the system menu", lambda: next(
            (acc for app in [self.q.app()] for acc in walk(app)
             if acc.getRoleName() == "menu item" and acc.name == "About Quillo..." and
             acc.getState().contains(pyatspi.STATE_SHOWING)), None))
        click_left(menu_item)
        about = self.q.window("About Quillo")
        self.check_about_content(about)
        self.q.focus("About Quillo")
        self.q.key("Escape")
        wait_closed(about)

    def test_link_menu_copies_and_shows_properties_whose_help_opens_the_help_file(self):
        about = self.about_from_help_menu()
        link = find(about, "label", WEB_PAGE)
        # Copy Shortcut: the address is on the clipboard while Quillo runs.
        click_left(link, "3")
        self.q.key("t")
        copied = wait_for("the clipboard", lambda: subprocess.run(
            ["xclip", "-o", "-selection", "clipboard"], capture_output=True, text=True, timeout=5).stdout)
        self.assertEqual(copied, WEB_PAGE)

        click_left(link, "3")
        self.q.key("r")
        sheet = self.q.window("Properties")
        self.assertTrue(has(sheet, "page tab", "General"))
        caption = find(sheet, "text", accessible_id=1005)
        address = find(sheet, "text", accessible_id=1007)
        self.assertEqual((text(caption), text(address)), (WEB_PAGE, WEB_PAGE))
        self.assertFalse(caption.getState().contains(pyatspi.STATE_EDITABLE))
        self.assertFalse(address.getState().contains(pyatspi.STATE_EDITABLE))
        for name in ("OK", "Cancel", "Help"):
            self.assertTrue(has(sheet, "push button", name), name)
        self.assertFalse(has(sheet, "push button", "Apply"))
        self.q.screenshot("Properties", os.path.join(ARTIFACTS, "link-properties.png"))

        click_left(find(sheet, "push button", "Help"))
        help_window = self.q.window("Quillo Help")  # the default topic's own title
        self.q.screenshot("Quillo Help", os.path.join(ARTIFACTS, "help-contents.png"))
        # The viewer may cover the sheet: press OK through the accessibility bus.
        find(sheet, "push button", "OK").queryAction().doAction(0)
        wait_closed(sheet)
        self.assertTrue(help_window.getState().contains(pyatspi.STATE_SHOWING))

    def test_help_contents_shows_the_default_topic(self):
        self.q.focus("Quillo")
        self.q.key("alt+h", "c")
        help_window = self.q.window("Quillo Help")
        # Its owner is no window of the program: closing the main window leaves it to the end.
        self.assertIsNotNone(help_window)


def setUpModule():
    start_registry()


if __name__ == "__main__":
    unittest.main(verbosity=2)
