// The send procedure's reading phase: section Email, then the body lines
// of section EmailCorps.
#include <memory>
#include <new>

#include "app/UnitFicheVellumo.h"
#include "config/IniFile.h"
#include "mail/MessageSettings.h"

namespace vellumo {

namespace {
constexpr const char* kSection = "Email";
constexpr const char* kBodySection = "EmailCorps";
constexpr const char* kNoIniObjectText = "Erreur : impossible de créer l'objet INI.";
}  // namespace

std::string ReduceBodyLine(const std::string& line) {
  const auto equals = line.find('=');
  return equals == std::string::npos ? line : line.substr(equals + 1);
}

bool TFicheVellumo::ReadMessageSettings(MessageSettings& settings) {
  // The reader is released on every way out, exceptions included.
  std::unique_ptr<IniFile> ini(new (std::nothrow) IniFile(GetConfigPath()));
  if (!ini) {
    RaiseFailure(kNoIniObjectText);
    return false;
  }
  if (!ini->SectionExists(kSection)) {
    RaiseFailure(texts::MissingSection(kSection));
    AppendToErrorMessage(texts::kCheckConfiguration);
    return false;
  }

  documentPath_ = ini->ReadString(kSection, "FilePath", "");
  documentFileName_ = ini->ReadString(kSection, "FileName", "");
  settings.sender = ini->ReadString(kSection, "AdresseEnvoi", "");
  settings.recipients = ini->ReadString(kSection, "EnvoyerA", "");
  settings.subject = ini->ReadString(kSection, "Objet", "");
  settings.copyRecipients = ini->ReadString(kSection, "Cc", "");
  settings.blindCopyRecipients = ini->ReadString(kSection, "Cci", "");
  settings.priority = ini->ReadInteger(kSection, "Priorite", 2);
  settings.receiptRequested = ini->ReadBool(kSection, "AvecAR", false);

  settings.bodyLines = ini->ReadSectionValues(kBodySection);
  for (auto& line : settings.bodyLines) line = ReduceBodyLine(line);

  MarkStepPassed("VellumoReadConf");
  return true;
}

}  // namespace vellumo
