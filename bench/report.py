#!/usr/bin/python3
"""The benchmark report: runs the benchmark programs of a release build and the peers beside
them, in this one run, and prints one table: per figure our value, the peer's, and the ratio.

Usage: report.py BUILD_DIR      (scripts/bench.sh builds BUILD_DIR and runs this)

Where the programs measure a peer themselves (bench_send: smtplib; bench_md5: openssl and
Python's hmac; bench_encoders: coreutils base64, Python's base64 and quopri), their figures are
read from their output. This script measures the rest: whole sends as processes beside curl,
against the tests' aiosmtpd sink, and the peak memory of encoding a 50 MiB attachment beside
Python and coreutils doing the same.
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SINK = os.path.join(ROOT, "tests", "support", "smtp_sink.py")
PYTHON = "/usr/bin/python3"

# Whether more is better for a unit; the ratio column always reads "above 1: ours better".
HIGHER_IS_BETTER = {"MB/s": True, "M/s": True, "ms": False, "B/B": False}
rows = []
notes = []


def row(figure, unit, ours, peer, theirs, stat):
    rows.append((figure, unit, ours, peer, theirs, stat))


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def number(pattern, text):
    match = re.search(pattern, text, re.MULTILINE)
    return float(match.group(1)) if match else None


def bench(build, name, *args):
    exe = os.path.join(build, "bench", "bench_" + name)
    if not os.path.exists(exe):
        notes.append("bench_%s was not built" % name)
        return ""
    result = run([exe, *map(str, args)])
    if result.returncode != 0:
        notes.append("bench_%s failed: %s" % (name, (result.stderr or result.stdout).strip()[-300:]))
    return result.stdout


def whole_send_in_process(build):
    out = bench(build, "send", 200)
    ours = number(r"quillo:\s+median\s+([\d.]+) ms", out)
    theirs = number(r"python smtplib:\s+median\s+([\d.]+) ms", out)
    row("whole send, in-process (200 runs)", "ms", ours, "python smtplib", theirs, "median")


def whole_send_as_process(build):
    """Our one-send program and curl, each a process per send, taking turns against one sink."""
    ours_exe = os.path.join(build, "bench", "bench_send_process")
    curl = shutil.which("curl")
    folder = tempfile.mkdtemp(prefix="quillo-bench-")
    sink = subprocess.Popen([PYTHON, SINK, folder], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        ready = sink.stdout.readline().split()
        if len(ready) != 2 or ready[0] != "ready":
            notes.append("the aiosmtpd sink did not start")
            row("whole send, one process each (40 runs)", "ms", None, "curl", None, "median")
            return
        port = ready[1]
        sender, recipient, subject, text = ("me@example.org", "5551234@sms.example.net", "Benchmark",
                                            "Running late, see you at the station at 6.")
        message = os.path.join(folder, "message.eml")
        with open(message, "w") as f:
            f.write("From: %s\r\nTo: %s\r\nSubject: %s\r\nX-Mailer: curl\r\n\r\n%s\r\n"
                    % (sender, recipient, subject, text))
        ours_command = [ours_exe, port, sender, recipient, subject, text]
        curl_command = [curl, "-s", "smtp://127.0.0.1:%s" % port, "--mail-from", sender, "--mail-rcpt", recipient,
                        "--mail-rcpt", sender, "--upload-file", message] if curl else None
        ours, theirs = [], []

        def timed(command, into):
            start = time.perf_counter()
            ok = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0
            if into is not None and ok:
                into.append((time.perf_counter() - start) * 1000.0)
            return ok

        for _ in range(3):  # warm-up of the server and the page cache, not measured
            timed(ours_command, None)
            if curl_command:
                timed(curl_command, None)
        for _ in range(40):
            if not timed(ours_command, ours):
                notes.append("bench_send_process failed")
                break
            if curl_command and not timed(curl_command, theirs):
                notes.append("curl failed to send")
                curl_command = None
        row("whole send, one process each (40 runs)", "ms", statistics.median(ours) if ours else None,
            "curl" if curl else "curl (not installed)", statistics.median(theirs) if theirs else None, "median")
    finally:
        sink.stdin.close()
        try:
            sink.wait(timeout=10)
        except subprocess.TimeoutExpired:
            sink.kill()
            sink.wait()
        shutil.rmtree(folder, ignore_errors=True)


def md5(build):
    out = bench(build, "md5", 64)
    ours = number(r"ours \(Md5Update[^)]*\)\s+([\d.]+) MB/s", out)
    row("MD5, 64 MiB", "MB/s", ours, "openssl dgst -md5", number(r"openssl dgst -md5[^\n]*?\s([\d.]+) MB/s", out),
        "median of 5")
    row("MD5, 16 KiB blocks", "MB/s", ours, "openssl speed -evp md5",
        number(r"openssl speed -evp md5[^\n]*?\s([\d.]+) MB/s", out), "median of 5")
    row("HMAC-MD5 of a login challenge", "M/s", number(r"ours \(HmacMd5\)\s+([\d.]+) M/s", out),
        "python3 hmac.digest", number(r"python3 hmac\.digest\s+([\d.]+) M/s", out), "median")


def encoders(build):
    out = bench(build, "encoders", 8)
    # "operation  ours   peer name   peer  ratio", columns as bench_encoders prints them.
    for line in out.splitlines():
        match = re.match(r"(base64 encode|base64 decode|QpEncode)\s+([\d.]+)\s{3}(.+?)\s+([\d.]+)\s+[\d.]+$", line)
        if match:
            row("%s, 8 MiB" % match.group(1), "MB/s", float(match.group(2)), match.group(3),
                float(match.group(4)), "best of 7")


# Python reading the whole file and encoding it as MIME lines, as our part does; the growth of its
# resident set at the peak, from just before the read.
PEAK_PYTHON = r"""
import base64, sys
def status(field):
    return [int(l.split()[1]) * 1024 for l in open('/proc/self/status') if l.startswith(field + ':')][0]
