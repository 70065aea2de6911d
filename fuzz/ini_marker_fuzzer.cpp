// Writing the marker into arbitrary file bytes: every other section reads as
// before, the marker reads back, and the old bytes survive around one splice.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "config/TextEncoding.h"
#include "fuzz/FuzzFile.h"

namespace {

using namespace vellumo;

constexpr const char* kSection = "ExportationMailErreur";
constexpr const char* kKey = "Erreur";

void Check(bool condition) {
  if (!condition) abort();
}

struct SectionReading {
  bool exists = false;
  std::vector<std::string> listing;
  std::vector<std::string> values;  // ReadString of each listed key
  bool operator==(const SectionReading&) const = default;
};

std::map<std::string, SectionReading> ReadOtherSections(const IniFile& ini, const std::vector<std::string>& names) {
  std::map<std::string, SectionReading> readings;
  for (const std::string& name : names) {
    SectionReading reading;
    reading.exists = ini.SectionExists(name);
    reading.listing = ini.ReadSectionValues(name);
    for (const std::string& line : reading.listing) {
      reading.values.push_back(ini.ReadString(name, line.substr(0, line.find('=')), "\x01"));
    }
    readings[name] = reading;
  }
  return readings;
}

// The old bytes must be the new ones with at most the old marker value
// replaced: a common prefix and suffix cover all the rest.
bool OneSplice(const IniDocument& document, const std::string& after) {
  const std::string& before = document.Bytes();
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::size_t removed = before.size() - prefix - suffix;
  if (removed == 0) return true;
  const IniLine* old = document.FindKey(kSection, kKey);
  return old && removed <= document.ByteOffset(old->valueEnd) - document.ByteOffset(old->valueBegin);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string before(reinterpret_cast<const char*>(data), size);
  vellumo::fuzz::WriteScratch(data, size);

  std::vector<std::string> names;
  const IniDocument document(before);
  const std::string marker = NormalizedName(kSection);
  for (const IniLine& line : document.Lines()) {
    if (line.kind == IniLine::Kind::Header && NormalizedName(line.name) != marker) names.push_back(line.name);
  }

  IniFile ini(vellumo::fuzz::ScratchPath());
  const auto readingsBefore = ReadOtherSections(ini, names);
  ini.WriteBool(kSection, kKey, true);
  const std::string after = vellumo::fuzz::ReadScratch();

  Check(ini.ReadBool(kSection, kKey, false));
  Check(OneSplice(document, after));
  // Removing the old value can take away the only bytes that were not
  // UTF-8; the rest of the file then reads as UTF-8 instead of
  // Windows-1252, and other values may read differently.
  const TextEncoding oldEncoding = DetectEncoding(before), newEncoding = DetectEncoding(after);
  if (oldEncoding == newEncoding) {
    Check(ReadOtherSections(ini, names) == readingsBefore);
  } else {
    Check(oldEncoding == TextEncoding::Windows1252 && newEncoding == TextEncoding::Utf8);
  }

  // A second write has nothing left to change.
  ini.WriteBool(kSection, kKey, true);
  Check(vellumo::fuzz::ReadScratch() == after);
  return 0;
}
