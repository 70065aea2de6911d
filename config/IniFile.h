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

// A write that could not be done; the message is French and names the file.
class IniWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
