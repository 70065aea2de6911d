"""End-to-end runs of the Windows program under Wine against a local SMTP
server: started as a host starts it, boxes answered by the unattended
hooks, what the server received read back with Python's email package.
Run by scripts/test-windows (Wine prefix and X display ready)."""

import hashlib
import os
import re
import subprocess
import sys
import tempfile
import unittest

from windows_run import HERE, PROGRAM, Run, SmtpServer, send_ini, windows_path

MARKER_CRLF = b"[ExportationMailErreur]\r\nErreur=1\r\n"


def read_mail(path):
    output = subprocess.run([sys.executable, os.path.join(HERE, "read_sent_mail.py"), path],
                            check=True, capture_output=True, text=True).stdout
    mail = {}
    for line in output.splitlines():
        key, _, value = line.partition("=")
        mail[key] = re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r"}.get(m[1], m[1]), value)
    return mail


def sha256(path):
    with open(path, "rb") as source:
        return hashlib.sha256(source.read()).hexdigest()


class WindowsRuns(unittest.TestCase):
    def setUp(self):
        # Accents in every path the program is given.
        self.folder = tempfile.mkdtemp(prefix="vellumo-dossier-été-")

    def test_connection_test_confirmed(self):
        with SmtpServer() as server:
            ini = os.path.join(self.folder, "compte.ini")
            content = b"[Email]\r\nEnvoiMode=3\r\n[ConfigMail]\r\nSmtpAdresse=127.0.0.1\r\n" \
                      b"SmtpPort=%d\r\n" % server.port
            with open(ini, "wb") as out:
                out.write(content)
            run = Run(ini)
            self.assertEqual(run.exit_code, 0)
            self.assertEqual(run.boxes, [("Vellumo", "Connexion réussie !")])
            with open(ini, "rb") as after:
                self.assertEqual(after.read(), content)
            self.assertEqual(server.commands()[-1], "QUIT")

    def test_close_during_the_connection_cancels_it(self):
        # A server that never greets: the client would wait a minute.
        with SmtpServer("--never-greet") as server:
            ini = os.path.join(self.folder, "compte.ini")
            content = b"[Email]\r\nEnvoiMode=3\r\n[ConfigMail]\r\nSmtpAdresse=127.0.0.1\r\n" \
                      b"SmtpPort=%d\r\n" % server.port
            with open(ini, "wb") as out:
                out.write(content)
            run = Run(ini, close_after_ms=2000)
        self.assertEqual(run.boxes,
                         [("Vellumo", "Erreur : test de connexion annulé par l'utilisateur.")])
        self.assertLess(run.seconds, 30)
        with open(ini, "rb") as after:
            self.assertEqual(after.read(), content + MARKER_CRLF)

    def test_send_with_accents_and_euro_arrives_intact(self):
        with SmtpServer() as server:
            ini, document = send_ini(server.port, self.folder)
            with open(ini, "rb") as before:
                content = before.read()
            run = Run(ini)
            self.assertEqual(run.exit_code, 0)
            self.assertEqual(run.boxes, [])
            messages = server.messages()
            self.assertEqual(len(messages), 1)
            mail = read_mail(messages[0])
            self.assertEqual(mail["defects"], "0")
            self.assertEqual(mail["subject"], "Votre commande n°42 : 1 250,00 € réglés")
            self.assertEqual(mail["from"], "Service Ventes Été <ventes@exemple.fr>")
            self.assertEqual(mail["body"], "Bonjour Éloïse,\nTotal = 1 250,00 €")
            self.assertEqual(mail["attachment-name"], "Commande n°42 été €.pdf")
            self.assertEqual(mail["attachment-sha256"], sha256(document))
            # Success leaves the host's file as it was: no marker.
            with open(ini, "rb") as after:
                self.assertEqual(after.read(), content)

    def test_refused_recipient_marks_a_windows_1252_file_and_saves_by_hand(self):
        saved = os.path.join(self.folder, "à envoyer")
        os.mkdir(saved)
        document = os.path.join(self.folder, "Facture n°7 €.pdf")
        with open(document, "wb") as out:
            out.write(os.urandom(30_000))
        with SmtpServer("--refuse-rcpt", "inconnu@") as server:
            # What the host's Windows writes: Windows-1252, CRLF.
            content = ("[Email]\r\nEnvoiMode=2\r\nFilePath=%s\r\nFileName=Facture n°7 €.pdf\r\n"
                       "AdresseEnvoi=ventes@exemple.fr\r\nEnvoyerA=inconnu@exemple.fr\r\n"
                       "Objet=Réglée\r\n[ConfigMail]\r\nSmtpAdresse=127.0.0.1\r\nSmtpPort=%d\r\n"
                       % (windows_path(document), server.port)).encode("cp1252")
            ini = os.path.join(self.folder, "commande.ini")
            with open(ini, "wb") as out:
                out.write(content)
            run = Run(ini, answer="yes:" + windows_path(saved))
            self.assertEqual(run.exit_code, 0)
            self.assertEqual(server.messages(), [])
        self.assertEqual(run.boxes, [
            ("Vellumo", "Erreur : le serveur SMTP a refusé le destinataire <inconnu@exemple.fr> "
                        "(550 5.1.1 User unknown)."),
            ("Vellumo", "Voulez-vous enregistrer votre commande afin de l'envoyer manuellement ?"),
        ])
        with open(ini, "rb") as after:
            self.assertEqual(after.read(), content + MARKER_CRLF)
        copy = os.path.join(saved, "Facture n°7 €.pdf")
        self.assertEqual(sha256(copy), sha256(document))


