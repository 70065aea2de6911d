// The refresh-token cache over a secret file held in memory.
#include "smtp/RefreshTokenCache.h"

#include <gtest/gtest.h>

#include "platform/SecretFile.h"

namespace vellumo {
namespace {

class MemorySecretFile : public SecretFile {
 public:
  std::optional<std::string> Read() override { return content; }
  bool Write(const std::string& bytes) override {
    content = bytes;
    return true;
  }
  std::optional<std::string> content = std::string();
};

const RefreshTokenKey kKey{"https://login.exemple/token", "app", "ventes@exemple.fr"};

TEST(RefreshTokenCache, KeepsOneTokenPerEndpointClientAndMailbox) {
  MemorySecretFile file;
  RefreshTokenCache cache(file);
  RefreshTokenKey other = kKey;
  other.Mailbox = "compta@exemple.fr";
  ASSERT_TRUE(cache.Store(kKey, "ini", "r1"));
  ASSERT_TRUE(cache.Store(other, "ini", "autre"));
  ASSERT_TRUE(cache.Store(kKey, "ini", "r2"));
  EXPECT_EQ(cache.Find(kKey, "ini"), "r2");
  EXPECT_EQ(cache.Find(other, "ini"), "autre");
  ASSERT_TRUE(cache.Store(kKey, "ini", ""));
  EXPECT_FALSE(cache.Find(kKey, "ini"));
  EXPECT_EQ(cache.Find(other, "ini"), "autre");
}

TEST(RefreshTokenCache, ANewTokenInTheIniFileWins) {
  MemorySecretFile file;
  RefreshTokenCache cache(file);
  ASSERT_TRUE(cache.Store(kKey, "ini-1", "r1"));
  EXPECT_FALSE(cache.Find(kKey, "ini-2"));
}

TEST(RefreshTokenCache, AnUnreadableOrForeignFileReadsAsEmpty) {
  MemorySecretFile file;
  RefreshTokenCache cache(file);
  for (const char* content : {"", "not json", R"({"entries":[{"endpoint":1},7]})", "[]"}) {
    file.content = content;
    EXPECT_FALSE(cache.Find(kKey, "ini")) << content;
    EXPECT_TRUE(cache.Store(kKey, "ini", "r1")) << content;
    EXPECT_EQ(cache.Find(kKey, "ini"), "r1") << content;
  }
  file.content.reset();
  EXPECT_FALSE(cache.Find(kKey, "ini"));
}

}  // namespace
}  // namespace vellumo
