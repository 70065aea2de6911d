#pragma once
// What Python's email package reads in a received message
// (tests/e2e/read_sent_mail.py): an independent parser for checking what
// went on the wire.
#include <map>
#include <string>

namespace vellumo::testing {

// Runs a Python helper of tests/e2e on `path` and returns the "key=value"
// lines it prints. Throws std::runtime_error when the script fails.
std::map<std::string, std::string> RunPythonFields(const std::string& script,
                                                   const std::string& path);

// The fields of read_sent_mail.py: decoded headers (subject, from, to, cc,
// bcc, reply-to, date, message-id, priority and receipt headers), body,
// attachment-count, -name, -type, -size, -sha256, -hex (small files only),
// longest-line, encoded-cr, defects.
std::map<std::string, std::string> ReadSentMail(const std::string& messagePath);

// Lower-case hexadecimal of `bytes`, as attachment-hex gives it.
std::string HexOf(const std::string& bytes);

}  // namespace vellumo::testing
