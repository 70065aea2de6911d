#pragma once
// Makes libcurl SMTP clients and owns them until it is destroyed, as the
// application object does for the account objects that borrow them.
#include <memory>
#include <vector>

#include "smtp/SmtpClient.h"
#include "smtp/curl/CurlSmtpOptions.h"

namespace vellumo {

class CurlSmtpClient;

class CurlSmtpClientFactory : public SmtpClientFactory {
 public:
  explicit CurlSmtpClientFactory(CurlSmtpOptions options = {});
  ~CurlSmtpClientFactory() override;
  CurlSmtpClientFactory(const CurlSmtpClientFactory&) = delete;
  CurlSmtpClientFactory& operator=(const CurlSmtpClientFactory&) = delete;

  // A new client for `account` with the factory's options; nullptr if
  // libcurl cannot be initialised.
  SmtpClient* CreateClient(const SmtpAccount& account) override;

 private:
  CurlSmtpOptions options_;
  std::vector<std::unique_ptr<CurlSmtpClient>> clients_;
};

}  // namespace vellumo
