#!/usr/bin/python3
"""Decodes a stored message with Python's email package, independently of the sender.

Usage: decode_leaves.py MESSAGE_FILE
Prints one line per non-multipart part: its content type, a tab and the hex of its decoded
payload. Prints "defect ..." lines for anything the parser found wrong and exits 1 then.
"""
import email
import email.policy
import sys

with open(sys.argv[1], "rb") as f:
    message = email.message_from_bytes(f.read(), policy=email.policy.default)
status = 0
for part in message.walk():
    for defect in part.defects:
        print("defect", part.get_content_type(), repr(defect))
        status = 1
    if not part.is_multipart():
        print(part.get_content_type() + "\t" + part.get_payload(decode=True).hex())
sys.exit(status)
