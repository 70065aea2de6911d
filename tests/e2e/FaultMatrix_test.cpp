// The fault matrix: whole runs (TFicheVellumo::FormActivate) through the
// real libcurl client against a scripted server that refuses, stalls,
// drops or talks nonsense at one step. One row per fault; every row checks
// what the user sees (marks, message, manual-save offer), what the host
// finds in its file (the marker, nothing else changed), what the server
// saw, and that the run ends in bounded time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <ostream>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"
#include "e2e/FaultServer.h"
#include "fakes/FakeSystem.h"
#include "fakes/FakeToolkit.h"
#include "fakes/TempDirectory.h"
#include "smtp/curl/CurlSmtpClientFactory.h"
#include "smtp/curl/CurlSmtpOptions.h"

namespace vellumo::testing {
namespace {

using Clock = std::chrono::steady_clock;

// Short enough to keep the matrix fast, long enough for a loaded machine.
constexpr long kConnectTimeoutSeconds = 3;
constexpr long kIdleTimeoutSeconds = 3;
// Slack on top of the time-outs a run is expected to sit through; less
// than one time-out, so that a second wait on a silent server shows.
constexpr double kSlackSeconds = 2.0;

constexpr const char* kPassword = "Mot-de-passe-7!";
constexpr const char* kLogin = "vendeur";
constexpr const char* kSender = "vendeur@exemple.fr";
const std::vector<std::string> kRecipients = {"client1@exemple.fr", "client2@exemple.fr",
                                              "client3@exemple.fr"};
// Short enough to be one base64 line in the message.
constexpr const char* kDocument = "%PDF-1.4 commande 42\n\x01\x02\xff fin\n";
constexpr const char* kSaveQuestion =
    "question Voulez-vous enregistrer votre commande afin de l'envoyer manuellement ?";

enum class Tls { None, Required, Optional, Implicit };
// The attached document: the short one above, one large enough to be still
// in reading when the server is a few lines into the data, or a pipe.
enum class Document { Short, Large, Pipe };
constexpr std::size_t kLargeDocumentBytes = 24u << 20;
// How the server's certificate is judged: not at all (SmtpVerifierCertificat
// = 0), against the test certificate given as trusted authority, or against
// the system's store (which does not know it).
enum class Trust { Off, TestCa, System };

struct FaultRow {
  const char* name;
  int runMode;
  Tls tls;
  bool login;
  Trust trust;
  const char* server;  // members of the server's case
  int passed;          // steps marked passed, in the run's order
  bool fails;
  // Failure: pieces of the message. Success: the messages shown, in full.
  std::vector<std::string> says;
  int timeouts;      // time-outs the run has to sit through
  int connections;   // TCP connections the server accepts; -1: not checked
  bool delivered;    // the server accepted the message
  std::vector<std::string> sequence;  // command prefixes the server saw, in this order
  std::vector<std::string> never;     // command prefixes the server must not see
  int pauseAfterCheckMs = 0;  // the dialog dawdles after the check (idle drops)
  bool serverGone = false;    // nothing listens on the port any more
  Document document = Document::Short;  // "@DOCUMENT@" in `server` is its path
  bool realLimits = false;    // the client keeps its shipped time-outs
  double slowSeconds = 0;     // deliberate delays of the server the run sits through
};

void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.name; }

// clang-format off
const std::vector<FaultRow> kRows = {
  // Baselines: the same harness succeeds when the server behaves.
  {"plain_send_with_login", 2, Tls::None, true, Trust::Off, "",
   7, false, {}, 0, 1, true,
   {"EHLO", "AUTH", "NOOP", "MAIL FROM:<vendeur@exemple.fr>", "RCPT TO:<client1@", "RCPT TO:<client2@",
    "RCPT TO:<client3@", "DATA", "QUIT"}, {}},
  {"starttls_send_trusted_certificate", 2, Tls::Required, true, Trust::TestCa,
   R"("offer_starttls": true)",
   7, false, {}, 0, 1, true, {"EHLO", "STARTTLS", "<tls>", "EHLO", "AUTH", "NOOP", "MAIL"}, {}},
  {"login_mechanism_login_only", 3, Tls::None, true, Trust::Off, R"("auth_mechanisms": ["LOGIN"])",
   3, false, {"Connexion réussie !"}, 0, 1, false, {"EHLO", "AUTH LOGIN", "NOOP", "QUIT"}, {}},
  {"slow_server_within_timeout", 3, Tls::None, false, Trust::Off,
   R"("greeting": {"delay": 0.5}, "ehlo": {"delay": 0.5})",
   3, false, {"Connexion réussie !"}, 0, 1, false, {"EHLO", "NOOP"}, {}},

  // Greeting.
  {"greeting_421_then_close", 1, Tls::None, false, Trust::Off,
   R"("greeting": {"code": 421, "text": "4.3.2 Service momentanément indisponible", "then": "close"})",
   2, true, {"a interrompu la session", "(421 4.3.2 Service momentanément indisponible)"}, 0, 1, false,
   {}, {"EHLO"}},
  {"greeting_silent", 1, Tls::None, false, Trust::Off, R"("greeting": {"do": "silence"})",
   2, true, {"ne répond plus", "3 s", "message d'accueil"}, 1, 1, false, {}, {"EHLO"}},
  {"greeting_not_smtp", 1, Tls::None, false, Trust::Off,
   R"("greeting": {"raw": "hello, this is no mail server\r\n"}, "ehlo": {"do": "silence"})",
   2, true, {"ne répond plus"}, 1, 1, false, {}, {"EHLO"}},
  {"greeting_connection_dropped", 1, Tls::None, false, Trust::Off, R"("greeting": {"do": "close"})",
   2, true, {"a fermé la connexion"}, 0, 1, false, {}, {"EHLO"}},
  {"greeting_554_multiline", 3, Tls::None, false, Trust::Off,
   R"("greeting": {"code": 554, "text": ["fault.test ne prend pas de courrier", "Contactez postmaster@exemple.fr"]})",
   2, true, {"refuse la connexion", "(554 fault.test ne prend pas de courrier Contactez postmaster@exemple.fr)"},
   0, 1, false, {}, {"EHLO"}},
  {"no_server_on_port", 1, Tls::None, false, Trust::Off, "",
   2, true, {"a refusé la connexion sur le port"}, 0, -1, false, {}, {}, 0, true},
  // The greeting is a reply like any other: it has the reply limit (60 s),
  // not the 30 s for opening the connection.
  {"greeting_after_35_s_real_limits", 3, Tls::None, false, Trust::Off,
   R"("greeting": {"delay": 35})",
   3, false, {"Connexion réussie !"}, 0, 1, false, {"EHLO", "NOOP"}, {}, 0, false, Document::Short, true, 35},

  // EHLO.
  {"ehlo_refused_helo_works", 2, Tls::None, false, Trust::Off,
   R"("ehlo": {"code": 502, "text": "5.5.2 EHLO non pris en charge"})",
   7, false, {}, 0, 1, true, {"EHLO", "HELO", "NOOP", "MAIL", "RCPT", "DATA"}, {}},
  {"ehlo_large_multiline_reply", 2, Tls::None, true, Trust::Off,
   R"("ehlo_filler_lines": 60)",
   7, false, {}, 0, 1, true, {"EHLO", "AUTH PLAIN", "MAIL", "DATA"}, {}},
  // libcurl 7.88 gives up on this one; the user must not read that the
  // server closed the connection.
  {"ehlo_reply_too_large", 1, Tls::None, true, Trust::Off, R"("ehlo_filler_lines": 150)",
   2, true, {"réponse trop longue", "(EHLO)"}, 0, 1, false, {"EHLO"}, {"AUTH"}},
  // With HELO there is no login: a configured login must not be skipped.
  {"ehlo_refused_login_needed", 1, Tls::None, true, Trust::Off,
   R"("ehlo": {"code": 451, "text": "4.3.0 Réessayez plus tard"})",
   2, true, {"a refusé la présentation (EHLO) (451 4.3.0 Réessayez plus tard)",
             "l'identification configurée est impossible"}, 0, 1, false, {"EHLO", "HELO"}, {"MAIL"}},
  {"ehlo_and_helo_refused", 1, Tls::None, false, Trust::Off,
   R"("ehlo": {"code": 502, "text": "5.5.2 Non"}, "helo": {"code": 550, "text": "5.7.1 Accès refusé"})",
   2, true, {"a refusé la présentation", "(550 5.7.1 Accès refusé)"}, 0, 1, false, {"EHLO", "HELO"},
   {"NOOP"}},

  // STARTTLS and the TLS handshake.
  {"starttls_454_required", 2, Tls::Required, true, Trust::Off,
   R"("offer_starttls": true, "starttls": {"code": 454, "text": "4.7.0 TLS non disponible"})",
   2, true, {"a refusé le passage au chiffrement (STARTTLS)", "(454 4.7.0 TLS non disponible)"}, 0, 1,
   false, {"EHLO", "STARTTLS"}, {"AUTH", "MAIL"}},
  // STARTTLS when offered: a login waits for TLS and is not sent without it.
  {"starttls_454_opportunistic_login", 2, Tls::Optional, true, Trust::Off,
   R"("offer_starttls": true, "starttls": {"code": 454, "text": "4.7.0 TLS non disponible"})",
   2, true, {"n'a pas pu être chiffrée : le serveur a refusé le passage au chiffrement (STARTTLS) "
             "(454 4.7.0 TLS non disponible). Le mot de passe n'a donc pas été envoyé."}, 0, 1,
   false, {"EHLO", "STARTTLS"}, {"<tls>", "AUTH", "MAIL"}},
  {"starttls_not_offered_opportunistic_login", 3, Tls::Optional, true, Trust::Off, "",
   2, true, {"n'a pas pu être chiffrée : le serveur ne propose pas le chiffrement STARTTLS. Le mot "
             "de passe n'a donc pas été envoyé."}, 0, 1, false, {"EHLO"}, {"STARTTLS", "AUTH", "NOOP"}},
  {"starttls_454_opportunistic_check", 3, Tls::Optional, false, Trust::Off,
   R"("offer_starttls": true, "starttls": {"code": 454, "text": "4.7.0 TLS non disponible"})",
   3, false, {"Connexion réussie !"}, 0, 1, false, {"EHLO", "STARTTLS", "NOOP"}, {"<tls>"}},
  {"starttls_not_offered_required", 1, Tls::Required, true, Trust::Off, "",
   2, true, {"ne propose pas le chiffrement STARTTLS"}, 0, 1, false, {"EHLO"}, {"STARTTLS", "AUTH"}},
  {"tls_certificate_self_signed", 1, Tls::Required, true, Trust::System, R"("offer_starttls": true)",
   2, true, {"certificat", "auto-signé"}, 0, 1, false, {"EHLO", "STARTTLS"}, {"<tls>", "AUTH"}},
  {"starttls_reply_with_injected_data", 2, Tls::Required, true, Trust::Off,
   R"("offer_starttls": true, "tls": "silence",
    "starttls": {"raw": "220 2.0.0 Ready to start TLS\r\n250 2.0.0 injected before TLS\r\n"})",
   2, true, {"STARTTLS"}, 0, 1, false, {"STARTTLS"}, {"<tls>", "AUTH"}},
  {"tls_handshake_garbage", 2, Tls::Required, true, Trust::Off,
   R"("offer_starttls": true, "tls": "garbage")",
   2, true, {"négociation du chiffrement TLS"}, 0, 1, false, {"STARTTLS"}, {"<tls>", "AUTH"}},
  {"tls_handshake_connection_dropped", 2, Tls::Required, true, Trust::Off,
   R"("offer_starttls": true, "tls": "close")",
   2, true, {"127.0.0.1"}, 0, 1, false, {"STARTTLS"}, {"<tls>", "AUTH"}},
  {"tls_handshake_silent", 1, Tls::Required, true, Trust::Off,
   R"("offer_starttls": true, "tls": "silence")",
   2, true, {"127.0.0.1"}, 1, 1, false, {"STARTTLS"}, {"<tls>", "AUTH"}},
  {"implicit_tls_against_clear_server", 1, Tls::Implicit, true, Trust::Off, "",
   2, true, {"négociation du chiffrement TLS"}, 0, 1, false, {}, {"EHLO", "AUTH"}},
  {"implicit_tls_works", 3, Tls::Implicit, true, Trust::TestCa, R"("implicit_tls": true)",
   3, false, {"Connexion réussie !"}, 0, 1, false, {"<tls>", "EHLO", "AUTH", "NOOP"}, {}},

