#include "app/UserTexts.h"

namespace vellumo::texts {

std::string MissingSection(const std::string& section) {
  return "Erreur : la section " + section + " n'éxiste pas dans le fichier de configuration.";
}

std::string MarkerNotWritten(bool networkJobRan, std::int32_t mode) {
  const char* what = !networkJobRan ? "du traitement"
                     : mode == 2    ? "de l'envoi"
                                    : "du test de connexion";
  return std::string("Erreur : l'échec ") + what +
         " n'a pas pu être enregistré dans le fichier de configuration.\n";
}

std::string SendProgress(int percent) {
  return std::string(kSendStep) + " (" + std::to_string(percent) + " %)";
}

std::string MarkerNotRemoved(std::int32_t mode) {
  return std::string("Attention : ") + (mode == 2 ? "l'envoi" : "le test de connexion") +
         " a réussi, mais le fichier de configuration le signale encore comme un échec.\n";
}

}  // namespace vellumo::texts
