// After a failed send: copy the document into a folder the user picks, so
// the order can be sent by hand.
#include <filesystem>
#include <string>

#include "app/SystemServices.h"
#include "app/Toolkit.h"
#include "app/UnitFicheVellumo.h"

namespace vellumo {

namespace {

constexpr const char* kSaveQuestion =
    "Voulez-vous enregistrer votre commande afin de l'envoyer manuellement ?";
constexpr const char* kChooserTitle = "Selectionnez un dossier";
constexpr const char* kCannotSaveText = "Impossible d'enregistrer le document à cet emplacement.";
constexpr const char* kReadOnlyCopyText =
    "Un fichier du même nom s'y trouve déjà en lecture seule : il n'a pas été remplacé.";

// The document's name comes from the host's file: it must name a file in
// the chosen folder and nothing else.
bool IsPlainFileName(const std::string& name) {
  if (name == "." || name == "..") return false;
  for (char c : name)
    if (c == '/' || c == '\\' || c == ':' || c == '\0') return false;
  return true;
}

bool EndsWithDelimiter(const std::string& folder) {
  const char last = folder.back();
  return last == '/' || last == '\\' ||
         last == static_cast<char>(std::filesystem::path::preferred_separator);
}

}  // namespace

void TFicheVellumo::OfferManualSave() {
  if (toolkit_.AskYesNo(kSaveQuestion) != DialogAnswer::Yes) return;

  std::string folder;
  if (!toolkit_.SelectDirectory(kChooserTitle, folder) || folder.empty()) return;

  if (DocumentFileName().empty() || DocumentPath().empty()) return;

  if (!IsPlainFileName(DocumentFileName())) {
    toolkit_.ShowMessage(kCannotSaveText);
    return;
  }

  std::string destination = folder;
  if (!EndsWithDelimiter(destination))
    destination += static_cast<char>(std::filesystem::path::preferred_separator);
  destination += DocumentFileName();

  switch (Files().CopyFile(DocumentPath(), destination)) {
    case CopyResult::Copied:
      break;
    case CopyResult::Failed:
      toolkit_.ShowMessage(kCannotSaveText);
      break;
    case CopyResult::DestinationReadOnly:
      toolkit_.ShowMessage(std::string(kCannotSaveText) + "\n" + kReadOnlyCopyText);
      break;
  }
}

}  // namespace vellumo
