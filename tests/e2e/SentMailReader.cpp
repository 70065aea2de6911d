#include "e2e/SentMailReader.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "e2e/ServerProcess.h"

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

std::map<std::string, std::string> RunPythonFields(const std::string& script,
                                                   const std::string& path) {
  const std::string command =
      "'" + TestPython() + "' '" + TestScript(script) + "' '" + path + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string output;
  char buffer[65536];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
  if (pclose(pipe.release()) != 0) throw std::runtime_error("failed: " + command);

  std::map<std::string, std::string> fields;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    const auto equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = Unescape(line.substr(equals + 1));
    start = end + 1;
  }
  return fields;
}

std::map<std::string, std::string> ReadSentMail(const std::string& messagePath) {
  return RunPythonFields("read_sent_mail.py", messagePath);
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
