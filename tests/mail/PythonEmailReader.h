#pragma once
// Reads a raw message back with Python's email package (policy.default), an
// independent decoder for what the wire format writes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vellumo::test {

struct DecodedMailbox {
  std::string DisplayName;
  std::string Address;
};

struct DecodedMessage {
  std::multimap<std::string, std::string> Headers;  // name -> decoded value
  std::map<std::string, std::vector<DecodedMailbox>> Mailboxes;
  // name -> value decoded by the strict RFC 2047 decoder (email.header)
  std::map<std::string, std::string> StrictValues;
  std::string FileName;
  int Defects = 0;

  std::string Header(const std::string& name) const {
    const auto it = Headers.find(name);
    return it == Headers.end() ? std::string("<absent>") : it->second;
  }
};

namespace detail {

inline constexpr const char* kReaderScript = R"(
import sys, email.parser, email.policy, email.header
raw = open(sys.argv[1], "rb").read()
msg = email.parser.BytesParser(policy=email.policy.default).parsebytes(raw)
h = lambda s: s.encode("utf-8", "surrogateescape").hex()
defects = len(msg.defects)
for name, value in msg.items():
    defects += len(getattr(value, "defects", ()))
    print("H", name, h(str(value)) or "-")
    for a in getattr(value, "addresses", ()):
        print("A", name, h(a.display_name) or "-", h(a.addr_spec) or "-")
for name, value in msg.raw_items():
    strict = email.header.make_header(email.header.decode_header(value.replace("\r\n", "")))
    print("R", name, h(str(strict)) or "-")
print("F", h(msg.get_filename() or "") or "-")
print("D", defects)
)";

inline std::string WriteTemp(const std::string& content, const char* suffix) {
  std::string path = std::string("/tmp/vellumo-mail-XXXXXX") + suffix;
  const int fd = mkstemps(path.data(), static_cast<int>(std::string(suffix).size()));
  if (fd < 0) throw std::runtime_error("mkstemps failed");
  close(fd);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

inline std::string Unhex(const std::string& hex) {
  if (hex == "-") return {};
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

}  // namespace detail

// `rawMessage` is a header block, a blank line and a body, with CRLF.
inline DecodedMessage DecodeWithPython(const std::string& rawMessage) {
  const char* python = std::getenv("VELLUMO_PYTHON");
  const std::string script = detail::WriteTemp(detail::kReaderScript, ".py");
  const std::string message = detail::WriteTemp(rawMessage, ".eml");
  const std::string command = std::string(python ? python : "/usr/bin/python3") + " " + script +
                              " " + message;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run python");
  std::string output;
  char buffer[4096];
  while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = pclose(pipe);
  std::remove(script.c_str());
  std::remove(message.c_str());
  if (status != 0) throw std::runtime_error("python reader failed: " + output);

  DecodedMessage decoded;
  std::istringstream lines(output);
  std::string kind;
  bool sawEnd = false;
  while (lines >> kind) {
    if (kind == "H") {
      std::string name, value;
      lines >> name >> value;
      decoded.Headers.emplace(name, detail::Unhex(value));
    } else if (kind == "R") {
      std::string name, value;
      lines >> name >> value;
      decoded.StrictValues[name] = detail::Unhex(value);
    } else if (kind == "A") {
      std::string name, display, address;
      lines >> name >> display >> address;
      decoded.Mailboxes[name].push_back({detail::Unhex(display), detail::Unhex(address)});
    } else if (kind == "F") {
      std::string value;
      lines >> value;
      decoded.FileName = detail::Unhex(value);
    } else if (kind == "D") {
      lines >> decoded.Defects;
      sawEnd = true;
    }
  }
  if (!sawEnd) throw std::runtime_error("python reader gave no result: " + output);
  return decoded;
}

// The header lines as a message with a one-line body.
inline std::string RawMessage(const std::vector<std::string>& headers) {
  std::string raw;
  for (const std::string& header : headers) raw += header + "\r\n";
  return raw + "\r\nbody\r\n";
}

}  // namespace vellumo::test