  // Login.
  {"login_refused_535", 2, Tls::None, true, Trust::Off,
   R"("auth": {"code": 535, "text": "5.7.8 Identifiants invalides"})",
   2, true, {"nom d'utilisateur ou mot de passe incorrect", "(535 5.7.8 Identifiants invalides)"}, 0, 1,
   false, {"EHLO", "AUTH"}, {"NOOP", "MAIL"}},
  {"login_temporary_454", 1, Tls::None, true, Trust::Off,
   R"("auth": {"code": 454, "text": "4.7.0 Service d'identification indisponible"})",
   2, true, {"temporairement", "(454 4.7.0 Service d'identification indisponible)"}, 0, 1, false,
   {"AUTH"}, {"NOOP"}},
  {"login_configured_none_offered", 1, Tls::None, true, Trust::Off, R"("auth_mechanisms": [])",
   2, true, {"aucune méthode d'identification"}, 0, 1, false, {"EHLO"}, {"MAIL"}},
  {"login_no_usable_mechanism", 1, Tls::None, true, Trust::Off, R"("auth_mechanisms": ["X-FAKE"])",
   2, true, {"aucune méthode d'identification"}, 0, 1, false, {"EHLO"}, {"AUTH", "NOOP"}},

  // The envelope.
  {"mail_from_550", 2, Tls::None, true, Trust::Off,
   R"("mail": {"code": 550, "text": "5.7.1 Expéditeur non autorisé"})",
   6, true, {"a refusé l'expéditeur <vendeur@exemple.fr>", "(550 5.7.1 Expéditeur non autorisé)"}, 0, 1,
   false, {"MAIL"}, {"RCPT", "DATA"}},
  {"mail_from_connection_reset", 2, Tls::None, true, Trust::Off, R"("mail": {"do": "reset"})",
   6, true, {"a fermé la connexion"}, 0, 1, false, {"MAIL"}, {"RCPT"}},
  {"one_rcpt_of_three_refused", 2, Tls::None, true, Trust::Off,
   R"("rcpt_by_index": {"1": {"code": 550, "text": "5.1.1 Boîte inconnue"}})",
   6, true, {"a refusé le destinataire <client2@exemple.fr>", "(550 5.1.1 Boîte inconnue)"}, 0, 1, false,
   {"RCPT TO:<client1@", "RCPT TO:<client2@"}, {"DATA"}},
  {"rcpt_452_temporary", 2, Tls::None, true, Trust::Off,
   R"("rcpt": {"code": 452, "text": "4.2.2 Boîte pleine"})",
   6, true, {"a refusé le destinataire <client1@exemple.fr>", "(452 4.2.2 Boîte pleine)"}, 0, 1, false,
   {"RCPT"}, {"DATA"}},
  {"data_554", 2, Tls::None, true, Trust::Off,
   R"("data": {"code": 554, "text": "5.5.1 Transaction refusée"})",
   6, true, {"a refusé de recevoir le message (DATA)", "(554 5.5.1 Transaction refusée)"}, 0, 1, false,
   {"DATA"}, {}},
  {"data_answered_250", 2, Tls::None, true, Trust::Off, R"("data": {"code": 250, "text": "2.0.0 Ok"})",
   6, true, {"a donné une réponse inattendue", "(250 2.0.0 Ok)"}, 0, 1, false, {"DATA"}, {}},
  {"server_silent_after_check", 2, Tls::None, true, Trust::Off, R"("mail": {"do": "silence"})",
   6, true, {"ne répond plus", "3 s"}, 1, 1, false, {"NOOP", "MAIL"}, {"DATA"}},

