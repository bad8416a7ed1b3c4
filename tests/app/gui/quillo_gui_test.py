#!/usr/bin/python3
"""End-to-end tests of the real program, driven as a user drives it.

Run through run_in_namespace.sh (own network namespace, Xvfb, D-Bus session):
    quillo_gui_test.py QUILLO_EXE SMTP_SINK_PY ARTIFACT_DIR [unittest arguments]

Each test starts quillo in a fresh working folder holding "quillo.cfg" and "recipients.txt",
finds its widgets through the accessibility bus (AT-SPI; edits and combo boxes carry their
control ids as accessible ids), types with xdotool and presses buttons with mouse clicks.
A real SMTP server (aiosmtpd) listens on 127.0.0.1:25 of the namespace where the settings point.
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

QUILLO, SINK, ARTIFACTS = (os.path.abspath(a) for a in sys.argv[1:4])
HERE = os.path.dirname(os.path.abspath(__file__))
TIMEOUT = 30.0


def wait_for(what, probe, timeout=TIMEOUT):
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
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def xdo(*args):
    subprocess.run(["xdotool", *args], check=True)


class Server:
    """A server script on 127.0.0.1 that prints "ready PORT"; stopped by closing its stdin."""

    def __init__(self, argv):
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = self.proc.stdout.readline().decode()
        if not line.startswith("ready"):
            self.stop()
            raise AssertionError("server did not start: " + line)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()


class Quillo:
    """One run of the program in folder."""

    def __init__(self, folder):
        env = dict(os.environ)
        # GTK and its libraries keep caches for the process's life; only our own leaks would matter.
        env["ASAN_OPTIONS"] = "detect_leaks=0"
        self.started = time.monotonic()
        self.proc = subprocess.Popen([QUILLO], cwd=folder, env=env)

    def app(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.proc.pid:
                return app
        return None

    def window(self, role, name, timeout=TIMEOUT):
        def probe():
            app = self.app()
            for acc in app or []:
                if acc is not None and acc.getRoleName() in role.split("|") and acc.name == name and \
                        acc.getState().contains(pyatspi.STATE_SHOWING):
                    return acc
            return None
        return wait_for(role + " " + repr(name), probe, timeout)

    def main_window(self):
        return self.window("frame", "Quillo")

    def alert(self, timeout=TIMEOUT):
        def probe():
            for acc in self.app() or []:
                if acc is not None and acc.getRoleName() == "alert" and acc.getState().contains(pyatspi.STATE_SHOWING):
                    return acc
            return None
        return wait_for("a message box", probe, timeout)

    @staticmethod
    def control(window, control_id, role=None):
        def probe():
            for acc in walk(window):
                if acc.accessibleId == str(control_id) and (role is None or acc.getRoleName() == role):
                    return acc
            return None
        return wait_for("control %s" % control_id, probe)

    @staticmethod
    def button(window, name):
        def probe():
            for acc in walk(window):
                if acc.getRoleName() == "push button" and acc.name == name:
                    return acc
            return None
        return wait_for("button " + name, probe)

    @staticmethod
    def text(acc):
        t = acc.queryText()
        return t.getText(0, t.characterCount)

    def xwindows(self, name):
        """The program's visible X windows titled name."""
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid), "--name", "."],
                             capture_output=True, text=True).stdout.split()
        return [w for w in out if subprocess.run(["xdotool", "getwindowname", w], capture_output=True,
                                                 text=True).stdout.rstrip("\n") == name]

    def xwindow(self, name):
        return wait_for("window " + name, lambda: self.xwindows(name))[0]

    def has_window(self, name):
        # A message box's caption is its window title (its accessible name is the kind of box).
        return bool(self.xwindows(name))

    def focus(self, name):
        # Without a window manager the keyboard goes to the window that is given the focus.
        xdo("windowfocus", "--sync", self.xwindow(name))

    @staticmethod
    def click(acc):
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        xdo("mousemove", "--sync", str(x + w // 2), str(y + h // 2))
        xdo("click", "1")

    @staticmethod
    def type(text):
        for ch in text:
            xdo("type", "--delay", "0", ch)

    @staticmethod
    def key(*keys):
        for k in keys:
            xdo("key", k)

    def screenshot(self, name, path):
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", self.xwindow(name)],
                                  capture_output=True, text=True, check=True).stdout
        g = dict(line.split("=") for line in geometry.split())
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop", "%sx%s+%s+%s" % (g["WIDTH"], g["HEIGHT"], g["X"], g["Y"]),
                        "+repage", path], check=True)

    def wait_exit(self, timeout=TIMEOUT):
        return self.proc.wait(timeout)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class GuiTest(unittest.TestCase):
    recipients = "b@sms.example\r\na@sms.example\r\n"
    settings = "me@example.org 127.0.0.1"

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quillo-gui-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        with open(os.path.join(self.folder, "quillo.cfg"), "w") as f:
            f.write(self.settings)
        with open(os.path.join(self.folder, "recipients.txt"), "w", newline="") as f:
            f.write(self.recipients)

    def start(self):
        q = Quillo(self.folder)
        self.addCleanup(q.stop)
        return q, q.main_window()

    def serve(self, argv):
        server = Server(argv)
        self.addCleanup(server.stop)
        return server

    def alert_texts(self, alert):
        return [acc.name for acc in walk(alert) if acc.getRoleName() == "label" and acc.name]

    def dismiss(self, q, alert):
        q.click(Quillo.button(alert, "OK"))
        wait_for("the box to close", lambda: not alert.getState().contains(pyatspi.STATE_SHOWING) or
                 alert.getState().contains(pyatspi.STATE_DEFUNCT))

    def select_recipient(self, main, address):
        combo = Quillo.control(main, 1006, "combo box")
        menu = combo.getChildAtIndex(0)
        names = [menu.getChildAtIndex(i).name for i in range(menu.childCount)]
        combo.querySelection().selectChild(names.index(address))
        return combo

    def compose(self, q, main, subject, lines):
        q.focus("Quillo")
        Quillo.control(main, 1001, "text").queryComponent().grabFocus()
        q.type(subject)
        q.key("Tab")  # the Message field is the next tab stop
        for i, line in enumerate(lines):
            if i:
                q.key("ctrl+Return")
            q.type(line)


