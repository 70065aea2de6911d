"""Local SMTP server for scripts/demo, on aiosmtpd.

Listens on 127.0.0.1 at an ephemeral port, offers STARTTLS with the given
certificate and LOGIN/PLAIN with one account, and prints "PORT <n>" once
ready. It writes into --dir:
  connections.log  one line per TCP connection
  commands.log     "<connection> <VERB>" per command (verbs only, no secrets)
  message.eml      raw bytes of the last accepted message
  envelope.txt     "MAIL FROM:<addr>" then "RCPT TO:<addr>" lines
Stops on SIGTERM or after --lifetime seconds.
"""

import argparse
import asyncio
import logging
import os
import signal
import ssl
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Recorder:
    def __init__(self, directory):
        self.directory = directory
        self.connections = 0

    def append(self, name, line):
        with open(os.path.join(self.directory, name), "a", encoding="utf-8") as log:
            log.write(line + "\n")


class Handler:
    def __init__(self, recorder):
        self.recorder = recorder

    async def handle_DATA(self, server, session, envelope):
        directory = self.recorder.directory
        with open(os.path.join(directory, "message.eml"), "wb") as raw:
            raw.write(envelope.original_content)
        lines = ["MAIL FROM:" + envelope.mail_from]
        lines += ["RCPT TO:" + rcpt for rcpt in envelope.rcpt_tos]
        with open(os.path.join(directory, "envelope.txt"), "w", encoding="utf-8") as env:
            env.write("\n".join(lines) + "\n")
        return "250 2.0.0 Message accepted"


class DemoSMTP(SMTP):
    def __init__(self, recorder, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.recorder = recorder
        self.number = 0
        for verb, method in list(self._smtp_methods.items()):
            self._smtp_methods[verb] = self._logged(verb, method)

    def _logged(self, verb, method):
        async def logged(arg):
            self.recorder.append("commands.log", "%d %s" % (self.number, verb))
            return await method(arg)
        return logged

    def connection_made(self, transport):
        if self.number == 0:  # STARTTLS calls this again on the same connection
            self.recorder.connections += 1
            self.number = self.recorder.connections
            self.recorder.append("connections.log", str(self.number))
        super().connection_made(transport)


async def serve(options):
    loop = asyncio.get_running_loop()
    recorder = Recorder(options.dir)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(options.cert, options.key)

    def authenticate(server, session, envelope, mechanism, auth_data):
        good = (isinstance(auth_data, LoginPassword)
                and auth_data.login == options.user.encode()
                and auth_data.password == options.password.encode())
        return AuthResult(success=good, handled=False)

    def factory():
        return DemoSMTP(recorder, Handler(recorder), hostname="demo.smtp.local",
                        tls_context=context, require_starttls=True,
                        authenticator=authenticate, auth_required=True, loop=loop)

    server = await loop.create_server(factory, host="127.0.0.1", port=0)
    stop = loop.create_future()
    for signum in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(signum, lambda: stop.done() or stop.set_result(None))
    loop.call_later(options.lifetime, lambda: stop.done() or stop.set_result(None))
    sys.stdout.write("PORT %d\n" % server.sockets[0].getsockname()[1])
    sys.stdout.flush()
    await stop
    server.close()


def main():
    logging.disable(logging.CRITICAL)
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--lifetime", type=float, default=300.0)
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