  // The document: never waited on, sent as it was when the send began or
  // not at all.
  {"document_is_a_pipe", 2, Tls::None, true, Trust::Off, "",
   6, true, {"la pièce jointe", "ne peut pas être lue"}, 0, 1, false, {"NOOP"}, {"MAIL"}, 0, false,
   Document::Pipe},
  {"document_truncated_during_send", 2, Tls::None, true, Trust::Off,
   R"("data_change": {"after_bytes": 65536, "file": "@DOCUMENT@", "to": "truncate"})",
   6, true, {"la pièce jointe", "a été modifiée pendant l'envoi"}, 0, 1, false, {"MAIL", "DATA"}, {},
   0, false, Document::Large},
  {"document_grown_during_send", 2, Tls::None, true, Trust::Off,
   R"("data_change": {"after_bytes": 65536, "file": "@DOCUMENT@", "to": "grow"})",
   6, true, {"la pièce jointe", "a été modifiée pendant l'envoi"}, 0, 1, false, {"MAIL", "DATA"}, {},
   0, false, Document::Large},
  {"document_rewritten_during_send", 2, Tls::None, true, Trust::Off,
   R"("data_change": {"after_bytes": 65536, "file": "@DOCUMENT@", "to": "rewrite"})",
   6, true, {"la pièce jointe", "a été modifiée pendant l'envoi"}, 0, 1, false, {"MAIL", "DATA"}, {},
   0, false, Document::Large},

