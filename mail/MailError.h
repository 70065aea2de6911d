#pragma once
// A message that cannot be composed: an address the host wrote that cannot
// be read or cannot go on the wire, no sender, no recipient. The text is
// French and quotes the host's own text, never anything from a server.
#include <stdexcept>

namespace vellumo {

class MailError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vellumo