class SendTest(GuiTest):
    def test_send_reaches_the_server_exactly(self):
        outdir = tempfile.mkdtemp(prefix="quillo-sink-")
        self.addCleanup(shutil.rmtree, outdir, True)
        self.serve([sys.executable, SINK, outdir, "--port", "25"])
        q, main = self.start()
        self.select_recipient(main, "b@sms.example")
        self.compose(q, main, "Lunch", ["Meet at 12?", ".see you"])
        message = Quillo.control(main, 1002, "text")
        self.assertEqual(Quillo.text(message), "Meet at 12?\n.see you")
        q.screenshot("Quillo", os.path.join(ARTIFACTS, "main-window.png"))

        q.click(Quillo.button(main, "Send"))
        alert = q.alert()
        self.assertIn("SMS Sent!", self.alert_texts(alert))
        self.assertTrue(q.has_window("SMS Sending Status Report"))
        self.dismiss(q, alert)

        with open(os.path.join(outdir, "1.env")) as f:
            self.assertEqual(f.read().splitlines(), ["from me@example.org", "rcpt b@sms.example", "rcpt me@example.org"])
        with open(os.path.join(outdir, "1.eml"), "rb") as f:
            data = f.read()
        self.assertRegex(data, re.compile(
            rb"\AFrom: me@example\.org\r\nTo: b@sms\.example\r\nSubject: Lunch\r\n"
            rb"Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d? (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4} "
            rb"\d\d:\d\d:\d\d [+-]\d{4}\r\n"
            rb"X-Mailer: Quillo Version 1\.0\r\n"
            rb"(MIME-Version: 1\.0\r\nContent-Type: text/plain; charset=[-\w]+\r\n)?"
            rb"Content-Transfer-Encoding: quoted-printable\r\n\r\n"
            rb"\r\nMeet at 12\?\r\n\.see you\r\n\Z"))

        # The fields and the selection stay, so Send again sends the same mail again.
        self.assertEqual(Quillo.text(Quillo.control(main, 1001, "text")), "Lunch")
        q.click(Quillo.button(main, "Send"))
        alert = q.alert()
        self.assertIn("SMS Sent!", self.alert_texts(alert))
        self.dismiss(q, alert)
        with open(os.path.join(outdir, "2.eml"), "rb") as f:
            self.assertTrue(f.read().endswith(b"\r\nMeet at 12?\r\n.see you\r\n"))

    def test_refused_recipient_is_reported_as_failure(self):
        self.serve([sys.executable, os.path.join(HERE, "refusing_server.py"), "25"])
        q, main = self.start()
        self.select_recipient(main, "a@sms.example")
        q.click(Quillo.button(main, "Send"))
        alert = q.alert()
        texts = self.alert_texts(alert)
        self.assertTrue(any(t.startswith("Could not send SMS") for t in texts), texts)
        self.assertTrue(any("550" in t for t in texts), texts)
        self.assertTrue(q.has_window("SMS Sending Error"))
        self.dismiss(q, alert)

    def test_no_server_asks_to_check_the_connection(self):
        q, main = self.start()  # nothing listens on port 25 in this namespace
        self.select_recipient(main, "a@sms.example")
        q.click(Quillo.button(main, "Send"))
        alert = q.alert()
        self.assertIn("Please check your Internet connection.", self.alert_texts(alert))
        self.assertTrue(q.has_window("Internet Connection Status"))
        self.dismiss(q, alert)

    def test_send_without_recipient(self):
        q, main = self.start()
        q.click(Quillo.button(main, "Send"))
        alert = q.alert()
        self.assertIn("No Recipient Selected!", self.alert_texts(alert))
        self.assertTrue(q.has_window("Recipient Selection Error"))
        self.dismiss(q, alert)