  // After the final dot.
  {"end_of_data_554_rejected", 2, Tls::None, true, Trust::Off,
   R"("end_of_data": {"code": 554, "text": "5.7.1 Message rejeté comme indésirable"})",
   6, true, {"a refusé le message", "(554 5.7.1 Message rejeté comme indésirable)"}, 0, 1, false,
   {"DATA"}, {}},
  {"end_of_data_connection_dropped", 2, Tls::None, true, Trust::Off,
   R"("end_of_data": {"do": "close"})",
   6, true, {"a fermé la connexion"}, 0, 1, false, {"DATA"}, {}},
  {"end_of_data_silent", 2, Tls::None, true, Trust::Off, R"("end_of_data": {"do": "silence"})",
   6, true, {"ne répond plus", "3 s"}, 1, 1, false, {"DATA"}, {}},
  // The client announces no SIZE (the text part's encoded size is not known
  // beforehand): the server refuses after the data.
  {"size_over_advertised_limit", 2, Tls::None, true, Trust::Off, R"("size": 400)",
   6, true, {"trop volumineux", "(552 5.3.4 Message size exceeds fixed limit)"}, 0, 1, false,
   {"MAIL", "RCPT", "DATA"}, {}},
  {"size_552_at_mail", 2, Tls::None, true, Trust::Off,
   R"("mail": {"code": 552, "text": "5.3.4 Taille maximale dépassée"})",
   6, true, {"trop volumineux", "(552 5.3.4 Taille maximale dépassée)"}, 0, 1, false, {"MAIL"},
   {"RCPT", "DATA"}},
  {"size_552_after_final_dot", 2, Tls::None, true, Trust::Off,
   R"("end_of_data": {"code": 552, "text": "5.3.4 Message trop gros"})",
   6, true, {"trop volumineux", "(552 5.3.4 Message trop gros)"}, 0, 1, false, {"DATA"}, {}},

