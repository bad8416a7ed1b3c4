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
import unittest

import pyatspi

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "support"))
from gui_driver import Program, click, end_process, find, start_registry, text, wait_closed, wait_for, walk  # noqa: E402

QUILLO, SINK, ARTIFACTS = (os.path.abspath(a) for a in sys.argv[1:4])


def control(window, control_id, role=None):
    return find(window, role, accessible_id=control_id)


def button(window, name):
    return find(window, "push button", name)


class Server:
    """A server script on 127.0.0.1 that prints "ready PORT"; stopped by closing its stdin."""

    def __init__(self, argv):
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = self.proc.stdout.readline().decode()
        if not line.startswith("ready"):
            self.stop()
            raise AssertionError("server did not start: " + line)

    def stop(self):
        end_process(self.proc, self.proc.stdin.close)
        self.proc.stdout.close()


class Quillo(Program):
    """One run of the program in folder."""

    def __init__(self, folder):
        super().__init__(QUILLO, folder)

    def main_window(self):
        return self.window("Quillo", "frame")

    def alert(self):
        def probe():
            for acc in self.app() or []:
                if acc is not None and acc.getRoleName() == "alert" and acc.getState().contains(pyatspi.STATE_SHOWING):
                    return acc
            return None
        return wait_for("a message box", probe)


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
        click(button(alert, "OK"))
        wait_closed(alert, "the box")

    def select_recipient(self, main, address):
        combo = control(main, 1006, "combo box")
        menu = combo.getChildAtIndex(0)
        names = [menu.getChildAtIndex(i).name for i in range(menu.childCount)]
        combo.querySelection().selectChild(names.index(address))
        return combo

    def compose(self, q, main, subject, lines):
        q.focus("Quillo")
        control(main, 1001, "text").queryComponent().grabFocus()
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
        message = control(main, 1002, "text")
        self.assertEqual(text(message), "Meet at 12?\n.see you")
        q.screenshot("Quillo", os.path.join(ARTIFACTS, "main-window.png"))

        click(button(main, "Send"))
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
        self.assertEqual(text(control(main, 1001, "text")), "Lunch")
        click(button(main, "Send"))
        alert = q.alert()
        self.assertIn("SMS Sent!", self.alert_texts(alert))
        self.dismiss(q, alert)
        with open(os.path.join(outdir, "2.eml"), "rb") as f:
            self.assertTrue(f.read().endswith(b"\r\nMeet at 12?\r\n.see you\r\n"))

    def test_refused_recipient_is_reported_as_failure(self):
        self.serve([sys.executable, os.path.join(HERE, "refusing_server.py"), "25"])
        q, main = self.start()
        self.select_recipient(main, "a@sms.example")
        click(button(main, "Send"))
        alert = q.alert()
        texts = self.alert_texts(alert)
        self.assertTrue(any(t.startswith("Could not send SMS") for t in texts), texts)
        self.assertTrue(any("550" in t for t in texts), texts)
        self.assertTrue(q.has_window("SMS Sending Error"))
        self.dismiss(q, alert)

    def test_no_server_asks_to_check_the_connection(self):
        q, main = self.start()  # nothing listens on port 25 in this namespace
        self.select_recipient(main, "a@sms.example")
        click(button(main, "Send"))
        alert = q.alert()
        self.assertIn("Please check your Internet connection.", self.alert_texts(alert))
        self.assertTrue(q.has_window("Internet Connection Status"))
        self.dismiss(q, alert)

    def test_send_without_recipient(self):
        q, main = self.start()
        click(button(main, "Send"))
        alert = q.alert()
        self.assertIn("No Recipient Selected!", self.alert_texts(alert))
        self.assertTrue(q.has_window("Recipient Selection Error"))
        self.dismiss(q, alert)


