// What only the Windows side of the file seam does: wide paths, other
// programs' sharing modes, pipes.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

#include "fakes/TempDirectory.h"
#include "platform/FileSystem.h"
#include "platform/windows/Utf16.h"
#include "platform/windows/WindowsApi.h"

namespace vellumo::testing {
namespace {

std::string Utf8Path(const std::filesystem::path& path) { return windows::Utf8(path.wstring()); }

FileEdit Append(const std::string& tail) {
  return [tail](const FileBytes& now) -> std::optional<std::string> { return now.bytes + tail; };
}

TEST(WindowsFiles, APathOutsideTheAnsiCodePageIsReadAndEdited) {
  TempDirectory dir;
  // Accents, Greek and Chinese: no ANSI code page holds them all.
  const std::filesystem::path folder =
      dir.Path() / L"Donn\u00e9es \u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u4e2d\u6587";
  std::filesystem::create_directory(folder);
  std::ofstream(folder / L"fiche \u00e9t\u00e9.ini", std::ios::binary) << "[Email]\r\n";
  const std::string path = Utf8Path(dir.Path()) +
                           "\\Donn\xC3\xA9"
                           "es \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1 "
                           "\xE4\xB8\xAD\xE6\x96\x87\\fiche \xC3\xA9t\xC3\xA9.ini";

  EXPECT_EQ(NativeFileSystem().ReadFile(path).bytes, "[Email]\r\n");
  EXPECT_TRUE(NativeFileSystem().EditFile(path, Append("A=1\r\n")).Done());

  EXPECT_EQ(ReadFileBytes(folder / L"fiche \u00e9t\u00e9.ini"), "[Email]\r\nA=1\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(WindowsFiles, AFileTheHostHoldsOpenIsWrittenInPlace) {
  TempDirectory dir;
  const std::string path = dir.Write("host.ini", "[Email]\r\n");
  // Open as a host may keep it: others may read and write, not delete or
  // rename, so it cannot be replaced.
  const HANDLE held =
      ::CreateFileW(windows::Utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  const FileStatus status = NativeFileSystem().EditFile(path, Append("A=1\r\n"));
  ::CloseHandle(held);

  EXPECT_TRUE(status.Done()) << status.error;
  EXPECT_EQ(dir.Read("host.ini"), "[Email]\r\nA=1\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(WindowsFiles, TheMarkerKeepsTheFileAttributes) {
  TempDirectory dir;
  const std::string path = dir.Write("host.ini", "[Email]\r\n");
  const std::wstring wide = windows::Utf16(path);
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN));

  EXPECT_TRUE(NativeFileSystem().EditFile(path, Append("A=1\r\n")).Done());

  EXPECT_EQ(::GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN,
            DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(dir.Read("host.ini"), "[Email]\r\nA=1\r\n");
}

TEST(WindowsFiles, DevicesAndPipesAreRefusedWithoutWaiting) {
  TempDirectory dir;
  const std::wstring pipe =
      L"\\\\.\\pipe\\vellumo-test-" + std::to_wstring(::GetCurrentProcessId());
  const HANDLE server =
      ::CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 4, 0, 0, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const std::string destination = (dir.Path() / "copie.pdf").string();

  // NUL looks like a file until it is open; a pipe waits for its writer.
  for (const std::wstring& source : {std::wstring(L"NUL"), pipe}) {
    auto copy = std::async(std::launch::async, [&] {
      return NativeFileSystem().CopyFile(windows::Utf8(source), destination);
    });
    const bool waited = copy.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
    // A stuck read ends when the server goes.
    if (waited) ::CloseHandle(server);
    EXPECT_FALSE(waited) << "the copy waited on " << windows::Utf8(source);
    EXPECT_EQ(copy.get(), CopyResult::Failed) << windows::Utf8(source);
    EXPECT_FALSE(std::filesystem::exists(destination));
    if (waited) return;
  }
  ::CloseHandle(server);
}

}  // namespace
}  // namespace vellumo::testing