  // Hostile reply text.
  {"reply_line_of_10_kb", 2, Tls::None, true, Trust::Off,
   R"("mail": {"code": 550, "text": "5.7.1 Refus ", "pad": 10240})",
   6, true, {"a refusé l'expéditeur", "550"}, 0, 1, false, {"MAIL"}, {"RCPT"}},
  {"reply_with_control_and_invalid_utf8", 2, Tls::None, true, Trust::Off,
   R"("rcpt": {"code": 550, "text": "5.1.1 Boîte\u0007 inconnue", "text_hex": "1b5b33316dfffec0af00"})",
   6, true, {"a refusé le destinataire <client1@exemple.fr>", "(550 5.1.1 Boîte inconnue"}, 0, 1, false,
   {"RCPT"}, {"DATA"}},

  // The connection dropped while idle, between the check and the send.
  {"idle_drop_between_check_and_send", 2, Tls::None, true, Trust::Off,
   R"("idle_drop_after": 0.3, "idle_drop_connections": 1, "idle_drop_armed_by": "NOOP")",
   7, false, {}, 0, 2, true, {"EHLO", "AUTH", "NOOP", "EHLO", "AUTH", "NOOP", "MAIL", "DATA"}, {},
   1000},
  {"idle_drop_with_421_notice", 2, Tls::None, true, Trust::Off,
   R"("idle_drop_after": 0.3, "idle_drop_connections": 1, "idle_drop_armed_by": "NOOP", "idle_drop_reply": {"code": 421, "text": "4.4.2 Délai d'inactivité dépassé"})",
   7, false, {}, 0, 2, true, {"NOOP", "EHLO", "AUTH", "NOOP", "MAIL", "DATA"}, {}, 1000},
  {"idle_drop_then_reconnect_refused", 2, Tls::None, true, Trust::Off,
   R"("idle_drop_after": 0.3, "idle_drop_connections": 1, "idle_drop_armed_by": "NOOP",
    "connections": [{}, {"greeting": {"code": 421, "text": "4.7.0 Trop de connexions", "then": "close"}}])",
   5, true, {"a interrompu la session", "(421 4.7.0 Trop de connexions)"}, 0, 2, false, {"NOOP"}, {"MAIL"},
   1000},
  {"starttls_idle_drop_between_check_and_send", 2, Tls::Required, true, Trust::TestCa,
   R"("offer_starttls": true, "idle_drop_after": 0.3, "idle_drop_connections": 1, "idle_drop_armed_by": "NOOP")",
   7, false, {}, 0, 2, true, {"STARTTLS", "<tls>", "NOOP", "STARTTLS", "<tls>", "AUTH", "MAIL"}, {}, 1000},

  // QUIT, once the message was accepted: the mail went, the run succeeds.
  {"quit_refused", 2, Tls::None, true, Trust::Off, R"("quit": {"code": 500, "text": "5.5.2 Non"})",
   7, false, {}, 0, 1, true, {"DATA", "QUIT"}, {}},
  {"quit_connection_dropped", 2, Tls::None, true, Trust::Off, R"("quit": {"do": "close"})",
   7, false, {}, 0, 1, true, {"DATA", "QUIT"}, {}},
  {"quit_silent", 2, Tls::None, true, Trust::Off, R"("quit": {"do": "silence"})",
   7, false, {}, 1, 1, true, {"DATA", "QUIT"}, {}},
};
// clang-format on