class KeyboardTest(GuiTest):
    def test_the_81st_character_cannot_be_typed(self):
        q, main = self.start()
        q.focus("Quillo")
        message = control(main, 1002, "text")
        message.queryComponent().grabFocus()
        q.type("x" * 80)
        q.type("yz")
        self.assertEqual(text(message), "x" * 80)
        q.key("BackSpace")
        q.type("ab")
        self.assertEqual(text(message), "x" * 79 + "a")

    def test_escape_closes_without_validation(self):
        q, main = self.start()
        q.focus("Quillo")
        control(main, 1002, "text").queryComponent().grabFocus()
        q.type("unsent")
        q.key("Escape")
        self.assertEqual(q.wait_exit(), 0)

    def test_enter_in_subject_or_message_activates_close(self):
        for field in (1001, 1002):
            with self.subTest(field=field):
                q, main = self.start()
                q.focus("Quillo")
                control(main, field, "text").queryComponent().grabFocus()
                q.type("s")
                q.key("Return")
                self.assertEqual(q.wait_exit(), 0)

    def test_tab_order_follows_the_template(self):
        q, main = self.start()
        q.focus("Quillo")
        subject = control(main, 1001, "text")
        wait_for("the Subject field to have the focus", lambda: subject.getState().contains(pyatspi.STATE_FOCUSED))
        # Edits and the list are named by their labels for assistive technology.
        self.assertEqual([control(main, i, r).name for i, r in ((1006, "combo box"), (1001, "text"), (1002, "text"))],
                         ["To", "Subject", "Message"])
        order = [(1002, "text"), ("Send",), ("Close",), (1006, "combo box"), ("Reload",), (1001, "text")]
        for stop in order:
            q.key("Tab")
            acc = button(main, stop[0]) if len(stop) == 1 else control(main, *stop)
            wait_for("the focus on %s" % (stop,), lambda: acc.getState().contains(pyatspi.STATE_FOCUSED) or any(
                c.getState().contains(pyatspi.STATE_FOCUSED) for c in walk(acc)))


class SettingsTest(GuiTest):
    def open_settings(self, q):
        q.focus("Quillo")
        q.key("alt+c")
        q.key("s")
        dialog = q.window("E-mail to SMS Settings", "dialog|frame")
        q.focus("E-mail to SMS Settings")
        return dialog

    def read_settings(self):
        with open(os.path.join(self.folder, "quillo.cfg"), "rb") as f:
            return f.read()

    def test_settings_dialog_saves(self):
        q, main = self.start()
        dialog = self.open_settings(q)
        server = control(dialog, 1004, "text")
        sender = control(dialog, 1005, "text")
        self.assertEqual((text(server), text(sender)), ("127.0.0.1", "me@example.org"))
        wait_for("the SMTP server field to have the focus", lambda: server.getState().contains(pyatspi.STATE_FOCUSED))
        q.key("ctrl+a")
        q.type("mail.example.net")
        q.key("Tab", "ctrl+a")
        q.type("new@example.org")
        q.screenshot("E-mail to SMS Settings", os.path.join(ARTIFACTS, "settings-dialog.png"))
        q.key("Return")
        wait_closed(dialog, "the dialog")
        self.assertEqual(self.read_settings(), b"new@example.org mail.example.net")
        # The next run of the command reads the file again.
        dialog = self.open_settings(q)
        self.assertEqual(text(control(dialog, 1004, "text")), "mail.example.net")
        q.key("Escape")

    def test_blank_setting_is_refused_and_cancel_writes_nothing(self):
        q, main = self.start()
        dialog = self.open_settings(q)
        control(dialog, 1005, "text").queryComponent().grabFocus()
        q.key("ctrl+a", "BackSpace", "Return")
        alert = q.alert()
        self.assertIn("Settings cannot be blank!", self.alert_texts(alert))
        self.assertTrue(q.has_window("Error"))
        self.dismiss(q, alert)
        self.assertTrue(dialog.getState().contains(pyatspi.STATE_SHOWING))
        q.focus("E-mail to SMS Settings")
        q.key("Escape")
        wait_closed(dialog, "the dialog")
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
    start_registry()
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2, warnings="ignore")
