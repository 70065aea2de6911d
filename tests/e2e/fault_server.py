#!/usr/bin/python3
"""A scripted SMTP server that misbehaves on purpose.

One case (a JSON object, given as a file path or as the JSON text itself)
says what the server does at each step of the session. Everything not named
in the case behaves like a plain, well-mannered server.

Per step an action (all fields optional):
  {"delay": 1.5,                 wait before acting
   "code": 550, "text": "..." or ["line 1", "line 2"],   the reply
   "text_hex": "c3a9ff01",       raw bytes appended to the last text line
   "pad": 10000,                 that many "x" appended to the last line
   "raw": "...", "raw_hex": "...", bytes sent verbatim instead of a reply
   "do": "reply" | "close" | "reset" | "silence",
   "then": "close"}              close right after the reply
Steps: greeting, ehlo, helo, starttls, auth, noop, rset, mail, rcpt, data,
end_of_data, quit, other; "rcpt_by_index" ({"1": action}, counted from 0 in
each transaction) and "rcpt_by_address" ({"b@x": action}) refine "rcpt".
"tls": "ok" | "garbage" (nonsense after the client's hello) | "close" |
"silence" is what follows a 220 to STARTTLS (a "raw" reply starting with
220 counts as one). Server settings: "cert"/"key" (PEM files), "implicit_tls",
"offer_starttls" (default: when a certificate is given), "auth_mechanisms"
(default ["PLAIN", "LOGIN"]; [] offers none), "size" (advertised SIZE,
enforced at MAIL and at the end of data), "extensions" (more EHLO lines), "ehlo_filler_lines" (that many 70-byte
made-up extensions before the AUTH line),
"idle_drop_after" (seconds without a command before the server closes),
"idle_drop_reply" (an action sent before that close), "idle_drop_connections"
(how many of the first connections it applies to; default all),
"idle_drop_armed_by" (the command whose reply starts the idle watch, e.g.
"NOOP"; default: watched from the start),
"connections" (a list of per-connection overrides, merged over the case),
"data_change" ({"after_bytes": n, "file": path, "to": "truncate" | "grow" |
"rewrite"}: once that many bytes of message data have arrived, the file is
cut to nothing, grown by 1 MiB, or its last 4 KiB overwritten in place: the
client's document changing under its feet),
"data_rate" (bytes per second at which message data is read, with a small
receive buffer: a slow link),
"transcript" (where to write the JSON transcript), "lifetime" (seconds).

The server listens on 127.0.0.1 at an ephemeral port, prints "PORT <n>",
and ends when its standard input closes or its lifetime is over. The
transcript records, per connection, the commands received (AUTH
continuation lines excluded; "<tls>" where TLS began), the login
credentials, the messages (base64 of the bytes after dot-unstuffing) and
who closed the connection.
"""

import asyncio
import base64
import json
import os
import socket
import ssl
import sys

DEFAULTS = {
    "greeting": (220, ["fault.test ESMTP scripted"]),
    "helo": (250, ["fault.test"]),
    "starttls": (220, ["2.0.0 Ready to start TLS"]),
    "auth": (235, ["2.7.0 Authentication successful"]),
    "noop": (250, ["2.0.0 Ok"]),
    "rset": (250, ["2.0.0 Ok"]),
    "mail": (250, ["2.1.0 Ok"]),
    "rcpt": (250, ["2.1.5 Ok"]),
    "data": (354, ["End data with <CR><LF>.<CR><LF>"]),
    "end_of_data": (250, ["2.0.0 Ok: queued as FAULT1"]),
    "quit": (221, ["2.0.0 Bye"]),
    "other": (502, ["5.5.2 Error: command not recognized"]),
}

MAX_LINE = 1 << 20


class Closed(Exception):
    """The connection is gone or was closed by the script."""


class Transcript:
    def __init__(self, path):
        self.path = path
        self.connections = []

    def save(self):
        if not self.path:
            return
        temporary = self.path + ".tmp"
        with open(temporary, "w", encoding="utf-8") as out:
            json.dump({"connections": self.connections}, out, indent=1)
        os.replace(temporary, self.path)


def load_case(argument):
    if argument.lstrip().startswith("{"):
        return json.loads(argument)
    with open(argument, encoding="utf-8") as source:
        return json.load(source)


def as_text(raw):
    return raw.decode("utf-8", errors="replace").rstrip("\r\n")


