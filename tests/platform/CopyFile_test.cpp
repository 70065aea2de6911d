// The manual save's copy on real files: all or nothing, never onto itself,
// never waiting on a pipe.
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <future>

#include "fakes/TempDirectory.h"
#include "platform/FileSystem.h"

namespace vellumo::testing {
namespace {

TEST(FileCopy, OverwritesAnExistingFileAndLeavesNoTemporary) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", std::string("%PDF\0 bytes", 11));
  std::filesystem::create_directory(dir.Path() / "out");
  const auto destination = dir.Write("out/c.pdf", "old content that is longer");

  EXPECT_EQ(NativeFileSystem().CopyFile(source, destination), CopyResult::Copied);

  EXPECT_EQ(ReadFileBytes(destination), std::string("%PDF\0 bytes", 11));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "out"), {}), 1);
}

TEST(FileCopy, RefusesToCopyAFileOntoItselfAndKeepsIt) {
  TempDirectory dir;
  const auto source = dir.Write("c.pdf", "precious order");
  EXPECT_EQ(NativeFileSystem().CopyFile(source, source), CopyResult::Failed);
  const auto sameThroughDot = (dir.Path() / "." / "c.pdf").string();
  EXPECT_EQ(NativeFileSystem().CopyFile(source, sameThroughDot), CopyResult::Failed);
  EXPECT_EQ(ReadFileBytes(source), "precious order");
}

TEST(FileCopy, FailuresLeaveNothingBehind) {
  TempDirectory dir;
  const auto source = dir.Write("c.pdf", "order");
  // Missing source.
  EXPECT_EQ(NativeFileSystem().CopyFile((dir.Path() / "nope.pdf").string(),
                                          (dir.Path() / "x.pdf").string()),
            CopyResult::Failed);
  // A destination folder that is a file.
  const auto notAFolder = dir.Write("plain", "x");
  EXPECT_EQ(NativeFileSystem().CopyFile(source, notAFolder + "/c.pdf"), CopyResult::Failed);
  // A destination that is a folder.
  std::filesystem::create_directory(dir.Path() / "taken");
  EXPECT_EQ(NativeFileSystem().CopyFile(source, (dir.Path() / "taken").string()),
            CopyResult::Failed);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
  EXPECT_EQ(ReadFileBytes(source), "order");
}

TEST(FileCopy, AReadOnlyDestinationIsRefusedAndKept) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", "order");
  const auto destination = dir.Write("c.pdf", "kept");
  ::chmod(destination.c_str(), 0444);

  EXPECT_EQ(NativeFileSystem().CopyFile(source, destination), CopyResult::DestinationReadOnly);

  EXPECT_EQ(ReadFileBytes(destination), "kept");
  EXPECT_EQ(std::filesystem::status(destination).permissions(), std::filesystem::perms{0444});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(FileCopy, ANameNearTheLengthLimitIsCopied) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", "order");
  const auto destination = (dir.Path() / (std::string(244, 'c') + ".pdf")).string();

  EXPECT_EQ(NativeFileSystem().CopyFile(source, destination), CopyResult::Copied);
  EXPECT_EQ(ReadFileBytes(destination), "order");
}

#ifndef _WIN32
// Modes and FIFOs are POSIX's own.
mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(FileCopy, AReplacedFileKeepsItsModeANewOneGetsTheUmasks) {
  TempDirectory dir;
  const auto source = dir.Write("source.pdf", "order");
  const auto replaced = dir.Write("replaced.pdf", "old");
  ::chmod(replaced.c_str(), 0604);
  const auto fresh = (dir.Path() / "fresh.pdf").string();

  const mode_t mask = ::umask(027);
  const CopyResult replacing = NativeFileSystem().CopyFile(source, replaced);
  const CopyResult creating = NativeFileSystem().CopyFile(source, fresh);
  ::umask(mask);

  EXPECT_EQ(replacing, CopyResult::Copied);
  EXPECT_EQ(creating, CopyResult::Copied);
  EXPECT_EQ(ModeOf(replaced), 0604u);
  EXPECT_EQ(ModeOf(fresh), 0640u);
}

TEST(FileCopy, APipeIsRefusedWithoutWaiting) {
  TempDirectory dir;
  const auto pipe = (dir.Path() / "c.pdf").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const auto destination = (dir.Path() / "copie.pdf").string();

  auto copy = std::async(std::launch::async,
                         [&] { return NativeFileSystem().CopyFile(pipe, destination); });
  if (copy.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    // Stuck opening the pipe: a writer lets it go, so that the test ends.
    ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    ADD_FAILURE() << "the copy waited on the pipe";
  }
  EXPECT_EQ(copy.get(), CopyResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(destination));
}

#endif

}  // namespace
}  // namespace vellumo::testing
