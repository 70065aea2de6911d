#include "config/IniFile.h"

#include "config/AtomicFileWriter.h"
#include "config/FileBytes.h"
#include "config/IniDocument.h"
#include "config/IniEdit.h"
#include "config/IniWriteFailure.h"
#include "config/IntegerText.h"

namespace vellumo {
namespace {

// Reads see the file as it is now. A missing or unreadable file reads as an
// empty one, so every read gives its default.
IniDocument LoadForReading(const std::string& path) { return ReadIniDocument(path); }

// What a new file holds: UTF-8 without BOM and CRLF line breaks, as the
// Windows host writes them.
std::string NewFileContent(const std::string& section, const std::string& key, const std::string& value) {
  return "[" + section + "]\r\n" + key + "=" + value + "\r\n";
}

// Whether `text` survives being written in the document's encoding.
bool Representable(const IniDocument& document, const std::string& text) {
  const TextEncoding encoding = document.Encoding();
  const std::string encoded = EncodeUtf8(text, encoding);
  const std::string withBom = document.Bytes().substr(0, BomSize(encoding)) + encoded;
  const std::vector<std::uint16_t> units = ToUnits(withBom, encoding);
  return DecodeUnits(units.data(), units.size(), encoding) == text;
}

std::string Trimmed(const std::string& name) {
  const auto first = name.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

}  // namespace

IniDocument ReadIniDocument(const std::string& path) {
  FileBytes file = ReadFileBytes(path);
  return IniDocument(file.error == 0 ? std::move(file.bytes) : std::string());
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::SectionExists(const std::string& section) const {
  return LoadForReading(path_).SectionHasKeys(section);
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
  const IniDocument document = LoadForReading(path_);
  const IniLine* line = document.FindKey(section, key);
  return line ? line->value : defaultValue;
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                                  std::int32_t defaultValue) const {
  const IniDocument document = LoadForReading(path_);
  const IniLine* line = document.FindKey(section, key);
  if (!line) return defaultValue;
  return ParseInt32(line->value).value_or(defaultValue);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> IniFile::ReadSectionValues(const std::string& section) const {
  const IniDocument document = LoadForReading(path_);
  std::vector<std::string> values;
  for (const IniLine* line : document.KeyLines(section)) values.push_back(line->name + "=" + line->value);
  return values;
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  const std::string sectionName = Trimmed(section), keyName = Trimmed(key);
  if (!IsWritableSectionName(sectionName)) throw MakeIniWriteError(path_, "nom de section invalide");
  if (!IsWritableKeyName(keyName)) throw MakeIniWriteError(path_, "nom de clé invalide");
  const std::string text = value ? "1" : "0";

  const AtomicFileWriter writer(path_);
  FileBytes file = ReadFileBytes(writer.Target());
  if (file.error != 0) throw MakeIniWriteError(path_, FrenchSystemErrorText(file.error));
  if (!file.exists) {
    writer.Write(NewFileContent(sectionName, keyName, text));
    return;
  }

  const IniDocument document(std::move(file.bytes));
  if (!Representable(document, sectionName) || !Representable(document, keyName)) {
    throw MakeIniWriteError(path_, "nom impossible à écrire dans l'encodage du fichier");
  }
  std::string updated = WithValue(document, sectionName, keyName, text);
  // Nothing to change: the file keeps its date and a read-only file is no
  // failure.
  if (updated == document.Bytes()) return;
  writer.Write(updated);
}

}  // namespace vellumo
