#!/usr/bin/python3
"""An aiosmtpd server on 127.0.0.1 that refuses every recipient with 550, for the failure report.

Usage: refusing_server.py PORT — prints "ready PORT" once listening; stops at end of stdin.
"""
import asyncio
import sys
import threading

from aiosmtpd.smtp import SMTP


class Refuser:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        return "550 5.1.1 No such user here"


def main():
    port = int(sys.argv[1])
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(loop.create_server(
        lambda: SMTP(Refuser(), hostname="quillo-refuser", loop=loop), host="127.0.0.1", port=port))
    stop = loop.create_future()

    def watch_stdin():
        while sys.stdin.buffer.read(4096):
            pass
        loop.call_soon_threadsafe(lambda: stop.done() or stop.set_result(None))

    threading.Thread(target=watch_stdin, daemon=True).start()
    print("ready", port, flush=True)
    loop.run_until_complete(stop)
    server.close()
    loop.run_until_complete(server.wait_closed())
    return 0


if __name__ == "__main__":
    sys.exit(main())
