"""Runs the Windows program under Wine for the end-to-end tests and the
pictures: a local SMTP server (smtp_server.py), the program started as a
host starts it, the boxes it showed, the dialog's picture.

The caller provides the Wine prefix (WINEPREFIX) and the X display
(DISPLAY); scripts/test-windows sets both up.

As a program: windows_run.py picture DPI OUT.png takes the dialog's picture
after a successful send at that many dots per inch."""

import os
import random
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
WINE = os.environ.get("VELLUMO_WINE", "/usr/lib/wine/wine64")
PROGRAM = os.environ.get("VELLUMO_WINDOWS_PROGRAM",
                         os.path.join(ROOT, "build-windows", "vellumo-unattended.exe"))


def windows_path(path):
    """The Windows name of a local path, through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class SmtpServer:
    """smtp_server.py on 127.0.0.1 at an ephemeral port, for one test."""

    def __init__(self, *arguments):
        self.directory = tempfile.mkdtemp(prefix="vellumo-smtp-")
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "smtp_server.py"), "--dir", self.directory,
             *arguments], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line.startswith("PORT "):
            self.stop()
            raise RuntimeError("the SMTP server did not start")
        self.port = int(line.split()[1])

    def messages(self):
        """Paths of the messages completely received, in order."""
        names = sorted(n for n in os.listdir(self.directory) if n.endswith(".env"))
        return [os.path.join(self.directory, n[:-4] + ".eml") for n in names]

    def commands(self):
        path = os.path.join(self.directory, "commands.log")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as log:
            return [line.split()[1] for line in log]

    def stop(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            self.process.wait(timeout=10)
        self.process.stdout.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def set_dpi(dpi):
    """Wine's one DPI setting, read by each program as it starts."""
    subprocess.run([WINE, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Run:
    """One run of the program: exit code, the boxes it showed as (caption,
    text) pairs, the dialog's picture as a BMP file when asked."""

    def __init__(self, ini_path, answer="no", picture=None, close_after_ms=0, timeout=120):
        work = tempfile.mkdtemp(prefix="vellumo-run-")
        log = os.path.join(work, "boxes.log")
        environment = dict(os.environ, LANG="C.UTF-8", VELLUMO_AUTO_ANSWER=answer,
                           VELLUMO_BOX_LOG=windows_path(log))
        if picture:
            environment["VELLUMO_SCREENSHOT"] = windows_path(picture)
        if close_after_ms:
            environment["VELLUMO_CLOSE_AFTER"] = str(close_after_ms)
        # The path goes as the host gives it: one argument, accents and all.
        begin = time.monotonic()
        self.exit_code = subprocess.run([WINE, PROGRAM, windows_path(ini_path)],
                                        env=environment, timeout=timeout,
                                        stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL).returncode
        self.seconds = time.monotonic() - begin
        self.boxes = []
        if os.path.exists(log):
            with open(log, "rb") as boxes:
                for record in boxes.read().decode("utf-8").split("\x1e")[:-1]:
                    caption, _, text = record.partition("\x1f")
                    self.boxes.append((caption, text.replace("\r\n", "\n")))


def bmp_to_png(bmp_path, png_path):
    """A 32-bit bottom-up BMP (as the program saves it) to an RGB PNG."""
    with open(bmp_path, "rb") as bmp:
        data = bmp.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 32:
        raise ValueError("expected a 32-bit BMP")
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        start = offset + source * width * 4
        pixels = data[start:start + width * 4]
        row = bytearray(b"\0")
        for x in range(width):
            b, g, r = pixels[4 * x:4 * x + 3]
            row += bytes((r, g, b))
        rows.append(bytes(row))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xffffffff))

    with open(png_path, "wb") as png:
        png.write(b"\x89PNG\r\n\x1a\n"
                  + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def send_ini(port, folder, document_name="Commande n°42 été €.pdf"):
    """A mode-2 send of a small random document, written in `folder`; the
    INI file is UTF-8. Returns (ini path, document path)."""
    document = os.path.join(folder, document_name)
    with open(document, "wb") as out:
        out.write(random.Random(42).randbytes(50_000))
    ini = os.path.join(folder, "commande été.ini")
    with open(ini, "w", encoding="utf-8", newline="\r\n") as out:
        out.write("[Email]\nEnvoiMode=2\nFilePath=%s\nFileName=%s\n"
                  "AdresseEnvoi=Service Ventes Été <ventes@exemple.fr>\n"
                  "EnvoyerA=Client Éloïse <client@exemple.com>\n"
                  "Objet=Votre commande n°42 : 1 250,00 € réglés\n"
                  "[EmailCorps]\nL1=Bonjour Éloïse,\nL2=Total = 1 250,00 €\n"
                  "[ConfigMail]\nSmtpAdresse=127.0.0.1\nSmtpPort=%d\n"
                  % (windows_path(document), document_name, port))
    return ini, document


def take_picture(dpi, out):
    set_dpi(dpi)
    try:
        with SmtpServer() as server, tempfile.TemporaryDirectory() as folder:
            ini, _ = send_ini(server.port, folder)
            bmp = os.path.join(folder, "dialog.bmp")
            Run(ini, picture=bmp)
            if not os.path.exists(bmp):
                raise RuntimeError("the run ended without a picture of the dialog")
            bmp_to_png(bmp, out)
    finally:
        set_dpi(96)


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] != "picture":
        sys.exit("usage: windows_run.py picture DPI OUT.png")
    take_picture(int(sys.argv[2]), sys.argv[3])
