#include "fakes/TempDirectory.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vellumo::testing {

#ifdef _WIN32
TempDirectory::TempDirectory() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("GetTempPathW failed");
  // CreateDirectoryW makes the name ours; the clock and the counter pick it.
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name = L"vellumo-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount64() % 1000000) + L"-" +
                              std::to_wstring(++counter);
    const std::wstring folder = std::wstring(temp, length) + name;
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
      path_ = folder;
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("CreateDirectoryW failed");
}
#else
TempDirectory::TempDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vellumo-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}
#endif

TempDirectory::~TempDirectory() {
  std::error_code ignored;
#ifdef _WIN32
  // Windows deletes no read-only file.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
  }
#endif
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDirectory::Write(const std::string& name, const std::string& bytes) const {
  const auto file = path_ / name;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + file.string());
  return file.string();
}

std::string TempDirectory::Read(const std::string& name) const { return ReadFileBytes(path_ / name); }

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace vellumo::testing