class Session:
    def __init__(self, server, number, reader, writer, tls_now):
        self.server = server
        self.number = number
        self.reader = reader
        self.writer = writer
        self.case = dict(server.case)
        overrides = server.case.get("connections") or []
        if number <= len(overrides):
            self.case.update(overrides[number - 1])
        self.tls = tls_now
        self.record = {"number": number, "commands": [], "auth": [], "messages": [],
                       "closed_by": None}
        if tls_now:
            self.record["commands"].append("<tls>")
        server.transcript.connections.append(self.record)
        server.transcript.save()
        self.transaction_rcpts = []
        self.mail_from = None
        self.mail_size = None
        self.ehlo_done = False

    # -- output --------------------------------------------------------
    async def write(self, data):
        if self.writer.is_closing():
            raise Closed()
        self.writer.write(data)
        try:
            await self.writer.drain()
        except (ConnectionError, OSError) as error:
            raise Closed() from error

    async def close(self, who="server", reset=False):
        if self.record["closed_by"] is None:
            self.record["closed_by"] = who
            self.server.transcript.save()
        if reset:
            sock = self.writer.get_extra_info("socket")
            if sock is not None:
                import socket
                import struct
                try:
                    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                except OSError:
                    pass
        self.writer.close()
        raise Closed()

    async def act(self, step, action=None, default=None):
        """Does what the case says for `step`; returns the code sent."""
        if action is None:
            action = self.case.get(step) or {}
        code, lines = default if default is not None else DEFAULTS[step]
        if action.get("delay"):
            await asyncio.sleep(float(action["delay"]))
        what = action.get("do", "reply")
        if what == "close":
            await self.close()
        if what == "reset":
            await self.close(reset=True)
        if what == "silence":
            await self.swallow_forever()
        if "raw" in action or "raw_hex" in action:
            raw = action["raw"].encode("utf-8") if "raw" in action else b""
            raw += bytes.fromhex(action.get("raw_hex", ""))
            await self.write(raw)
            sent = int(raw[:3]) if raw[:3].isdigit() else 0
        else:
            code = int(action.get("code", code))
            if "text" in action:
                text = action["text"]
                lines = text if isinstance(text, list) else [text]
            encoded = [line.encode("utf-8") for line in lines] or [b""]
            encoded[-1] += bytes.fromhex(action.get("text_hex", ""))
            encoded[-1] += b"x" * int(action.get("pad", 0))
            reply = b""
            for i, line in enumerate(encoded):
                separator = b" " if i == len(encoded) - 1 else b"-"
                reply += str(code).encode() + separator + line + b"\r\n"
            await self.write(reply)
            sent = code
        if action.get("then") == "close":
            await self.close()
        return sent

    async def swallow_forever(self):
        """Never answers again; keeps reading until the client goes."""
        while True:
            line = await self.reader.readline()
            if not line:
                await self.close("client")
            self.record["commands"].append(as_text(line))
            self.server.transcript.save()

    # -- input ---------------------------------------------------------
    async def read_line(self):
        drop_after = self.case.get("idle_drop_after")
        limit = self.case.get("idle_drop_connections")
        armed_by = self.case.get("idle_drop_armed_by")
        armed = armed_by is None or any(
            command.upper().startswith(armed_by.upper()) for command in self.record["commands"])
        if drop_after is not None and armed and (limit is None or self.number <= int(limit)):
            try:
                line = await asyncio.wait_for(self.reader.readline(), float(drop_after))
            except asyncio.TimeoutError:
                if self.case.get("idle_drop_reply"):
                    await self.act("idle", self.case["idle_drop_reply"], (421, ["4.4.2 Idle"]))
                await self.close()
        else:
            line = await self.reader.readline()
        if not line:
            await self.close("client")
        return line

    # -- the session ---------------------------------------------------
    def ehlo_lines(self):
        lines = ["fault.test greets you"]
        lines += self.case.get("extensions", ["8BITMIME", "ENHANCEDSTATUSCODES"])
        for i in range(int(self.case.get("ehlo_filler_lines", 0))):
            lines.append(("X-FILLER-%04d-" % i).ljust(70, "f"))
        if self.case.get("size"):
            lines.append("SIZE %d" % int(self.case["size"]))
        offer_tls = self.case.get("offer_starttls", bool(self.case.get("cert")))
        if offer_tls and not self.tls:
            lines.append("STARTTLS")
        mechanisms = self.case.get("auth_mechanisms", ["PLAIN", "LOGIN"])
        if mechanisms:
            lines.append("AUTH " + " ".join(mechanisms))
        return lines

    async def run(self):
        await self.act("greeting")
        while True:
            raw = await self.read_line()
            line = as_text(raw)
            verb = line.split(" ", 1)[0].upper()
            argument = line[len(verb):].strip()
            self.record["commands"].append(line if verb != "AUTH" else " ".join(
                line.split(" ")[:2]))
            self.server.transcript.save()
            if verb == "EHLO":
                code = await self.act("ehlo", default=(250, self.ehlo_lines()))
                self.ehlo_done = code == 250
            elif verb == "HELO":
                await self.act("helo")
            elif verb == "STARTTLS":
                await self.starttls()
            elif verb == "AUTH":
                await self.auth(argument)
            elif verb == "NOOP":
                await self.act("noop")
            elif verb == "RSET":
                self.mail_from, self.transaction_rcpts = None, []
                await self.act("rset")
            elif verb == "MAIL":
                await self.mail(argument)
            elif verb == "RCPT":
                await self.rcpt(argument)
            elif verb == "DATA":
                await self.data()
            elif verb == "QUIT":
                await self.act("quit")
                await self.close()
            else:
                await self.act("other")

    async def starttls(self):
        code = await self.act("starttls")
        if code != 220:
            return
        how = self.case.get("tls", "ok")
        if how == "close":
            await self.close()
        if how == "silence":
            await self.swallow_forever()
        if how == "garbage":
            # Waits for the client's hello, then answers with nonsense.
            try:
                await asyncio.wait_for(self.reader.read(1), 10)
            except asyncio.TimeoutError:
                pass
            await self.write(b"this is not TLS at all\r\n" * 8)
            await self.close()
        context = self.server.ssl_context()
        try:
            await self.writer.start_tls(context, ssl_handshake_timeout=10)
        except (ssl.SSLError, ConnectionError, OSError, asyncio.TimeoutError) as error:
            self.record["commands"].append("<tls failed: %s>" % type(error).__name__)
            self.server.transcript.save()
            raise Closed() from error
        self.tls = True
        self.ehlo_done = False
        self.record["commands"].append("<tls>")
        self.server.transcript.save()

    async def auth(self, argument):
        parts = argument.split()
        mechanism = parts[0].upper() if parts else ""
        initial = parts[1] if len(parts) > 1 else None
        username = password = None
        try:
            if mechanism == "PLAIN":
                if initial is None:
                    await self.write(b"334 \r\n")
                    initial = as_text(await self.read_line())
                if initial == "*":
                    await self.act("auth", {}, (501, ["5.7.0 Authentication cancelled"]))
                    return
                fields = base64.b64decode(initial).split(b"\0")
                username, password = fields[1].decode("utf-8"), fields[2].decode("utf-8")
            elif mechanism == "LOGIN":
                if initial is None:
                    await self.write(b"334 VXNlcm5hbWU6\r\n")
                    initial = as_text(await self.read_line())
                username = base64.b64decode(initial).decode("utf-8")
                await self.write(b"334 UGFzc3dvcmQ6\r\n")
                password = base64.b64decode(as_text(await self.read_line())).decode("utf-8")
            else:
                await self.act("auth", {}, (504, ["5.5.4 Unrecognized authentication type"]))
                return
        except (ValueError, IndexError, UnicodeDecodeError):
            await self.act("auth", {}, (501, ["5.5.2 Cannot decode response"]))
            return
        self.record["auth"].append({"mechanism": mechanism, "username": username,
                                    "password": password})
        self.server.transcript.save()
        await self.act("auth")

    async def mail(self, argument):
        self.mail_from, self.transaction_rcpts, self.mail_size = None, [], None
        upper = argument.upper()
        address = argument[argument.find("<") + 1:argument.find(">")] if "<" in argument else ""
        for parameter in upper.split()[1:]:
            if parameter.startswith("SIZE="):
                try:
                    self.mail_size = int(parameter[5:])
                except ValueError:
                    pass
        limit = self.case.get("size")
        if "mail" not in self.case and limit and self.mail_size and self.mail_size > int(limit):
            await self.act("mail", {}, (552, ["5.3.4 Message size exceeds fixed limit"]))
            return
        code = await self.act("mail")
        if 200 <= code < 300:
            self.mail_from = address

    async def rcpt(self, argument):
        address = argument[argument.find("<") + 1:argument.find(">")] if "<" in argument else ""
        index = str(len(self.transaction_rcpts))
        action = (self.case.get("rcpt_by_address") or {}).get(address)
        if action is None:
            action = (self.case.get("rcpt_by_index") or {}).get(index)
        if self.mail_from is None and action is None and "rcpt" not in self.case:
            await self.act("rcpt", {}, (503, ["5.5.1 Error: need MAIL command"]))
            return
        code = await self.act("rcpt", action)
        # Refused ones still count, so that indexes follow the client's order.
        self.transaction_rcpts.append((address, 200 <= code < 300))

    async def data(self):
        accepted = [address for address, ok in self.transaction_rcpts if ok]
        if not accepted and "data" not in self.case:
            await self.act("data", {}, (554, ["5.5.1 Error: no valid recipients"]))
            return
        code = await self.act("data")
        if code != 354:
            return
        body = bytearray()
        change = self.case.get("data_change")
        rate = self.case.get("data_rate")
        if rate:
            self.writer.get_extra_info("socket").setsockopt(
                socket.SOL_SOCKET, socket.SO_RCVBUF, 32768)
        unpaced = 0
        while True:
            line = await self.reader.readline()
            if rate:
                unpaced += len(line)
                if unpaced >= 16384:
                    await asyncio.sleep(unpaced / float(rate))
                    unpaced = 0
            if not line:
                self.keep_message(body, complete=False, accepted=False)
                await self.close("client")
            if change and len(body) >= int(change.get("after_bytes", 0)):
                change_file(change["file"], change["to"])
                change = None
            if line in (b".\r\n", b".\n"):
                break
            if line.startswith(b"."):
                line = line[1:]
            body += line
        limit = self.case.get("size")
        if "end_of_data" not in self.case and limit and len(body) > int(limit):
            self.keep_message(body, complete=True, accepted=False)
            await self.act("end_of_data", {}, (552, ["5.3.4 Message size exceeds fixed limit"]))
            return
        self.keep_message(body, complete=True, accepted=None)
        code = await self.act("end_of_data")
        self.record["messages"][-1]["accepted"] = 200 <= code < 300
        self.server.transcript.save()
        self.mail_from, self.transaction_rcpts = None, []

    def keep_message(self, body, complete, accepted):
        self.record["messages"].append({
            "mail_from": self.mail_from,
            "rcpt": [address for address, ok in self.transaction_rcpts if ok],
            "size_parameter": self.mail_size,
            "complete": complete,
            "accepted": accepted,
            "data_b64": base64.b64encode(bytes(body)).decode("ascii"),
        })
        self.server.transcript.save()


