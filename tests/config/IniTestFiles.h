#pragma once
// Scratch folders and raw file bytes for the INI file tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "fakes/TempDirectory.h"

namespace vellumo::testing {

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ASCII text as UTF-16 bytes with a BOM; non-ASCII characters are spelled
// out by the tests themselves.
inline std::string Utf16(const std::string& ascii, bool littleEndian) {
  std::string out = littleEndian ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
  for (const char c : ascii) {
    out += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return out;
}

class ScratchFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = std::make_unique<TempDirectory>();
    folder_ = scratch_->Path().string();
  }
  void TearDown() override { scratch_.reset(); }
  std::string PathOf(const std::string& name) const { return (std::filesystem::path(folder_) / name).string(); }
  std::string WriteFile(const std::string& name, const std::string& bytes) const {
    const std::string path = PathOf(name);
    WriteBytes(path, bytes);
    return path;
  }

  std::unique_ptr<TempDirectory> scratch_;
  std::string folder_;
};

}  // namespace vellumo::testing
