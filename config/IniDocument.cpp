#include "config/IniDocument.h"

#include "config/IntegerText.h"

#include "config/CaseFold.h"

namespace vellumo {
namespace {

constexpr std::uint16_t kLineFeed = '\n';
constexpr std::uint16_t kCarriageReturn = '\r';

bool IsBlankUnit(std::uint16_t unit) { return unit == ' ' || unit == '\t' || unit == '\r'; }

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::string NormalizedName(std::string_view name) {
  while (!name.empty() && IsBlankChar(name.front())) name.remove_prefix(1);
  while (!name.empty() && IsBlankChar(name.back())) name.remove_suffix(1);
  return FoldCase(name);
}

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)), encoding_(DetectEncoding(bytes_)) {
  const std::vector<std::uint16_t> units = ToUnits(bytes_, encoding_);
  unitCount_ = units.size();
  Parse(units);
}

std::size_t IniDocument::ByteOffset(std::size_t unit) const {
  return BomSize(encoding_) + unit * UnitSize(encoding_);
}

std::string IniDocument::Decode(const std::vector<std::uint16_t>& units, std::size_t begin,
                                std::size_t end) const {
  return DecodeUnits(units.data() + begin, end - begin, encoding_);
}

void IniDocument::Parse(const std::vector<std::uint16_t>& units) {
  bool lineBreakSeen = false;
  int currentSection = -1;
  for (std::size_t begin = 0; begin < units.size();) {
    std::size_t lineFeed = begin;
    while (lineFeed < units.size() && units[lineFeed] != kLineFeed) ++lineFeed;
    std::size_t textEnd = lineFeed;
    std::size_t end = lineFeed;
    if (lineFeed < units.size()) {
      end = lineFeed + 1;
      if (lineFeed > begin && units[lineFeed - 1] == kCarriageReturn) textEnd = lineFeed - 1;
      if (!lineBreakSeen) lineBreak_ = textEnd < lineFeed ? "\r\n" : "\n";
      lineBreakSeen = true;
    }

    IniLine line = ParseLine(units, begin, textEnd);
    line.end = end;
    std::string foldedKey;
    if (line.kind == IniLine::Kind::Header) {
      const std::string folded = FoldCase(line.name);
      const auto [it, inserted] = sectionIds_.emplace(folded, static_cast<int>(firstHeaderLine_.size()));
      if (inserted) firstHeaderLine_.push_back(lines_.size());
      currentSection = it->second;
      line.section = currentSection;
    } else if (line.kind == IniLine::Kind::Key) {
      line.section = currentSection;
      foldedKey = FoldCase(line.name);
    }
    lines_.push_back(std::move(line));
    foldedKeys_.push_back(std::move(foldedKey));
    begin = end;
  }
}

IniLine IniDocument::ParseLine(const std::vector<std::uint16_t>& units, std::size_t begin, std::size_t textEnd) {
  IniLine line;
  line.begin = begin;
  line.textEnd = textEnd;
  std::size_t first = begin, last = textEnd;
  while (first < last && IsBlankUnit(units[first])) ++first;
  while (last > first && IsBlankUnit(units[last - 1])) --last;
  if (first == last || units[first] == ';' || units[first] == '#') return line;

  if (units[first] == '[') {
    // The name runs to the first ']'; a header without one still opens a
    // section named by the rest of the line.
    std::size_t close = first + 1;
    while (close < last && units[close] != ']') ++close;
    std::size_t nameBegin = first + 1, nameEnd = close;
    while (nameBegin < nameEnd && IsBlankUnit(units[nameBegin])) ++nameBegin;
    while (nameEnd > nameBegin && IsBlankUnit(units[nameEnd - 1])) --nameEnd;
    line.kind = IniLine::Kind::Header;
    line.name = Decode(units, nameBegin, nameEnd);
    return line;
  }

  std::size_t equals = first;
  while (equals < last && units[equals] != '=') ++equals;
  if (equals == last) return line;  // no '=': not a key
  std::size_t keyEnd = equals;
  while (keyEnd > first && IsBlankUnit(units[keyEnd - 1])) --keyEnd;
  if (keyEnd == first) return line;  // "=value" names no key

  std::size_t valueBegin = equals + 1;
  while (valueBegin < last && IsBlankUnit(units[valueBegin])) ++valueBegin;
  line.kind = IniLine::Kind::Key;
  line.name = Decode(units, first, keyEnd);
  if (valueBegin == last) {
    line.valueBegin = line.valueEnd = equals + 1;
    return line;
  }
  line.valueBegin = valueBegin;
  line.valueEnd = last;
  const std::uint16_t quote = units[valueBegin];
  if (last - valueBegin >= 2 && (quote == '"' || quote == '\'') && units[last - 1] == quote) {
    line.value = Decode(units, valueBegin + 1, last - 1);
  } else {
    line.value = Decode(units, valueBegin, last);
  }
  return line;
}

int IniDocument::SectionId(std::string_view section) const {
  const auto it = sectionIds_.find(NormalizedName(section));
  return it == sectionIds_.end() ? -1 : it->second;
}

long IniDocument::FirstHeaderLine(std::string_view section) const {
  const int id = SectionId(section);
  return id < 0 ? -1 : static_cast<long>(firstHeaderLine_[static_cast<std::size_t>(id)]);
}

bool IniDocument::SectionHasKeys(std::string_view section) const {
  const int id = SectionId(section);
  if (id < 0) return false;
  for (const IniLine& line : lines_) {
    if (line.kind == IniLine::Kind::Key && line.section == id) return true;
  }
  return false;
}

const IniLine* IniDocument::FindKey(std::string_view section, std::string_view key) const {
  const int id = SectionId(section);
  if (id < 0) return nullptr;
  const std::string foldedKey = NormalizedName(key);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const IniLine& line = lines_[i];
    if (line.kind == IniLine::Kind::Key && line.section == id && foldedKeys_[i] == foldedKey) return &line;
  }
  return nullptr;
}

std::vector<const IniLine*> IniDocument::KeyLines(std::string_view section) const {
  std::vector<const IniLine*> keys;
  const int id = SectionId(section);
  if (id < 0) return keys;
  for (const IniLine& line : lines_) {
    if (line.kind == IniLine::Kind::Key && line.section == id) keys.push_back(&line);
  }
  return keys;
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    const std::string& defaultValue) const {
  const IniLine* line = FindKey(section, key);
  return line ? line->value : defaultValue;
}

std::int32_t IniDocument::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t defaultValue) const {
  const IniLine* line = FindKey(section, key);
  if (!line) return defaultValue;
  return ParseInt32(line->value).value_or(defaultValue);
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> IniDocument::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> values;
  for (const IniLine* line : KeyLines(section)) values.push_back(line->name + "=" + line->value);
  return values;
}

}  // namespace vellumo