open('/proc/self/clear_refs', 'w').write('5')
before = status('VmRSS')
text = base64.encodebytes(open(sys.argv[1], 'rb').read())
print(status('VmHWM') - before)
"""

# A streaming encoder's whole peak resident set, program included (it cannot be split off).
PEAK_CHILD = r"""
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss * 1024)
"""


def peak_memory(build):
    size = 50 << 20
    folder = tempfile.mkdtemp(prefix="quillo-bench-")
    try:
        path = os.path.join(folder, "attachment.bin")
        with open(path, "wb") as f:
            f.write(os.urandom(size))
        ours, python, coreutils = [], [], []
        exe = os.path.join(build, "bench", "bench_peak_memory")
        for _ in range(3):
            result = run([exe, path])
            if result.returncode == 0:
                ours.append(int(result.stdout.split()[0]) / size)
            result = run([PYTHON, "-c", PEAK_PYTHON, path])
            if result.returncode == 0:
                python.append(int(result.stdout) / size)
            if shutil.which("base64"):
                result = run([PYTHON, "-c", PEAK_CHILD, "base64", path])
                if result.returncode == 0:
                    coreutils.append(int(result.stdout) / size)
        median = lambda values: statistics.median(values) if values else None
        row("peak memory, 50 MiB attachment", "B/B", median(ours), "python base64.encodebytes", median(python),
            "median of 3")
        row("peak memory, 50 MiB attachment", "B/B", median(ours), "coreutils base64 (whole RSS)",
            median(coreutils), "median of 3")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def show(value, unit):
    if value is None:
        return "-"
    if unit == "B/B":
        return "%.2f" % value
    return "%.3f" % value if value < 10 else "%.1f" % value


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    for step in (whole_send_in_process, whole_send_as_process, md5, encoders, peak_memory):
        step(build)

    print("Quillo benchmark report (release build; ours and each peer measured in this run)")
    print("ratio: above 1 means ours is better (faster, or less memory); B/B = bytes per input byte")
    header = ("figure", "unit", "ours", "peer", "peer's", "ratio", "statistic")
    widths = (38, 4, 8, 28, 8, 5, 11)
    line = "  ".join("%-*s" % (w, h) for w, h in zip(widths, header))
    print(line)
    print("-" * len(line))
    for figure, unit, ours, peer, theirs, stat in rows:
        if theirs is None and "not installed" not in peer:
            peer += " (not installed)" if shutil.which(peer.split()[0]) is None else " (failed)"
        ratio = "-"
        if ours and theirs:
            ratio = "%.2f" % (ours / theirs if HIGHER_IS_BETTER[unit] else theirs / ours)
        cells = (figure, unit, show(ours, unit), peer, show(theirs, unit), ratio, stat)
        print("  ".join("%-*s" % (w, c) for w, c in zip(widths, cells)))
    for note in notes:
        print("note: " + note)
    return 1 if notes else 0


if __name__ == "__main__":
    sys.exit(main())
