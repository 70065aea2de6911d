#include "e2e/FaultServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>

extern char** environ;

namespace vellumo::testing {
namespace {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

// Just enough JSON for the server's transcript.
struct Json {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;

  const Json& operator[](const std::string& key) const {
    static const Json null;
    for (const auto& member : members)
      if (member.first == key) return member.second;
    return null;
  }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& text) : text_(text) {}

  Json Document() {
    Json value = Value();
    Blanks();
    if (at_ != text_.size()) Fail();
    return value;
  }

 private:
  [[noreturn]] void Fail() const {
    throw std::runtime_error("bad transcript JSON near offset " + std::to_string(at_));
  }
  void Blanks() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool Take(char c) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool TakeWord(const char* word) {
    const std::string w(word);
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }

  Json Value() {
    Blanks();
    if (at_ >= text_.size()) Fail();
    Json value;
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      value.kind = Json::Kind::Object;
      if (Take('}')) return value;
      do {
        Blanks();
        std::string key = String();
        if (!Take(':')) Fail();
        value.members.emplace_back(std::move(key), Value());
      } while (Take(','));
      if (!Take('}')) Fail();
    } else if (c == '[') {
      ++at_;
      value.kind = Json::Kind::Array;
      if (Take(']')) return value;
      do value.items.push_back(Value());
      while (Take(','));
      if (!Take(']')) Fail();
    } else if (c == '"') {
      value.kind = Json::Kind::String;
      value.text = String();
    } else if (TakeWord("true")) {
      value.kind = Json::Kind::Bool;
      value.boolean = true;
    } else if (TakeWord("false")) {
      value.kind = Json::Kind::Bool;
    } else if (TakeWord("null")) {
      value.kind = Json::Kind::Null;
    } else {
      std::size_t used = 0;
      value.kind = Json::Kind::Number;
      value.number = std::stod(text_.substr(at_, 40), &used);
      at_ += used;
    }
    return value;
  }

  unsigned Hex4() {
    if (at_ + 4 > text_.size()) Fail();
    const unsigned value = static_cast<unsigned>(std::stoul(text_.substr(at_, 4), nullptr, 16));
    at_ += 4;
    return value;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }

  std::string String() {
    if (at_ >= text_.size() || text_[at_] != '"') Fail();
    ++at_;
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      char c = text_[at_++];
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (at_ >= text_.size()) Fail();
      c = text_[at_++];
      switch (c) {
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'u': {
          unsigned code = Hex4();
          if (code >= 0xD800 && code < 0xDC00 && TakeWord("\\u")) {
            code = 0x10000 + ((code - 0xD800) << 10) + (Hex4() - 0xDC00);
          }
          AppendUtf8(out, code);
          break;
        }
        default: out.push_back(c);
      }
    }
    if (at_ >= text_.size()) Fail();
    ++at_;
    return out;
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

std::string Base64Decode(const std::string& text) {
  static const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned buffer = 0;
  int bits = 0;
  for (char c : text) {
    const auto at = alphabet.find(c);
    if (at == std::string::npos) continue;  // padding
    buffer = (buffer << 6) | static_cast<unsigned>(at);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((buffer >> bits) & 0xFFu));
    }
  }
  return out;
}

std::vector<std::string> Strings(const Json& array) {
  std::vector<std::string> out;
  for (const Json& item : array.items) out.push_back(item.text);
  return out;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

// Reads one line from `fd` within `timeoutMs`; empty on time-out or end.

}  // namespace

int FaultConnection::IndexOf(const std::string& prefix) const {
  for (std::size_t i = 0; i < Commands.size(); ++i)
    if (StartsWithNoCase(Commands[i], prefix)) return static_cast<int>(i);
  return -1;
}

std::vector<FaultMessage> FaultTranscript::AcceptedMessages() const {
  std::vector<FaultMessage> out;
  for (const auto& connection : Connections)
    for (const auto& message : connection.Messages)
      if (message.Accepted) out.push_back(message);
  return out;
}

int FaultTranscript::CountOf(const std::string& prefix) const {
  int count = 0;
  for (const auto& connection : Connections)
    for (const auto& command : connection.Commands)
      if (StartsWithNoCase(command, prefix)) ++count;
  return count;
}

const FaultCertificate& FaultCertificate::Get() {
  // Lives as long as the test process, like the files it names.
  static const auto* dir = new TempDirectory();
  static const FaultCertificate certificate = [] {
    FaultCertificate made;
    made.CertFile = (dir->Path() / "cert.pem").string();
    made.KeyFile = (dir->Path() / "key.pem").string();
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
        " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost"
        " -keyout '" + made.KeyFile + "' -out '" + made.CertFile + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      throw std::runtime_error("openssl could not make the test certificate");
    }
    return made;
  }();
  return certificate;
}

FaultServer::FaultServer(const std::string& caseMembers) {
  const std::string transcript = (dir_.Path() / "transcript.json").string();
  std::string json = "{\"transcript\": " + JsonString(transcript);
  if (caseMembers.find("\"cert\"") == std::string::npos) {
    const FaultCertificate& certificate = FaultCertificate::Get();
    json += ", \"cert\": " + JsonString(certificate.CertFile) +
            ", \"key\": " + JsonString(certificate.KeyFile);
    // A certificate at hand does not mean STARTTLS is offered: cases say so.
    if (caseMembers.find("\"offer_starttls\"") == std::string::npos) {
      json += ", \"offer_starttls\": false";
    }
  }
  if (!caseMembers.empty()) json += ", " + caseMembers;
  json += "}";
  const std::string casePath = dir_.Write("case.json", json);

  process_.Start({TestScript("fault_server.py"), casePath}, "the fault server");
}

FaultServer::~FaultServer() { Stop(); }

void FaultServer::Stop() { process_.Stop(); }

FaultTranscript FaultServer::Transcript() {
  Stop();
  return Snapshot();
}

FaultTranscript FaultServer::Snapshot() const {
  // The server replaces the file whole at each change; none before the
  // first connection.
  const std::string text = dir_.Read("transcript.json");
  if (text.empty()) return {};
  const Json document = JsonReader(text).Document();
  FaultTranscript transcript;
  for (const Json& c : document["connections"].items) {
    FaultConnection connection;
    connection.Number = static_cast<int>(c["number"].number);
    connection.Commands = Strings(c["commands"]);
    connection.ClosedBy = c["closed_by"].text;
    for (const Json& a : c["auth"].items) {
      connection.Logins.push_back({a["mechanism"].text, a["username"].text, a["password"].text});
    }
    for (const Json& m : c["messages"].items) {
      FaultMessage message;
      message.MailFrom = m["mail_from"].text;
      message.Recipients = Strings(m["rcpt"]);
      message.Complete = m["complete"].boolean;
      message.Accepted = m["accepted"].boolean;
      if (m["size_parameter"].kind == Json::Kind::Number) {
        message.SizeParameter = static_cast<long long>(m["size_parameter"].number);
      }
      message.Bytes = Base64Decode(m["data_b64"].text);
      connection.Messages.push_back(std::move(message));
    }
    transcript.Connections.push_back(std::move(connection));
  }
  return transcript;
}

}  // namespace vellumo::testing