def change_file(path, how):
    if how == "truncate":
        os.truncate(path, 0)
    elif how == "grow":
        with open(path, "ab") as out:
            out.write(b"\0" * (1 << 20))
    elif how == "rewrite":
        with open(path, "r+b") as out:
            out.seek(-4096, os.SEEK_END)
            out.write(b"X" * 4096)


class FaultServer:
    def __init__(self, case):
        self.case = case
        self.transcript = Transcript(case.get("transcript"))
        self.count = 0
        self.sessions = set()
        self._context = None

    def ssl_context(self):
        if self._context is None:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(self.case["cert"], self.case["key"])
            self._context = context
        return self._context

    async def handle(self, reader, writer):
        self.count += 1
        session = Session(self, self.count, reader, writer, bool(self.case.get("implicit_tls")))
        task = asyncio.current_task()
        self.sessions.add(task)
        try:
            await session.run()
        except (Closed, ConnectionError, OSError, asyncio.IncompleteReadError,
                asyncio.LimitOverrunError, ValueError):
            pass
        except asyncio.CancelledError:
            pass
        finally:
            if session.record["closed_by"] is None:
                session.record["closed_by"] = "client"
            self.transcript.save()
            writer.close()
            self.sessions.discard(task)

    async def serve(self):
        context = self.ssl_context() if self.case.get("implicit_tls") else None
        server = await asyncio.start_server(self.handle, "127.0.0.1", 0, ssl=context,
                                            limit=MAX_LINE, ssl_handshake_timeout=10
                                            if context else None)
        self.transcript.save()
        port = server.sockets[0].getsockname()[1]
        sys.stdout.write("PORT %d\n" % port)
        sys.stdout.flush()
        loop = asyncio.get_running_loop()
        stdin_closed = loop.create_future()
        loop.add_reader(sys.stdin.fileno(), self._stdin_ready, stdin_closed)
        lifetime = float(self.case.get("lifetime", 60))
        try:
            await asyncio.wait_for(stdin_closed, lifetime)
        except asyncio.TimeoutError:
            pass
        loop.remove_reader(sys.stdin.fileno())
        server.close()
        for task in list(self.sessions):
            task.cancel()
        await asyncio.sleep(0)
        self.transcript.save()

    @staticmethod
    def _stdin_ready(future):
        try:
            data = os.read(sys.stdin.fileno(), 4096)
        except OSError:
            data = b""
        if not data and not future.done():
            future.set_result(None)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: fault_server.py CASE.json|'{...}'\n")
        return 2
    case = load_case(sys.argv[1])
    asyncio.run(FaultServer(case).serve())
    return 0


if __name__ == "__main__":
    sys.exit(main())
