"""Independent reader for composed messages: parses one with Python's standard email package and
checks it against a list of expectations.

Usage: email_reader.py MESSAGE_FILE EXPECTATIONS_FILE
Each expectation line is KIND<TAB>ARGUMENT<TAB>HEX, HEX being the expected value's bytes:
  header   NAME   decoded header value (UTF-8)
  absent   NAME   -
  addresses NAME  "display|address" pairs joined by ";" (UTF-8)
  date     -      seconds since the epoch, as decimal text; the Date must parse and lie within 2 min
  leaves   -      number of non-multipart parts, as decimal text
  type     INDEX  content type of that leaf
  body     INDEX  decoded payload bytes of that leaf
  filename INDEX  file name of that leaf (UTF-8)
Prints every mismatch and every defect the parser reports; exits 1 if there is any.
"""
import email
import email.policy
import email.utils
import sys


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    with open(sys.argv[2], "rb") as f:
        lines = [line for line in f.read().decode("ascii").split("\n") if line]

    msg = email.message_from_bytes(data, policy=email.policy.default)
    problems = []
    for part in msg.walk():
        for defect in part.defects:
            problems.append("defect in %s: %r" % (part.get_content_type(), defect))
    for name in set(msg.keys()):
        for value in msg.get_all(name):
            for defect in getattr(value, "defects", ()):
                problems.append("defect in header %s: %r" % (name, defect))
    leaves = [part for part in msg.walk() if not part.is_multipart()]

    for line in lines:
        kind, argument, hexvalue = (line.split("\t") + ["", ""])[:3]
        raw = bytes.fromhex(hexvalue)
        text = raw.decode("utf-8", "surrogateescape")
        if kind == "header":
            got = msg.get(argument)
            if got is None or str(got) != text:
                problems.append("header %s: got %r, expected %r" % (argument, got and str(got), text))
        elif kind == "absent":
            if argument in msg:
                problems.append("header %s is present: %r" % (argument, str(msg[argument])))
        elif kind == "addresses":
            expected = [tuple(pair.split("|", 1)) for pair in text.split(";")] if text else []
            header = msg.get(argument)
            got = [(a.display_name, a.addr_spec) for a in header.addresses] if header is not None else None
            if got != expected:
                problems.append("addresses %s: got %r, expected %r" % (argument, got, expected))
        elif kind == "date":
            try:
                when = email.utils.parsedate_to_datetime(str(msg["Date"]))
                if when.tzinfo is None or abs(when.timestamp() - int(text)) > 120:
                    problems.append("date %r is not the moment %s" % (str(msg["Date"]), text))
            except Exception as error:  # any failure to parse is a finding
                problems.append("date %r does not parse: %r" % (msg.get("Date"), error))
        elif kind == "leaves":
            if len(leaves) != int(text):
                problems.append("leaves: got %d, expected %s" % (len(leaves), text))
        elif kind in ("type", "body", "filename"):
            index = int(argument)
            if index >= len(leaves):
                problems.append("%s %d: no such leaf" % (kind, index))
                continue
            leaf = leaves[index]
            if kind == "type" and leaf.get_content_type() != text:
                problems.append("type %d: got %r, expected %r" % (index, leaf.get_content_type(), text))
            if kind == "body":
                got = leaf.get_payload(decode=True)
                if got != raw:
                    problems.append("body %d: got %r, expected %r" % (index, got, raw))
            if kind == "filename" and leaf.get_filename() != text:
                problems.append("filename %d: got %r, expected %r" % (index, leaf.get_filename(), text))
        else:
            problems.append("unknown expectation %r" % line)

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
