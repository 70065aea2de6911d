// The secret file's Windows side: what is read back is what was written,
// and the file on disk holds it protected, never in clear.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/SecretFile.h"

namespace vellumo {
namespace {

TEST(DpapiSecretFile, KeepsTheBytesProtectedAndGivesThemBack) {
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::filesystem::path folder =
      std::filesystem::path(temp) / ("vellumo-secret-" + std::to_string(GetCurrentProcessId()));
  const std::unique_ptr<SecretFile> file = SecretFileIn(folder.string(), "tokens.bin");

  EXPECT_EQ(file->Read(), std::string());  // none yet
  const std::string secret = R"({"refresh_token":"0.AAAA-secret-value"})";
  ASSERT_TRUE(file->Write(secret));
  EXPECT_EQ(file->Read(), secret);
  std::ifstream raw(folder / "tokens.bin", std::ios::binary);
  const std::string onDisk((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
  raw.close();
  EXPECT_FALSE(onDisk.empty());
  EXPECT_EQ(onDisk.find("secret-value"), std::string::npos);

  ASSERT_TRUE(file->Write("{}"));
  EXPECT_EQ(file->Read(), "{}");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vellumo
