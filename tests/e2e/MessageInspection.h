#pragma once
// What Python's email package reads in a received message
// (tests/e2e/inspect_message.py): an independent parser for checking what
// went on the wire.
#include <map>
#include <string>

namespace vellumo::testing {

// Keys: subject, from, to, cc, bcc, date, message-id, body,
// attachment-count, attachment-name, attachment-type, attachment-hex.
// Throws std::runtime_error when the script fails.
// `script` may name another reader in the same folder (read_sent_mail.py
// gives the fuller view the run tests use).
std::map<std::string, std::string> InspectMessage(const std::string& messagePath,
                                                  const std::string& script = "inspect_message.py");

// Lower-case hexadecimal of `bytes`, as attachment-hex gives it.
std::string HexOf(const std::string& bytes);

}  // namespace vellumo::testing
