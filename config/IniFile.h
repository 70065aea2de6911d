#pragma once
// The host's INI file. Every call goes to the file itself: nothing is cached,
// so a reader opened earlier sees what another wrote since. Section and key
// names match without regard to case. Text comes out as UTF-8 whatever the
// file's encoding (UTF-8 with or without BOM, UTF-16 LE/BE with BOM,
// Windows-1252).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace vellumo {

// Why a write of the file was not done.
enum class IniWriteReason : std::uint8_t {
  InvalidSectionName,  // empty, or a character the format cannot hold
  InvalidKeyName,
  NameNotInEncoding,  // the name cannot be written in the file's encoding
  NotRegularFile,     // a folder, a pipe, a device
  ReadOnly,           // the file's mode has no write bit at all
  SystemError,        // ErrorNumber() says which
};

// A write that could not be done: the facts, never a sentence. The run turns
// them into the text the user reads; what() is a short English summary.
class IniWriteError : public std::runtime_error {
 public:
  // `errorNumber` is the errno of a SystemError, 0 for the other reasons.
  IniWriteError(std::string path, IniWriteReason reason, int errorNumber = 0);

  const std::string& Path() const { return path_; }
  IniWriteReason Reason() const { return reason_; }
  int ErrorNumber() const { return errorNumber_; }

 private:
  std::string path_;
  IniWriteReason reason_;
  int errorNumber_;
};

class IniDocument;

// The file as it is now, read once through `files`; a missing or unreadable
// file reads as an empty one, so every query gives its default.
IniDocument ReadIniDocument(const std::string& path, FileSystem& files);

class IniFile {
 public:
  // Does not read or create the file.
  explicit IniFile(std::string path, FileSystem& files = NativeFileSystem());

  const std::string& Path() const { return path_; }

  // True when the section holds at least one key.
  bool SectionExists(const std::string& section) const;
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // Decimal with optional sign, or hexadecimal with 0x or $; anything else,
  // or a number outside 32 bits, gives the default.
  std::int32_t ReadInteger(const std::string& section, const std::string& key,
                           std::int32_t defaultValue) const;
  // Read as an integer: 0 is false, any other number true.
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
  // Every key=value line of the section in file order, as "key=value".
  std::vector<std::string> ReadSectionValues(const std::string& section) const;

  // Changes only this key (adding the section or key when missing, creating
  // the file when missing) and keeps every other byte, the encoding and the
  // line endings. The file is replaced atomically where that keeps its
  // identity, else written in place (see FileSystem::EditFile). Throws
  // IniWriteError.
  void WriteBool(const std::string& section, const std::string& key, bool value);

 private:
  std::string path_;
  FileSystem& files_;
};

}  // namespace vellumo
