#!/usr/bin/python3
"""The peer of the SMTP benchmarks: Python's smtplib doing the same work on loopback.

Usage: smtplib_peer.py PORT N conversation|send
Prints the milliseconds of each of N runs, one a line, each timed from connect to the reply
to QUIT.
"""
import smtplib
import sys
import time

port, count, mode = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
body = (b"From: me@example.org\r\nTo: 5551234@sms.example.net\r\nSubject: Benchmark\r\n"
        b"X-Mailer: peer\r\n\r\nRunning late, see you at the station at 6.\r\n")
times = []
for _ in range(count):
    start = time.perf_counter()
    client = smtplib.SMTP("127.0.0.1", port, local_hostname="bench")
    client.helo("bench")
    if mode == "send":
        client.sendmail("me@example.org", ["5551234@sms.example.net", "me@example.org"], body)
    client.quit()
    times.append((time.perf_counter() - start) * 1000.0)
print("\n".join("%.4f" % t for t in times))
