#!/usr/bin/python3
"""Start-up time of the program to its first window: median of N runs.

Run on a display, e.g.  xvfb-run -a -s '-screen 0 1024x768x24' dbus-run-session -- \
    /usr/bin/python3 measure_startup.py build/app/quillo [N]
Each run starts quillo in a fresh folder with "quillo.cfg" and "recipients.txt" and measures
until its window "Quillo" is mapped (polled with xdotool every few milliseconds).
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

quillo = os.path.abspath(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
times = []
for _ in range(runs):
    folder = tempfile.mkdtemp(prefix="quillo-startup-")
    with open(os.path.join(folder, "quillo.cfg"), "w") as f:
        f.write("me@example.org 127.0.0.1")
    with open(os.path.join(folder, "recipients.txt"), "w") as f:
        f.write("a@sms.example\n")
    start = time.monotonic()
    proc = subprocess.Popen([quillo], cwd=folder)
    try:
        while True:
            out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid), "--name", "^Quillo$"],
                                 capture_output=True, text=True).stdout
            if out.strip():
                times.append(time.monotonic() - start)
                break
            if time.monotonic() - start > 30:
                raise SystemExit("no window within 30 s")
    finally:
        proc.terminate()
        proc.wait()
        shutil.rmtree(folder, True)
print("start-up to first window: median %.0f ms (min %.0f, max %.0f, %d runs)" %
      (statistics.median(times) * 1000, min(times) * 1000, max(times) * 1000, len(times)))
