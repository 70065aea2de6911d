"""SMTP server for the end-to-end tests, on aiosmtpd.

Listens on 127.0.0.1 at an ephemeral port and prints "PORT <n>" once ready.
Everything it sees goes to files in --dir, so the test reads them without
talking to this process:
  connections.log  one line per accepted TCP connection
  commands.log     "<connection> <VERB>" per command (verbs only: no secrets)
  msg-NNNN.eml     raw bytes of each accepted message
  msg-NNNN.env     "MAIL FROM:<addr>", "MAIL PARAMETERS:<parameters>" when
                   there were any, then one "RCPT TO:<addr>" per line;
                   written last, so its presence means the message is complete
Exits when its standard input closes or after --lifetime seconds.
"""

import argparse
import asyncio
import logging
import os
import re
import ssl
import sys

from base64 import b64decode

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--tls", choices=["none", "implicit", "starttls"], default="none")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--require-starttls", action="store_true")
    parser.add_argument("--auth-user")
    parser.add_argument("--auth-password", default="")
    parser.add_argument("--auth-required", action="store_true")
    parser.add_argument("--login-refusal", help="reply to every password login")
    parser.add_argument("--oauth-user", help="offer XOAUTH2 for this mailbox")
    parser.add_argument("--oauth-tokens", help="file of 'access <token>' lines accepted")
    parser.add_argument("--refuse-rcpt", help="regular expression on the address")
    parser.add_argument("--refuse-code", type=int, default=550)
    parser.add_argument("--refuse-text", default="5.1.1 User unknown")
    parser.add_argument("--idle-timeout", type=float, default=0.0)
    parser.add_argument("--never-greet", action="store_true")
    parser.add_argument("--max-size", type=int, default=0, help="0: no limit, no SIZE")
    parser.add_argument("--smtputf8", action="store_true", help="offer SMTPUTF8")
    parser.add_argument("--lifetime", type=float, default=120.0)
    return parser.parse_args()


class Recorder:
    def __init__(self, directory):
        self.directory = directory
        self.connections = 0
        self.messages = 0

    def append(self, name, line):
        with open(os.path.join(self.directory, name), "a", encoding="utf-8") as log:
            log.write(line + "\n")

    def connection(self):
        self.connections += 1
        self.append("connections.log", str(self.connections))
        return self.connections

    def message(self, mail_from, mail_options, rcpt_tos, content):
        self.messages += 1
        base = os.path.join(self.directory, "msg-%04d" % self.messages)
        with open(base + ".eml", "wb") as raw:
            raw.write(content)
        envelope = ["MAIL FROM:" + mail_from]
        if mail_options:
            envelope.append("MAIL PARAMETERS:" + " ".join(mail_options))
        envelope += ["RCPT TO:" + rcpt for rcpt in rcpt_tos]
        with open(base + ".env.tmp", "w", encoding="utf-8") as env:
            env.write("\n".join(envelope) + "\n")
        os.replace(base + ".env.tmp", base + ".env")


class Handler:
    def __init__(self, options, recorder):
        self.refuse = re.compile(options.refuse_rcpt) if options.refuse_rcpt else None
        self.refusal = "%d %s" % (options.refuse_code, options.refuse_text)
        self.recorder = recorder

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and self.refuse.search(address):
            return self.refusal
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.recorder.message(envelope.mail_from, envelope.mail_options, envelope.rcpt_tos,
                              envelope.original_content)
        return "250 2.0.0 Message accepted"


