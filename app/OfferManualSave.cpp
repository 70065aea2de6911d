// After a failed send: copy the document into a folder the user picks, so
// the order can be sent by hand.
#include <filesystem>
#include <string>

#include "app/SystemServices.h"
#include "app/Toolkit.h"
#include "app/UnitFicheVellumo.h"
#include "app/UserTexts.h"

namespace vellumo {

namespace {

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
  if (toolkit_.AskYesNo(texts::kSaveQuestion) != DialogAnswer::Yes) return;

  std::string folder;
  if (!toolkit_.SelectDirectory(texts::kChooserTitle, folder) || folder.empty()) return;

  if (DocumentFileName().empty() || DocumentPath().empty()) return;

  if (!IsPlainFileName(DocumentFileName())) {
    toolkit_.ShowMessage(texts::kCannotSave);
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
      toolkit_.ShowMessage(texts::kCannotSave);
      break;
    case CopyResult::DestinationReadOnly:
      toolkit_.ShowMessage(std::string(texts::kCannotSave) + "\n" + texts::kReadOnlyCopy);
      break;
  }
}

}  // namespace vellumo
