#include "fakes/SentMailReader.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "fakes/TempDirectory.h"
#include "fakes/TestScripts.h"

namespace vellumo::testing {
namespace {

std::string Unescape(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    const char next = value[++i];
    out.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : next);
  }
  return out;
}

}  // namespace

MailFields RunPythonFields(const std::string& script, const std::string& path) {
  const std::string command = "'" + TestPython() + "' '" + TestScript(script) + "' '" + path + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string output;
  char buffer[65536];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
    output.append(buffer, n);
  if (pclose(pipe.release()) != 0) throw std::runtime_error("failed: " + command);

  MailFields fields;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    const auto equals = line.find('=');
    if (equals != std::string::npos)
      fields[line.substr(0, equals)] = Unescape(line.substr(equals + 1));
    start = end + 1;
  }
  return fields;
}

MailFields ReadSentMail(const std::string& messagePath) {
  return RunPythonFields("read_sent_mail.py", messagePath);
}

MailFields ReadHeaderLines(const std::vector<std::string>& headers) {
  std::string raw;
  for (const std::string& header : headers) raw += header + "\r\n";
  TempDirectory folder;
  return ReadSentMail(folder.Write("message.eml", raw + "\r\nbody\r\n"));
}

std::size_t HeaderCount(const MailFields& mail, const std::string& name) {
  std::size_t count = 0;
  while (mail.count("header." + name + "." + std::to_string(count)) != 0) ++count;
  return count;
}

std::string HeaderValue(const MailFields& mail, const std::string& name) {
  const auto it = mail.find("header." + name + ".0");
  return it == mail.end() ? std::string("<absent>") : it->second;
}

std::string StrictHeaderValue(const MailFields& mail, const std::string& name) {
  return mail.at("strict." + name + ".0");
}

std::vector<ReadMailbox> MailboxesOf(const MailFields& mail, const std::string& name) {
  std::vector<ReadMailbox> mailboxes;
  for (std::size_t i = 0;; ++i) {
    const std::string key = "mailbox." + name + "." + std::to_string(i);
    const auto address = mail.find(key + ".address");
    if (address == mail.end()) return mailboxes;
    mailboxes.push_back({mail.at(key + ".name"), address->second});
  }
}

std::string HexOf(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}

}  // namespace vellumo::testing
