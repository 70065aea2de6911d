#pragma once
// What the user reads when no OAuth access token could be obtained: the
// account's OAuth settings, or the token endpoint's failure or refusal.
// Never a secret: the endpoint's own text has had them taken out.
#include <string>

namespace vellumo {

struct SmtpFailureDetails;

std::string TokenFailureText(const SmtpFailureDetails& failure);

}  // namespace vellumo
