#!/usr/bin/python3
"""A real SMTP server for tests: aiosmtpd on 127.0.0.1, storing every message it accepts.

Usage: smtp_sink.py OUTDIR [--port N]

Listens on 127.0.0.1 (port 0 picks a free one), prints "ready PORT" on stdout once it
accepts connections, and for the n-th message accepted writes into OUTDIR:
  n.eml  the message data exactly as received (after the transparency dots are removed)
  n.env  the envelope: "from <address>" then one "rcpt <address>" line per recipient
n.env is renamed into place last, so a reader that sees it sees a complete message.
The server stops on SIGTERM or SIGINT, or when its standard input reaches end of file
(so it never outlives the test that started it).
"""
import asyncio
import os
import signal
import sys
import threading

from aiosmtpd.smtp import SMTP


class Sink:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.outdir, str(self.count))
        with open(base + ".eml.tmp", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".eml.tmp", base + ".eml")
        lines = ["from " + (envelope.mail_from or "")]
        lines += ["rcpt " + r for r in envelope.rcpt_tos]
        with open(base + ".env.tmp", "wb") as f:
            f.write(("\n".join(lines) + "\n").encode("utf-8", "surrogateescape"))
        os.rename(base + ".env.tmp", base + ".env")
        return "250 Message accepted for delivery"


def main():
    args = sys.argv[1:]
    if not args:
        sys.stderr.write(__doc__)
        return 2
    outdir = args[0]
    port = int(args[args.index("--port") + 1]) if "--port" in args else 0

    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    handler = Sink(outdir)
    # A fixed host name spares the name look-up aiosmtpd would make for its greeting.
    server = loop.run_until_complete(loop.create_server(
        lambda: SMTP(handler, hostname="quillo-sink", loop=loop),
        host="127.0.0.1", port=port))
    stop = loop.create_future()

    def request_stop():
        if not stop.done():
            stop.set_result(None)

    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, request_stop)

    def watch_stdin():
        try:
            while sys.stdin.buffer.read(4096):
                pass
        except Exception:
            pass
        loop.call_soon_threadsafe(request_stop)

    threading.Thread(target=watch_stdin, daemon=True).start()

    print("ready", server.sockets[0].getsockname()[1], flush=True)
    loop.run_until_complete(stop)
    server.close()
    loop.run_until_complete(server.wait_closed())
    loop.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
