// The send procedure's reading phase: section Email, then the body lines
// of section EmailCorps.
#include <memory>
#include <new>

#include "app/UnitFicheVellumo.h"
#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "config/IniKeys.h"
#include "mail/MessageSettings.h"

namespace vellumo {

namespace {
}  // namespace

std::string ReduceBodyLine(const std::string& line) {
  const auto equals = line.find('=');
  return equals == std::string::npos ? line : line.substr(equals + 1);
}

bool TFicheVellumo::ReadMessageSettings(MessageSettings& settings) {
  // The file is read once, as it is now.
  const IniDocument ini = ReadIniDocument(GetConfigPath(), Files());
  if (!ini.SectionExists(keys::kEmail)) {
    RaiseFailure(texts::MissingSection(keys::kEmail));
    AppendToErrorMessage(texts::kCheckConfiguration);
    return false;
  }

  documentPath_ = ini.ReadString(keys::kEmail, keys::kDocumentPath, "");
  documentFileName_ = ini.ReadString(keys::kEmail, keys::kDocumentName, "");
  settings.sender = ini.ReadString(keys::kEmail, keys::kSender, "");
  settings.recipients = ini.ReadString(keys::kEmail, keys::kRecipients, "");
  settings.subject = ini.ReadString(keys::kEmail, keys::kSubject, "");
  settings.copyRecipients = ini.ReadString(keys::kEmail, keys::kCopy, "");
  settings.blindCopyRecipients = ini.ReadString(keys::kEmail, keys::kBlindCopy, "");
  settings.priority = ini.ReadInteger(keys::kEmail, keys::kPriority, keys::kPriorityDefault);
  settings.receiptRequested = ini.ReadBool(keys::kEmail, keys::kReceipt, keys::kReceiptDefault);

  settings.bodyLines = ini.ReadSectionValues(keys::kBody);
  for (auto& line : settings.bodyLines) line = ReduceBodyLine(line);

  MarkStepPassed(Step::VellumoReadConf);
  return true;
}

}  // namespace vellumo
