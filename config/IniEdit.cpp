#include "config/IniEdit.h"

namespace vellumo {
namespace {

bool HasLineBreakOrNul(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool HasOuterBlank(std::string_view name) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  return name.empty() || blank(name.front()) || blank(name.back());
}

std::string Splice(const IniDocument& document, std::size_t fromUnit, std::size_t toUnit, std::string_view utf8) {
  const std::string& bytes = document.Bytes();
  const std::size_t from = document.ByteOffset(fromUnit), to = document.ByteOffset(toUnit);
  std::string result;
  const std::string inserted = EncodeUtf8(utf8, document.Encoding());
  result.reserve(bytes.size() + inserted.size());
  result.append(bytes, 0, from);
  result += inserted;
  result.append(bytes, to, std::string::npos);
  return result;
}

}  // namespace

bool IsWritableSectionName(std::string_view name) {
  return !HasOuterBlank(name) && !HasLineBreakOrNul(name) && name.find(']') == std::string_view::npos;
}

bool IsWritableKeyName(std::string_view name) {
  return !HasOuterBlank(name) && !HasLineBreakOrNul(name) && name.find('=') == std::string_view::npos &&
         name.front() != '[' && name.front() != ';' && name.front() != '#';
}

std::string WithValue(const IniDocument& document, std::string_view section, std::string_view key,
                      std::string_view value) {
  if (const IniLine* line = document.FindKey(section, key)) {
    return Splice(document, line->valueBegin, line->valueEnd, value);
  }

  const std::string lineBreak(document.LineBreak());
  const std::string keyLine = std::string(key) + "=" + std::string(value) + lineBreak;
  const std::vector<IniLine>& lines = document.Lines();
  const long header = document.FirstHeaderLine(section);
  if (header >= 0) {
    // After the last key line under that header, before the blank and
    // comment lines that may close it.
    std::size_t after = static_cast<std::size_t>(header);
    for (std::size_t i = after + 1; i < lines.size() && lines[i].kind != IniLine::Kind::Header; ++i) {
      if (lines[i].kind == IniLine::Kind::Key) after = i;
    }
    const IniLine& previous = lines[after];
    return Splice(document, previous.end, previous.end, (previous.HasLineBreak() ? "" : lineBreak) + keyLine);
  }

  const bool needsBreak = !lines.empty() && !lines.back().HasLineBreak();
  const std::string text =
      (needsBreak ? lineBreak : std::string()) + "[" + std::string(section) + "]" + lineBreak + keyLine;
  return Splice(document, document.UnitCount(), document.UnitCount(), text);
}

std::string WithoutKey(const IniDocument& document, std::string_view section, std::string_view key,
                       bool dropBareHeader) {
  const IniLine* line = document.FindKey(section, key);
  if (!line) return document.Bytes();
  const std::vector<IniLine>& lines = document.Lines();
  const std::size_t index = static_cast<std::size_t>(line - lines.data());
  std::size_t from = line->begin;
  const long header = document.FirstHeaderLine(section);
  const bool last = index + 1 == lines.size() || lines[index + 1].kind == IniLine::Kind::Header;
  if (dropBareHeader && header >= 0 && static_cast<std::size_t>(header) + 1 == index && last) {
    from = lines[static_cast<std::size_t>(header)].begin;
  }
  return Splice(document, from, line->end, "");
}

}  // namespace vellumo
