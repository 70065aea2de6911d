#pragma once
// The text a user reads for an exception: its message, or a plain French
// sentence when it carries none.
#include <exception>
#include <string>

namespace vellumo {

inline std::string ExceptionText(const std::exception& e) {
  std::string text = e.what() ? e.what() : "";
  if (text.empty()) text = "Erreur : une erreur inconnue a interrompu le traitement.";
  return text;
}

}  // namespace vellumo