class TlsRuns(unittest.TestCase):
    """Schannel under the whole program: a server whose certificate nothing
    vouches for is refused before the login, unless the account turns the
    check off."""

    def test_self_signed_server_refused_unless_the_check_is_off(self):
        folder = tempfile.mkdtemp(prefix="vellumo-tls-")
        cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                        "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        with SmtpServer("--tls", "starttls", "--require-starttls", "--cert", cert, "--key", key,
                        "--auth-user", "vendeur", "--auth-password", "secret") as server:
            runs = {}
            for check in ("1", "0"):
                ini = os.path.join(folder, "compte-%s.ini" % check)
                with open(ini, "wb") as out:
                    out.write(b"[Email]\r\nEnvoiMode=3\r\n[ConfigMail]\r\nSmtpAdresse=localhost"
                              b"\r\nSmtpPort=%d\r\nSmtpAuth=1\r\nSmtpCompte=vendeur\r\n"
                              b"SmtpMotDePasse=secret\r\nUseSmtpTLS=1\r\nSmtpTLSMode=2\r\n"
                              b"SmtpVerifierCertificat=%s\r\n" % (server.port, check.encode()))
                runs[check] = (Run(ini), ini)
            commands = server.commands()
        refused, refused_ini = runs["1"]
        self.assertEqual(len(refused.boxes), 1)
        self.assertTrue(refused.boxes[0][1].startswith(
            "Erreur : le certificat du serveur localhost n'est pas reconnu"), refused.boxes)
        with open(refused_ini, "rb") as after:
            self.assertTrue(after.read().endswith(MARKER_CRLF))
        self.assertEqual(runs["0"][0].boxes, [("Vellumo", "Connexion réussie !")])
        # One login in all: the accepted run's, never the refused one's.
        self.assertEqual(sum(1 for c in commands if c == "AUTH"), 1)


@unittest.skipUnless(os.environ.get("VELLUMO_TLS_TRUSTED_PORT"), "run by scripts/test-windows-tls")
class TrustedCaRuns(unittest.TestCase):
    """A server whose certificate a CA in the system's store vouches for:
    scripts/test-windows-tls adds the test CA to the store Wine reads, in a
    private mount namespace, and starts the server."""

    def test_server_signed_by_a_trusted_ca_is_accepted(self):
        ini = os.path.join(tempfile.mkdtemp(prefix="vellumo-ca-"), "compte.ini")
        with open(ini, "wb") as out:
            out.write(b"[Email]\r\nEnvoiMode=3\r\n[ConfigMail]\r\nSmtpAdresse=localhost\r\n"
                      b"SmtpPort=%s\r\nUseSmtpTLS=1\r\nSmtpTLSMode=2\r\n"
                      % os.environ["VELLUMO_TLS_TRUSTED_PORT"].encode())
        run = Run(ini)
        self.assertEqual(run.boxes, [("Vellumo", "Connexion réussie !")])


class ShippedProgram(unittest.TestCase):
    def test_has_none_of_the_test_hooks(self):
        hook = "VELLUMO_AUTO_ANSWER".encode("utf-16-le")
        with open(PROGRAM, "rb") as unattended:
            self.assertIn(hook, unattended.read())  # the search finds them where they are
        with open(os.path.join(os.path.dirname(PROGRAM), "vellumo.exe"), "rb") as shipped:
            self.assertNotIn(hook, shipped.read())


if __name__ == "__main__":
    unittest.main(verbosity=2)
