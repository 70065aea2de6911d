#pragma once
// Certificates for TLS tests, made with the openssl command at test time in
// a temporary folder: a test CA and server certificates signed by it (good,
// for another host name, expired), plus a self-signed one. Nothing touches
// the machine's trust store; clients trust CaFile() explicitly.
#include <string>

#include "fakes/TempDirectory.h"

namespace vellumo::testing {

struct CertificatePair {
  std::string CertFile;
  std::string KeyFile;
};

class TestCertificates {
 public:
  // Generates everything; throws std::runtime_error when openssl fails.
  TestCertificates();

  const std::string& CaFile() const { return caFile_; }
  // For 127.0.0.1 and localhost, signed by the CA, valid now.
  const CertificatePair& Trusted() const { return trusted_; }
  // For 127.0.0.1, signed by itself.
  const CertificatePair& SelfSigned() const { return selfSigned_; }
  // Signed by the CA, valid now, for other.example.org only.
  const CertificatePair& OtherHost() const { return otherHost_; }
  // For 127.0.0.1, signed by the CA, valid only in January 2020.
  const CertificatePair& Expired() const { return expired_; }

 private:
  void Run(const std::string& command) const;
  std::string File(const std::string& name) const;
  CertificatePair SignedByCa(const std::string& name, const std::string& subjectAltName);

  TempDirectory dir_;
  std::string caFile_;
  CertificatePair trusted_;
  CertificatePair selfSigned_;
  CertificatePair otherHost_;
  CertificatePair expired_;
};

}  // namespace vellumo::testing