class KeyboardTest(GuiTest):
    def test_the_81st_character_cannot_be_typed(self):
        q, main = self.start()
        q.focus("Quillo")
        message = Quillo.control(main, 1002, "text")
        message.queryComponent().grabFocus()
        q.type("x" * 80)
        q.type("yz")
        self.assertEqual(Quillo.text(message), "x" * 80)
        q.key("BackSpace")
        q.type("ab")
        self.assertEqual(Quillo.text(message), "x" * 79 + "a")

    def test_escape_closes_without_validation(self):
        q, main = self.start()
        q.focus("Quillo")
        Quillo.control(main, 1002, "text").queryComponent().grabFocus()
        q.type("unsent")
        q.key("Escape")
        self.assertEqual(q.wait_exit(), 0)

    def test_enter_in_subject_or_message_activates_close(self):
        for field in (1001, 1002):
            with self.subTest(field=field):
                q, main = self.start()
                q.focus("Quillo")
                Quillo.control(main, field, "text").queryComponent().grabFocus()
                q.type("s")
                q.key("Return")
                self.assertEqual(q.wait_exit(), 0)

    def test_tab_order_follows_the_template(self):
        q, main = self.start()
        q.focus("Quillo")
        subject = Quillo.control(main, 1001, "text")
        wait_for("the Subject field to have the focus", lambda: subject.getState().contains(pyatspi.STATE_FOCUSED))
        # Edits and the list are named by their labels for assistive technology.
        self.assertEqual([Quillo.control(main, i, r).name for i, r in ((1006, "combo box"), (1001, "text"), (1002, "text"))],
                         ["To", "Subject", "Message"])
        order = [(1002, "text"), ("Send",), ("Close",), (1006, "combo box"), ("Reload",), (1001, "text")]
        for stop in order:
            q.key("Tab")
            acc = Quillo.button(main, stop[0]) if len(stop) == 1 else Quillo.control(main, *stop)
            wait_for("the focus on %s" % (stop,), lambda: acc.getState().contains(pyatspi.STATE_FOCUSED) or any(
                c.getState().contains(pyatspi.STATE_FOCUSED) for c in walk(acc)))