// The dialog, its fakes and the real libcurl client.
class SlowToolkit : public FakeToolkit {
 public:
  void SetImageVisible(const std::string& imageName, bool visible) override {
    FakeToolkit::SetImageVisible(imageName, visible);
    if (visible && imageName == pauseAfter && pauseMs > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
  }
  std::string pauseAfter;
  int pauseMs = 0;
};

std::string MakeDocument(Document document, const TempDirectory& dir) {
  const std::string path = (dir.Path() / "commande-42.pdf").string();
  if (document == Document::Pipe) {
    if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
    return path;
  }
  if (document == Document::Short) return dir.Write("commande-42.pdf", kDocument);
  std::string bytes(kLargeDocumentBytes, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return dir.Write("commande-42.pdf", bytes);
}

// A run stuck opening a pipe would never end: past its time bound, a writer
// opens the pipe and lets the run go on, so that the row fails instead.
class PipeWatch {
 public:
  PipeWatch(const std::string& pipe, double seconds) {
    if (pipe.empty()) return;
    watcher_ = std::thread([this, pipe, seconds] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (done_.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return stop_; }))
        return;
      while (!stop_) {
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        done_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; });
      }
    });
  }
  ~PipeWatch() { Stop(); }
  PipeWatch(const PipeWatch&) = delete;
  PipeWatch& operator=(const PipeWatch&) = delete;

  void Stop() {
    if (!watcher_.joinable()) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    done_.notify_all();
    watcher_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool stop_ = false;
  std::thread watcher_;
};

std::string IniText(const FaultRow& row, std::uint16_t port, const std::string& documentPath) {
  std::string ini;
  const auto line = [&ini](const std::string& text) { ini += text + "\r\n"; };
  line("; commande 42, écrite par l'hôte");
  line("[Email]");
  line("EnvoiMode=" + std::to_string(row.runMode));
  line("FilePath=" + documentPath);
  line("FileName=commande-42.pdf");
  line(std::string("AdresseEnvoi=") + kSender);
  line("EnvoyerA=" + kRecipients[0] + "," + kRecipients[1] + "," + kRecipients[2]);
  line("Objet=Votre commande n° 42");
  line("[EmailCorps]");
  line("L1=Bonjour,");
  line("L2=Veuillez trouver votre commande ci-jointe.");
  line("");
  line("[ConfigMail]");
  line("SmtpAdresse=127.0.0.1");
  line("SmtpPort=" + std::to_string(port));
  if (row.login) {
    line("SmtpAuth=1");
    line(std::string("SmtpCompte=") + kLogin);
    line(std::string("SmtpMotDePasse=") + kPassword);
  }
  if (row.tls != Tls::None) {
    line("UseSmtpTLS=1");
    line(row.tls == Tls::Required   ? "SmtpTLSMode=2"
         : row.tls == Tls::Optional ? "SmtpTLSMode=3"
                                    : "SmtpTLSMode=1");
    line(row.trust == Trust::Off ? "SmtpVerifierCertificat=0" : "SmtpVerifierCertificat=1");
  }
  return ini;
}

std::string Base64(const std::string& bytes) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out.push_back(alphabet[(v >> s) & 63u]);
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out.push_back(alphabet[(v >> 18) & 63u]);
    out.push_back(alphabet[(v >> 12) & 63u]);
    out.push_back(i + 1 < bytes.size() ? alphabet[(v >> 6) & 63u] : '=');
    out.push_back('=');
  }
  return out;
}

