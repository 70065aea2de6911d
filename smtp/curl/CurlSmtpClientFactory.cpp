#include "smtp/curl/CurlSmtpClientFactory.h"

#include <utility>

#include "smtp/MailError.h"
#include "smtp/curl/CurlSmtpClient.h"

namespace vellumo {

CurlSmtpClientFactory::CurlSmtpClientFactory(CurlSmtpOptions options)
    : options_(std::move(options)) {}

CurlSmtpClientFactory::~CurlSmtpClientFactory() = default;

SmtpClient* CurlSmtpClientFactory::CreateClient() {
  try {
    clients_.push_back(std::make_unique<CurlSmtpClient>(options_));
  } catch (const MailError&) {
    return nullptr;
  }
  return clients_.back().get();
}

}  // namespace vellumo
