#include "smtp/curl/CurlSmtpClientFactory.h"

#include <utility>

#include "smtp/SmtpFailure.h"
#include "smtp/curl/CurlSmtpClient.h"

namespace vellumo {

CurlSmtpClientFactory::CurlSmtpClientFactory(CurlSmtpOptions options)
    : options_(std::move(options)) {}

CurlSmtpClientFactory::~CurlSmtpClientFactory() = default;

SmtpClient* CurlSmtpClientFactory::CreateClient(const SmtpAccount& account) {
  try {
    clients_.push_back(std::make_unique<CurlSmtpClient>(account, options_));
  } catch (const SmtpFailure&) {
    return nullptr;
  }
  return clients_.back().get();
}

}  // namespace vellumo