// Valid UTF-8 without control characters, line feeds aside.
bool IsShowable(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF                 ? 3
                         : lead >= 0xF0 && lead <= 0xF4                 ? 4
                                                                        : 0;
    if (length == 0 || i + length > text.size()) return false;
    if (length == 1 && ((lead < 0x20 && lead != '\n') || lead == 0x7F)) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0u) != 0x80u) return false;
    if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      return false;  // C1 controls
    }
    i += length;
  }
  return true;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) !=
        std::toupper(static_cast<unsigned char>(prefix[i])))
      return false;
  return true;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) out += "  " + line + "\n";
  return out;
}

class FaultMatrixTest : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultMatrixTest, Run) {
  const FaultRow& row = GetParam();

  TempDirectory dir;
  const std::string documentPath = MakeDocument(row.document, dir);
  std::string serverCase = row.server;
  const auto placeholder = serverCase.find("@DOCUMENT@");
  if (placeholder != std::string::npos) serverCase.replace(placeholder, 10, documentPath);

  FaultServer server(serverCase);
  if (row.serverGone) server.Stop();
  const double idleSeconds = row.realLimits ? static_cast<double>(CurlSmtpOptions{}.IdleTimeoutSeconds)
                                            : kIdleTimeoutSeconds;
  const double bound = static_cast<double>(row.timeouts) * idleSeconds +
                       row.pauseAfterCheckMs / 1000.0 + row.slowSeconds + kSlackSeconds;
  PipeWatch pipeWatch(row.document == Document::Pipe ? documentPath : "", bound + 1);

  const std::string iniPath = dir.Write("commande.ini", IniText(row, server.Port(), documentPath));
  const std::string iniBefore = ReadFileBytes(iniPath);

  CurlSmtpOptions options;
  if (!row.realLimits) {
    options.ConnectTimeoutSeconds = kConnectTimeoutSeconds;
    options.IdleTimeoutSeconds = kIdleTimeoutSeconds;
  }
  options.LocalName = "fault-matrix.test";
  if (row.trust == Trust::TestCa) options.CaFile = FaultCertificate::Get().CertFile;

  SlowToolkit toolkit;
  toolkit.pauseAfter = "ImgEtatConnexionResultatYes";
  toolkit.pauseMs = row.pauseAfterCheckMs;
  // The user takes the manual save whenever it is offered.
  const std::string saveFolder = (dir.Path() / "envoi-manuel").string();
  toolkit.answer = DialogAnswer::Yes;
  toolkit.chooserConfirms = true;
  toolkit.chosenFolder = saveFolder;
  FakeSystem system;
  auto clients = std::make_unique<CurlSmtpClientFactory>(options);
  auto fiche = std::make_unique<TFicheVellumo>(toolkit, system, *clients);
  fiche->SetConfigPath(iniPath);

  const auto runStart = Clock::now();
  fiche->FormActivate();
  const double runSeconds = std::chrono::duration<double>(Clock::now() - runStart).count();
  pipeWatch.Stop();
  const bool failed = fiche->ErrorFlag();
  // The application object goes last in the real process: its clients say
  // QUIT then, which must not hang either.
  const auto teardownStart = Clock::now();
  fiche.reset();
  clients.reset();
  const double teardownSeconds =
      std::chrono::duration<double>(Clock::now() - teardownStart).count();

  const FaultTranscript transcript = server.Transcript();
  std::vector<std::string> commands;
  for (const auto& connection : transcript.Connections) {
    commands.push_back("-- connection " + std::to_string(connection.Number));
    for (const auto& command : connection.Commands) commands.push_back(command);
  }
  const std::vector<std::string> messages = toolkit.Messages();
  SCOPED_TRACE("server saw:\n" + Joined(commands) + "user read:\n" + Joined(messages) +
               "run took " + std::to_string(runSeconds) + " s");
  std::printf("[ fault    ] %s: run %.2f s, teardown %.2f s, shown: %s\n", row.name, runSeconds,
              teardownSeconds, messages.empty() ? "(nothing)" : messages.front().c_str());
  std::fflush(stdout);

  // Bounded: the expected time-outs, plus slack; a time-out row really waited.
  EXPECT_LT(runSeconds, bound);
  // Closing the sessions at exit counts too: the host waits for the process.
  EXPECT_LT(runSeconds + teardownSeconds, bound);
  if (row.timeouts > 0) {
    EXPECT_GT(runSeconds, static_cast<double>(options.IdleTimeoutSeconds) - 0.5);
  }

