"""OAuth 2.0 token endpoint for the end-to-end tests, over HTTPS.

Listens on 127.0.0.1 at an ephemeral port and prints "PORT <n>" once ready.
Answers every POST as a token endpoint (RFC 6749, section 5) with the
refresh-token and client-credentials grants, as Microsoft's does: a wrong
secret gets invalid_client with an AADSTS7000215 text. Files in --dir:
  requests.log  one line per request: "grant=<g> scope=<s> secret=<yes|no>
                refresh=<generation>" (no secrets: the refresh token is
                named by its generation, 0 for the first one)
  issued        "access <token>" and "refresh <token>" per token handed out
                (the SMTP test server accepts the access tokens)
Exits when its standard input closes or after --lifetime seconds.
"""

import argparse
import json
import os
import secrets
import ssl
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--client-id", required=True)
    parser.add_argument("--client-secret", default="")
    parser.add_argument("--refresh-token", default="", help="the first valid refresh token")
    parser.add_argument("--rotate", action="store_true",
                        help="each refresh token works once and is replaced")
    parser.add_argument("--expires-in", type=int, default=3600)
    parser.add_argument("--lifetime", type=float, default=120.0)
    return parser.parse_args()


class Endpoint:
    def __init__(self, options):
        self.options = options
        self.lock = threading.Lock()
        # refresh token -> its generation
        self.refresh = {options.refresh_token: 0} if options.refresh_token else {}
        self.generation = 0

    def append(self, name, line):
        with open(os.path.join(self.options.dir, name), "a", encoding="utf-8") as log:
            log.write(line + "\n")

    def answer(self, form):
        grant = form.get("grant_type", "")
        secret = form.get("client_secret")
        used = self.refresh.get(form.get("refresh_token"), "none")
        self.append("requests.log", "grant=%s scope=%s secret=%s refresh=%s" % (
            grant, form.get("scope", ""), "yes" if secret is not None else "no", used))
        if form.get("client_id") != self.options.client_id:
            return 400, {"error": "unauthorized_client",
                         "error_description": "AADSTS700016: Application not found."}
        if secret is not None and secret != self.options.client_secret:
            return 401, {
                "error": "invalid_client",
                "error_description":
                    "AADSTS7000215: Invalid client secret provided. Ensure the secret being sent "
                    "in the request is the client secret value, not the client secret ID, for a "
                    "secret added to app '%s'.\r\nTrace ID: 8d1e2c41-5f6a-4b7c-9d0e-1f2a3b4c5d6e"
                    "\r\nCorrelation ID: 0a1b2c3d-4e5f-6789-abcd-ef0123456789\r\n"
                    "Timestamp: 2026-12-09 10:00:00Z" % self.options.client_id,
                "error_codes": [7000215]}
        body = {"token_type": "Bearer", "expires_in": self.options.expires_in,
                "scope": form.get("scope", "")}
        if grant == "client_credentials":
            if secret is None:
                return 400, {"error": "invalid_client", "error_description": "secret needed"}
        elif grant == "refresh_token":
            if used == "none":
                return 400, {"error": "invalid_grant",
                             "error_description": "AADSTS70000: The provided grant has expired."}
            if self.options.rotate:
                del self.refresh[form["refresh_token"]]
                self.generation += 1
                new = "rt-%s-%d" % (secrets.token_hex(12), self.generation)
                self.refresh[new] = self.generation
                self.append("issued", "refresh " + new)
                body["refresh_token"] = new
        else:
            return 400, {"error": "unsupported_grant_type"}
        token = "at-" + secrets.token_urlsafe(24)
        self.append("issued", "access " + token)
        body["access_token"] = token
        return 200, body


def make_handler(endpoint):
    class Handler(BaseHTTPRequestHandler):
        def do_POST(self):
            length = int(self.headers.get("Content-Length", "0"))
            raw = self.rfile.read(length).decode("utf-8", "replace")
            form = dict(urllib.parse.parse_qsl(raw, keep_blank_values=True))
            with endpoint.lock:
                status, body = endpoint.answer(form)
            data = json.dumps(body).encode("utf-8")
            self.send_response(status)
            self.send_header("Content-Type", "application/json; charset=utf-8")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def log_message(self, *args):
            pass
    return Handler


def main():
    options = parse_arguments()
    server = ThreadingHTTPServer(("127.0.0.1", 0), make_handler(Endpoint(options)))
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(options.cert, options.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    sys.stdout.write("PORT %d\n" % server.server_address[1])
    sys.stdout.flush()

    done = threading.Event()

    def wait_for_stdin():
        while sys.stdin.buffer.read(4096):
            pass
        done.set()
    threading.Thread(target=wait_for_stdin, daemon=True).start()
    done.wait(options.lifetime)
    server.shutdown()


if __name__ == "__main__":
    main()
