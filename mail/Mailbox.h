#pragma once
// One mailbox as the host wrote it, read once: the display name and the
// address. Everything after the reading uses these two fields and never reads
// the host's text again.
#include <string>

namespace vellumo {

struct Mailbox {
  std::string Name;     // display name, UTF-8, may be empty
  std::string Address;  // wire-safe (see IsWireSafeAddress), domain as written

  bool IsEmpty() const { return Name.empty() && Address.empty(); }
};

}  // namespace vellumo
