"""Fast SMTP sink for the benchmarks: answers every command with success and
throws message bytes away, so the client, not the server, sets the pace.

Prints "PORT <n>" once listening. Per finished connection it appends one line
to --log:  conn=<n> turns=<t> commands=<c> messages=<m> bytes=<b> accepted_ms=<a>
data_ms=<d>
"accepted_ms" runs from the TCP accept to the moment the last message's
"250" went out: the session as the server saw it, without QUIT.
"turns" counts the server replies the client waited for (it spoke again only
after the reply was out): the SMTP round trips, greeting included.
"data_ms" runs from the DATA command's arrival to the arrival of the last
message's final dot: the message transfer as the server saw it.
--reply-delay holds every reply back, standing in for a slow link.
--silent accepts connections and never answers, not even the greeting; it
prints "CONNECTED <n>" when a client connects.
--save writes the first message's bytes to a file.
No PIPELINING, SIZE or AUTH is offered, so every client talks the same way.
"""

import argparse
import asyncio
import os
import signal
import sys

END = b"\r\n.\r\n"


class Session(asyncio.Protocol):
    counter = 0

    def __init__(self, options):
        self.options = options
        self.buffer = b""
        self.in_data = False
        self.tail = b""
        self.replied = False
        self.turns = 0
        self.commands = 0
        self.messages = 0
        self.bytes = 0
        self.pending = 0
        self.accepted_ms = 0.0
        self.data_started = 0.0
        self.data_ms = 0.0

    def connection_made(self, transport):
        Session.counter += 1
        self.number = Session.counter
        self.transport = transport
        self.started = asyncio.get_running_loop().time()
        self.save = None
        if self.options.silent:
            sys.stdout.write("CONNECTED %d\n" % self.number)
            sys.stdout.flush()
            return
        self.reply(b"220 sink ESMTP\r\n")

    def reply(self, text, close=False, accepted=False):
        def send():
            self.pending -= 1
            if self.transport.is_closing():
                return
            self.transport.write(text)
            self.replied = True
            if accepted:
                self.accepted_ms = (asyncio.get_running_loop().time() - self.started) * 1000
            if close:
                self.transport.close()
        self.pending += 1
        if self.options.reply_delay > 0:
            asyncio.get_running_loop().call_later(self.options.reply_delay, send)
        else:
            send()

    def data_received(self, data):
        if self.options.silent:
            return
        if self.replied and self.pending == 0:
            self.turns += 1
        self.replied = False
        while data:
            if self.in_data:
                data = self.take_message(data)
            else:
                self.buffer += data
                data = b""
                while not self.in_data and b"\r\n" in self.buffer:
                    line, self.buffer = self.buffer.split(b"\r\n", 1)
                    self.command(line)
                if self.in_data and self.buffer:
                    data, self.buffer = self.buffer, b""

    def take_message(self, data):
        window = self.tail + data
        end = window.find(END)
        if end < 0:
            self.bytes += len(data)
            self.write_saved(data)
            self.tail = window[-4:]
            return b""
        used = end + len(END) - len(self.tail)
        self.bytes += used
        self.write_saved(data[:used])
        self.in_data = False
        self.tail = b""
        self.messages += 1
        self.data_ms = (asyncio.get_running_loop().time() - self.data_started) * 1000
        if self.save:
            self.save.close()
            self.save = None
            self.options.save = None
        self.reply(b"250 2.0.0 Ok: discarded\r\n", accepted=True)
        return data[used:]

    def write_saved(self, data):
        if self.save:
            self.save.write(data)

    def command(self, line):
        self.commands += 1
        verb = line[:4].upper()
        if verb in (b"EHLO",):
            self.reply(b"250-sink\r\n250-8BITMIME\r\n250 SMTPUTF8\r\n")
        elif verb == b"DATA":
            self.in_data = True
            self.data_started = asyncio.get_running_loop().time()
            self.tail = b"\r\n"  # the end mark may follow an empty body
            if self.options.save:
                self.save = open(self.options.save, "wb")
            self.reply(b"354 End data with <CR><LF>.<CR><LF>\r\n")
        elif verb == b"QUIT":
            self.reply(b"221 2.0.0 Bye\r\n", close=True)
        elif verb in (b"HELO", b"MAIL", b"RCPT", b"RSET", b"NOOP"):
            self.reply(b"250 2.0.0 Ok\r\n")
        else:
            self.reply(b"502 5.5.2 Not implemented\r\n")

    def connection_lost(self, exc):
        if self.save:
            self.save.close()
        with open(self.options.log, "a") as log:
            log.write("conn=%d turns=%d commands=%d messages=%d bytes=%d accepted_ms=%.1f"
                      " data_ms=%.1f\n" % (
                          self.number, self.turns, self.commands, self.messages, self.bytes,
                          self.accepted_ms, self.data_ms))


async def serve(options):
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: Session(options), host=options.host, port=0)
    stop = loop.create_future()
    for signum in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(signum, lambda: stop.done() or stop.set_result(None))
    sys.stdout.write("PORT %d\n" % server.sockets[0].getsockname()[1])
    sys.stdout.flush()
    await stop
    server.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--log", required=True)
    parser.add_argument("--reply-delay", type=float, default=0.0)
    parser.add_argument("--save")
    parser.add_argument("--silent", action="store_true")
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
