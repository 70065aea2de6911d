#include "config/IniFile.h"

#include "config/IniDocument.h"
#include "config/IniEdit.h"
#include "config/IniWriteFailure.h"

namespace vellumo {
namespace {

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

IniDocument ReadIniDocument(const std::string& path, FileSystem& files) {
  FileBytes file = files.ReadFile(path);
  return IniDocument(file.error == 0 ? std::move(file.bytes) : std::string());
}

IniFile::IniFile(std::string path, FileSystem& files) : path_(std::move(path)), files_(files) {}

// Every read sees the file as it is now.
bool IniFile::SectionExists(const std::string& section) const {
  return ReadIniDocument(path_, files_).SectionExists(section);
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
  return ReadIniDocument(path_, files_).ReadString(section, key, defaultValue);
}

std::int32_t IniFile::ReadInteger(const std::string& section, const std::string& key,
                                  std::int32_t defaultValue) const {
  return ReadIniDocument(path_, files_).ReadInteger(section, key, defaultValue);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadIniDocument(path_, files_).ReadBool(section, key, defaultValue);
}

std::vector<std::string> IniFile::ReadSectionValues(const std::string& section) const {
  return ReadIniDocument(path_, files_).ReadSectionValues(section);
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  const std::string sectionName = Trimmed(section), keyName = Trimmed(key);
  if (!IsWritableSectionName(sectionName))
    throw IniWriteError(path_, IniWriteReason::InvalidSectionName);
  if (!IsWritableKeyName(keyName)) throw IniWriteError(path_, IniWriteReason::InvalidKeyName);
  const std::string text = value ? "1" : "0";

  const FileStatus status =
      files_.EditFile(path_, [&](const FileBytes& now) -> std::optional<std::string> {
        if (!now.exists) return NewFileContent(sectionName, keyName, text);
        const IniDocument document(now.bytes);
        if (!Representable(document, sectionName) || !Representable(document, keyName)) {
          throw IniWriteError(path_, IniWriteReason::NameNotInEncoding);
        }
        std::string updated = WithValue(document, sectionName, keyName, text);
        // Nothing to change: the file keeps its date and a read-only file is
        // no failure.
        if (updated == document.Bytes()) return std::nullopt;
        return updated;
      });
  RequireWritten(path_, status);
}

}  // namespace vellumo