class OAuthHandler(Handler):
    """Also offers XOAUTH2, accepting the tokens the test endpoint issued."""

    def __init__(self, options, recorder):
        super().__init__(options, recorder)
        self.user = options.oauth_user.encode("utf-8")
        self.tokens_file = options.oauth_tokens

    def issued(self):
        try:
            with open(self.tokens_file, encoding="utf-8") as issued:
                return {line.split()[1].encode() for line in issued if line.startswith("access ")}
        except OSError:
            return set()

    async def auth_OAUTHBEARER(self, server, args):
        # Offered as Gmail does, so that a client must choose XOAUTH2 itself.
        return AuthResult(success=False, handled=False, message="535 5.7.8 Not this one")

    async def auth_XOAUTH2(self, server, args):
        if len(args) == 1:
            blob = await server.challenge_auth("")
            if blob is MISSING:
                return AuthResult(success=False)
        else:
            blob = b64decode(args[1])
        fields = blob.split(b"\x01")
        user = fields[0][5:] if fields[0].startswith(b"user=") else None
        token = next((f[12:] for f in fields if f.startswith(b"auth=Bearer ")), None)
        if user == self.user and token in self.issued():
            return AuthResult(success=True, auth_data=user)
        # As Gmail does: an error challenge, answered by the client, then 535.
        await server.challenge_auth('{"status":"401","schemes":"bearer"}')
        return AuthResult(success=False, handled=False,
                          message="535 5.7.8 Username and Password not accepted")


def make_authenticator(user, password, refusal):
    def authenticate(server, session, envelope, mechanism, auth_data):
        good = (not refusal and isinstance(auth_data, LoginPassword)
                and auth_data.login == user.encode("utf-8")
                and auth_data.password == password.encode("utf-8"))
        # handled=False: aiosmtpd then answers 535 itself, or the refusal.
        return AuthResult(success=good, handled=False, message=refusal)
    return authenticate


class RecordingSMTP(SMTP):
    """Counts connections and logs each command's verb."""

    def __init__(self, recorder, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.recorder = recorder
        self.connection_number = 0
        for verb, method in list(self._smtp_methods.items()):
            self._smtp_methods[verb] = self._logged(verb, method)

    def _logged(self, verb, method):
        async def logged(arg):
            self.recorder.append("commands.log", "%d %s" % (self.connection_number, verb))
            return await method(arg)
        return logged

    def connection_made(self, transport):
        if self.connection_number == 0:  # not again after STARTTLS
            self.connection_number = self.recorder.connection()
        super().connection_made(transport)


class SilentProtocol(asyncio.Protocol):
    """Accepts and never says a word."""

    def __init__(self, recorder):
        self.recorder = recorder

    def connection_made(self, transport):
        self.transport = transport
        self.recorder.connection()


def tls_context(options):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(options.cert, options.key)
    return context


async def serve(options):
    loop = asyncio.get_running_loop()
    recorder = Recorder(options.dir)
    stop = loop.create_future()

    def finish():
        if not stop.done():
            stop.set_result(None)

    if options.never_greet:
        def factory():
            return SilentProtocol(recorder)
        server_ssl = None
    else:
        handler = (OAuthHandler if options.oauth_user else Handler)(options, recorder)
        smtp_kwargs = dict(
            data_size_limit=options.max_size or None,
            hostname="test.smtp.local",
            require_starttls=options.require_starttls,
            auth_required=options.auth_required,
            auth_require_tls=False,
            enable_SMTPUTF8=options.smtputf8,
            loop=loop,
        )
        if options.idle_timeout > 0:
            smtp_kwargs["timeout"] = options.idle_timeout
        if options.tls == "starttls":
            smtp_kwargs["tls_context"] = tls_context(options)
        if options.auth_user is not None or options.oauth_user:
            smtp_kwargs["authenticator"] = make_authenticator(options.auth_user or "",
                                                              options.auth_password,
                                                              options.login_refusal)

        def factory():
            return RecordingSMTP(recorder, handler, **smtp_kwargs)
        server_ssl = tls_context(options) if options.tls == "implicit" else None

    server = await loop.create_server(factory, host="127.0.0.1", port=0, ssl=server_ssl)
    port = server.sockets[0].getsockname()[1]

    def on_stdin():
        if not os.read(sys.stdin.fileno(), 4096):
            loop.remove_reader(sys.stdin.fileno())
            finish()

    loop.add_reader(sys.stdin.fileno(), on_stdin)
    loop.call_later(options.lifetime, finish)
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    await stop
    server.close()


def main():
    logging.disable(logging.CRITICAL)
    options = parse_arguments()
    asyncio.run(serve(options))


if __name__ == "__main__":
    main()
