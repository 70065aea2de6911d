#pragma once
// One reading of an INI file's bytes: its lines, what each line is, and where
// its parts lie in the file, so that an edit touches only the bytes it means
// to. Sections with the same name count as one section: their keys are
// merged in file order and the first of repeated keys wins.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/TextEncoding.h"

namespace vellumo {

struct IniLine {
  enum class Kind { Other, Header, Key };
  Kind kind = Kind::Other;
  // Positions in code units after the BOM.
  std::size_t begin = 0;
  std::size_t textEnd = 0;  // where the line break starts
  std::size_t end = 0;      // after the line break
  std::string name;         // section or key name, blanks removed
  std::string value;        // key value, blanks and one pair of quotes removed
  std::size_t valueBegin = 0;  // the value as written, quotes included
  std::size_t valueEnd = 0;
  int section = -1;  // index of the (merged) section; -1 before the first header

  bool HasLineBreak() const { return end > textEnd; }
};

class IniDocument {
 public:
  explicit IniDocument(std::string bytes);

  const std::string& Bytes() const { return bytes_; }
  TextEncoding Encoding() const { return encoding_; }
  const std::vector<IniLine>& Lines() const { return lines_; }
  std::size_t UnitCount() const { return unitCount_; }
  // The file's first line break, CRLF when it has none.
  std::string_view LineBreak() const { return lineBreak_; }
  std::size_t ByteOffset(std::size_t unit) const;

  // Index of the section's first header line, or -1.
  long FirstHeaderLine(std::string_view section) const;
  bool SectionHasKeys(std::string_view section) const;
  // The first key line of that name in the section, or nullptr.
  const IniLine* FindKey(std::string_view section, std::string_view key) const;
  std::vector<const IniLine*> KeyLines(std::string_view section) const;

  // The queries a step makes of the document it read once. Names match
  // without regard to case.
  // True when the section holds at least one key.
  bool SectionExists(std::string_view section) const { return SectionHasKeys(section); }
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& defaultValue) const;
  // Decimal with optional sign, or hexadecimal with 0x or $; anything else,
  // or a number outside 32 bits, gives the default.
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const;
  // Read as an integer: 0 is false, any other number true.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // Every key=value line of the section in file order, as "key=value".
  std::vector<std::string> ReadSectionValues(std::string_view section) const;

 private:
  void Parse(const std::vector<std::uint16_t>& units);
  IniLine ParseLine(const std::vector<std::uint16_t>& units, std::size_t begin, std::size_t textEnd);
  std::string Decode(const std::vector<std::uint16_t>& units, std::size_t begin, std::size_t end) const;
  int SectionId(std::string_view section) const;

  std::string bytes_;
  TextEncoding encoding_;
  std::size_t unitCount_ = 0;
  std::string_view lineBreak_ = "\r\n";
  std::vector<IniLine> lines_;
  std::vector<std::string> foldedKeys_;  // per line, empty for non-key lines
  std::unordered_map<std::string, int> sectionIds_;  // folded name -> index
  std::vector<std::size_t> firstHeaderLine_;         // per section index
};

// Names as the file compares them: blanks around removed, case folded.
std::string NormalizedName(std::string_view name);

}  // namespace vellumo
