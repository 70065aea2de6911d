#pragma once
// Every failure of the mail client reaches the run as a MailError whose
// message is French, says what failed and, when the server answered, quotes
// its reply. It never holds the password.
#include <stdexcept>

namespace vellumo {

class MailError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace vellumo
