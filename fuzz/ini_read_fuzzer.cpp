// Every read on arbitrary file bytes: no crash, UTF-8 out, reads that agree
// with each other.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/TextEncoding.h"
#include "text/Utf8.h"
#include "fuzz/FuzzFile.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

// Names taken from the input itself, so that fuzzed names are asked for too.
std::string SectionFromInput(const std::string& bytes) {
  const auto open = bytes.find('[');
  if (open == std::string::npos) return "Email";
  const auto close = bytes.find(']', open);
  return bytes.substr(open + 1, close == std::string::npos ? 16 : std::min<std::size_t>(close - open - 1, 64));
}

std::string KeyFromInput(const std::string& bytes) {
  const auto equals = bytes.find('=');
  if (equals == std::string::npos) return "Objet";
  const auto lineStart = bytes.rfind('\n', equals);
  const std::size_t begin = lineStart == std::string::npos ? 0 : lineStart + 1;
  return bytes.substr(begin, std::min<std::size_t>(equals - begin, 64));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vellumo;
  vellumo::fuzz::WriteScratch(data, size);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const IniFile ini(vellumo::fuzz::ScratchPath());

  const std::vector<std::string> sections = {"Email", "EmailCorps", "", SectionFromInput(bytes)};
  const std::vector<std::string> keys = {"EnvoiMode", "Objet", "", KeyFromInput(bytes)};
  for (const std::string& section : sections) {
    const std::vector<std::string> listing = ini.ReadSectionValues(section);
    Check(ini.SectionExists(section) == !listing.empty());
    for (const std::string& line : listing) {
      Check(IsValidUtf8(line));
      const auto equals = line.find('=');
      Check(equals != std::string::npos && equals > 0);
      // The key of every listed line reads back (the first of its name).
      const std::string key = line.substr(0, equals);
      Check(ini.ReadString(section, key, "\x01") != "\x01");
    }
    for (const std::string& key : keys) {
      const std::string text = ini.ReadString(section, key, "");
      Check(IsValidUtf8(text));
      const std::int32_t low = ini.ReadInteger(section, key, 0), high = ini.ReadInteger(section, key, 1);
      const bool numeric = low == high;
      Check(ini.ReadBool(section, key, false) == (numeric ? low != 0 : false));
      Check(ini.ReadBool(section, key, true) == (numeric ? low != 0 : true));
    }
  }
  return 0;
}
