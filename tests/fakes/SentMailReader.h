#pragma once
// What Python's email package reads in a message (tests/e2e/read_sent_mail.py):
// an independent parser for checking what the message's code writes and what
// went on the wire. The one mail reader of all tests.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace vellumo::testing {

using MailFields = std::map<std::string, std::string>;

// Runs a Python helper of tests/e2e on `path` and returns the "key=value"
// lines it prints. Throws std::runtime_error when the script fails.
MailFields RunPythonFields(const std::string& script, const std::string& path);

// The fields of read_sent_mail.py: decoded headers (subject, from, to, cc,
// bcc, reply-to, date, message-id, priority and receipt headers), body,
// attachment-count, -name, -type, -size, -sha256, -hex (small files only),
// longest-line, encoded-cr, defects, and each header line by name (below).
MailFields ReadSentMail(const std::string& messagePath);
// The same for header lines ("Name: value", folded, no CRLF at the end)
// followed by a one-line body.
MailFields ReadHeaderLines(const std::vector<std::string>& headers);

// The header lines of that name as read.
std::size_t HeaderCount(const MailFields& mail, const std::string& name);
// The first line of that name as the default policy decodes it, or "<absent>".
std::string HeaderValue(const MailFields& mail, const std::string& name);
// The first line of that name as the strict RFC 2047 decoder reads it.
std::string StrictHeaderValue(const MailFields& mail, const std::string& name);

struct ReadMailbox {
  std::string DisplayName;
  std::string Address;
};
// The mailboxes of every line of that name, in order.
std::vector<ReadMailbox> MailboxesOf(const MailFields& mail, const std::string& name);

// Lower-case hexadecimal of `bytes`, as attachment-hex gives it.
std::string HexOf(const std::string& bytes);

}  // namespace vellumo::testing
