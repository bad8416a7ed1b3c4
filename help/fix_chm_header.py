#!/usr/bin/env python3
"""chmcmd writes the header's second GUID (the directory GUID, {7C01FD11-7BAA-11D0-9E0C-00A0C922E6EC})
as a copy of the first ({7C01FD10-...}); readers that check the header, such as libmspack, then refuse
the file. This puts the right GUID in place and leaves a correct header as it is."""
import sys

FIRST = bytes.fromhex('10fd017caa7bd0119e0c00a0c922e6ec')
SECOND = bytes.fromhex('11fd017caa7bd0119e0c00a0c922e6ec')

path = sys.argv[1]
with open(path, 'r+b') as f:
    header = f.read(0x38)
    if header[:4] != b'ITSF' or len(header) < 0x38:
        sys.exit(f'{path}: not a compiled help file')
    if header[0x28:0x38] == FIRST:
        f.seek(0x28)
        f.write(SECOND)