class SettingsTest(GuiTest):
    def open_settings(self, q):
        q.focus("Quillo")
        q.key("alt+c")
        q.key("s")
        dialog = q.window("dialog|frame", "E-mail to SMS Settings")
        q.focus("E-mail to SMS Settings")
        return dialog

    def read_settings(self):
        with open(os.path.join(self.folder, "quillo.cfg"), "rb") as f:
            return f.read()

    def test_settings_dialog_saves(self):
        q, main = self.start()
        dialog = self.open_settings(q)
        server = Quillo.control(dialog, 1004, "text")
        sender = Quillo.control(dialog, 1005, "text")
        self.assertEqual((Quillo.text(server), Quillo.text(sender)), ("127.0.0.1", "me@example.org"))
        wait_for("the SMTP server field to have the focus", lambda: server.getState().contains(pyatspi.STATE_FOCUSED))
        q.key("ctrl+a")
        q.type("mail.example.net")
        q.key("Tab", "ctrl+a")
        q.type("new@example.org")
        q.screenshot("E-mail to SMS Settings", os.path.join(ARTIFACTS, "settings-dialog.png"))
        q.key("Return")
        wait_for("the dialog to close", lambda: dialog.getState().contains(pyatspi.STATE_DEFUNCT) or
                 not dialog.getState().contains(pyatspi.STATE_SHOWING))
        self.assertEqual(self.read_settings(), b"new@example.org mail.example.net")
        # The next run of the command reads the file again.
        dialog = self.open_settings(q)
        self.assertEqual(Quillo.text(Quillo.control(dialog, 1004, "text")), "mail.example.net")
        q.key("Escape")

    def test_blank_setting_is_refused_and_cancel_writes_nothing(self):
        q, main = self.start()
        dialog = self.open_settings(q)
        Quillo.control(dialog, 1005, "text").queryComponent().grabFocus()
        q.key("ctrl+a", "BackSpace", "Return")
        alert = q.alert()
        self.assertIn("Settings cannot be blank!", self.alert_texts(alert))
        self.assertTrue(q.has_window("Error"))
        self.dismiss(q, alert)
        self.assertTrue(dialog.getState().contains(pyatspi.STATE_SHOWING))
        q.focus("E-mail to SMS Settings")
        q.key("Escape")
        wait_for("the dialog to close", lambda: dialog.getState().contains(pyatspi.STATE_DEFUNCT) or
                 not dialog.getState().contains(pyatspi.STATE_SHOWING))
        self.assertEqual(self.read_settings(), self.settings.encode())
        # The main window is still there and Esc ends the program.
        q.focus("Quillo")
        q.key("Escape")
        self.assertEqual(q.wait_exit(), 0)


class StartupTest(GuiTest):
    def test_missing_settings_file_is_reported_and_the_window_opens(self):
        os.remove(os.path.join(self.folder, "quillo.cfg"))
        q = Quillo(self.folder)
        self.addCleanup(q.stop)
        alert = q.alert()
        self.assertIn("Error opening config file", self.alert_texts(alert))
        self.assertTrue(q.has_window("Error"))
        self.dismiss(q, alert)
        q.main_window()


if __name__ == "__main__":
    # Starts the accessibility bus and registry before the first program looks for them.
    pyatspi.Registry.getDesktop(0).childCount
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2, warnings="ignore")
