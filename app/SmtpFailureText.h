#pragma once
// What the user reads when the mail client fails: what failed, in words a
// user understands, with the server's reply when there was one (printable
// characters only, cut to a sane length). Never the password.
#include <string>

namespace vellumo {

class SmtpFailure;

std::string SmtpFailureText(const SmtpFailure& failure);

}  // namespace vellumo
