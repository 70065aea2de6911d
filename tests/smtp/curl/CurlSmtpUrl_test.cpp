// The URL handed to libcurl for a session.
#include "smtp/curl/CurlSmtpUrl.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vellumo {
namespace {

struct UrlRow {
  std::string host;
  std::uint16_t port;
  bool implicitTls;
  std::string ehloName;
  std::optional<std::string> expected;
};

TEST(CurlSmtpUrl, Table) {
  const UrlRow rows[] = {
      {"smtp.exemple.fr", 25, false, "poste", "smtp://smtp.exemple.fr:25/poste"},
      {"smtp.exemple.fr", 465, true, "poste", "smtps://smtp.exemple.fr:465/poste"},
      {"127.0.0.1", 2525, false, "a", "smtp://127.0.0.1:2525/a"},
      {"::1", 25, false, "a", "smtp://[::1]:25/a"},
      {"[2001:db8::5]", 587, false, "a", "smtp://[2001:db8::5]:587/a"},
      {"[smtp.exemple.fr]", 25, false, "a", std::nullopt},
      {"smtp.exémple.fr", 25, false, "a", "smtp://smtp.exémple.fr:25/a"},  // IDN left to libcurl
      {"smtp.exemple.fr", 0, false, "a", "smtp://smtp.exemple.fr:0/a"},
      {"smtp.exemple.fr", 65535, false, "a", "smtp://smtp.exemple.fr:65535/a"},
      {"", 25, false, "a", std::nullopt},
      {"user@smtp.exemple.fr", 25, false, "a", std::nullopt},
      {"smtp.exemple.fr/x", 25, false, "a", std::nullopt},
      {"smtp.exemple.fr:26", 25, false, "a", std::nullopt},
      {"smtp.exemple.fr?x", 25, false, "a", std::nullopt},
      {"smtp.exemple.fr#x", 25, false, "a", std::nullopt},
      {"smtp exemple.fr", 25, false, "a", std::nullopt},
      {" smtp.exemple.fr", 25, false, "a", std::nullopt},
      {"smtp.exemple.fr\r\nRCPT", 25, false, "a", std::nullopt},
      {"smtp.exemple.fr", 25, false, "po ste", std::nullopt},
      {"smtp.exemple.fr", 25, false, "poste/x", std::nullopt},
  };
  for (const UrlRow& row : rows) {
    EXPECT_EQ(BuildSmtpUrl(row.host, row.port, row.implicitTls, row.ehloName), row.expected)
        << "host: " << row.host << " name: " << row.ehloName;
  }
}

}  // namespace
}  // namespace vellumo