  // The marks as far as the run got.
  const std::vector<std::string>& steps = FakeToolkit::AllStepNames();
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const bool passed = static_cast<int>(i) < row.passed;
    EXPECT_EQ(toolkit.IsVisible("Img" + steps[i] + "Yes"), passed) << steps[i];
    EXPECT_EQ(toolkit.IsVisible("Img" + steps[i] + "No"), !passed) << steps[i];
  }

  // The dialog closes at the end, whatever happened.
  ASSERT_FALSE(toolkit.events.empty());
  EXPECT_EQ(toolkit.events.back(), "close");

  EXPECT_EQ(failed, row.fails);
  const std::string iniAfter = ReadFileBytes(iniPath);
  if (row.fails) {
    ASSERT_EQ(messages.size(), 1u);
    const std::string& shown = messages.front();
    for (const auto& piece : row.says) EXPECT_NE(shown.find(piece), std::string::npos) << piece;
    EXPECT_EQ(shown.rfind("Erreur", 0), 0u);
    EXPECT_TRUE(IsShowable(shown)) << shown;
    // The server's words are cut; the whole sentence stays readable.
    EXPECT_LE(shown.size(), 600u);
    const auto quoted = shown.rfind(" (");
    if (quoted != std::string::npos) {
      EXPECT_LE(shown.size() - quoted, 320u) << shown;
    }
    EXPECT_EQ(shown.find(kPassword), std::string::npos);
    EXPECT_EQ(shown.find(Base64(kPassword)), std::string::npos);

    // Only the marker was added to the host's file.
    ASSERT_EQ(iniAfter.compare(0, iniBefore.size(), iniBefore), 0) << iniAfter;
    const std::string added = iniAfter.substr(iniBefore.size());
    EXPECT_TRUE(std::regex_match(added, std::regex("(\r\n)?\\[ExportationMailErreur\\]\r\nErreur=1\r\n")))
        << added;

    const int question = toolkit.IndexOf(kSaveQuestion);
    const std::string copy = "copy " + documentPath + " -> " + saveFolder + "/commande-42.pdf";
    if (row.runMode == 2) {
      EXPECT_GT(question, toolkit.IndexOf("message " + shown));
      EXPECT_GT(toolkit.IndexOf("chooser Selectionnez un dossier"), question);
      // The document's keys are read by the send step: a failure before it
      // leaves nothing to copy, and the offer ends silently.
      const bool documentKnown = row.passed >= 4;
      EXPECT_EQ(std::find(system.events.begin(), system.events.end(), copy) != system.events.end(),
                documentKnown);
    } else {
      EXPECT_EQ(question, -1);
    }
  } else {
    EXPECT_EQ(messages, row.says);
    EXPECT_EQ(iniAfter, iniBefore);
    EXPECT_EQ(toolkit.IndexOf(kSaveQuestion), -1);
    EXPECT_EQ(toolkit.IndexOf("chooser Selectionnez un dossier"), -1);
  }

  // What the server saw.
  if (row.connections >= 0) {
    EXPECT_EQ(static_cast<int>(transcript.Connections.size()), row.connections);
  }
  std::size_t at = 0;
  for (const auto& expected : row.sequence) {
    while (at < commands.size() && !StartsWith(commands[at], expected)) ++at;
    EXPECT_LT(at, commands.size()) << "missing, or out of order: " << expected;
    if (at < commands.size()) ++at;
  }
  for (const auto& forbidden : row.never) EXPECT_EQ(transcript.CountOf(forbidden), 0) << forbidden;
  for (const auto& connection : transcript.Connections) {
    for (const auto& login : connection.Logins) {
      EXPECT_EQ(login.Username, kLogin);
      EXPECT_EQ(login.Password, kPassword);
    }
  }

  const std::vector<FaultMessage> accepted = transcript.AcceptedMessages();
  if (row.delivered) {
    // Exactly once, also after a reconnection.
    ASSERT_EQ(accepted.size(), 1u);
    EXPECT_EQ(accepted[0].MailFrom, kSender);
    EXPECT_EQ(accepted[0].Recipients, kRecipients);
    EXPECT_NE(accepted[0].Bytes.find(Base64(kDocument)), std::string::npos);
  } else {
    EXPECT_TRUE(accepted.empty());
  }

}

std::string RowName(const ::testing::TestParamInfo<FaultRow>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(FaultMatrix, FaultMatrixTest, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace vellumo::testing
