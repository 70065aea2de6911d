#pragma once
// The text a user reads for an exception: the mail client's or the INI
// file's failure in words, else its message, or a plain French sentence when
// it carries none.
#include <exception>
#include <string>

#include "app/IniWriteErrorText.h"
#include "app/MailErrorText.h"
#include "app/SmtpFailureText.h"
#include "config/IniFile.h"
#include "mail/MailError.h"
#include "smtp/SmtpFailure.h"

namespace vellumo {

namespace texts {
// For a failure that says nothing of itself.
inline constexpr const char* kUnexpectedFailure =
    "Erreur : une erreur inattendue a interrompu le traitement.";
}  // namespace texts

inline std::string ExceptionText(const std::exception& e) {
  if (const auto* failure = dynamic_cast<const SmtpFailure*>(&e)) return SmtpFailureText(*failure);
  if (const auto* error = dynamic_cast<const MailError*>(&e)) return MailErrorText(*error);
  if (const auto* failure = dynamic_cast<const IniWriteError*>(&e))
    return IniWriteErrorText(*failure);
  std::string text = e.what() ? e.what() : "";
  if (text.empty()) text = texts::kUnexpectedFailure;
  return text;
}

}  // namespace vellumo
