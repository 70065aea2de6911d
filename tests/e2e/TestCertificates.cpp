#include "e2e/TestCertificates.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace vellumo::testing {
namespace {

// Our own configuration, so that the machine's openssl.cnf plays no part.
constexpr const char* kConfig = R"(
[req]
distinguished_name = dn
prompt = no
[dn]
CN = unused
[ca_ext]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
subjectKeyIdentifier = hash
[server_ext]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = ${ENV::VELLUMO_SAN}
[ca]
default_ca = test_ca
[test_ca]
database = ${ENV::VELLUMO_CA_DIR}/index.txt
new_certs_dir = ${ENV::VELLUMO_CA_DIR}
serial = ${ENV::VELLUMO_CA_DIR}/serial
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
)";

constexpr const char* kNewKey = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";

}  // namespace

std::string TestCertificates::File(const std::string& name) const {
  return (dir_.Path() / name).string();
}

void TestCertificates::Run(const std::string& command) const {
  const std::string full = "cd '" + dir_.Path().string() + "' && VELLUMO_CA_DIR='" +
                           dir_.Path().string() + "' " + command + " >openssl.log 2>&1";
  if (std::system(full.c_str()) != 0) {
    throw std::runtime_error("openssl failed: " + command + "\n" + dir_.Read("openssl.log"));
  }
}

CertificatePair TestCertificates::SignedByCa(const std::string& name,
                                             const std::string& subjectAltName) {
  Run("VELLUMO_SAN='" + subjectAltName + "' openssl req -new -config openssl.cnf" + kNewKey +
      " -keyout " + name + ".key -out " + name + ".csr -subj '/CN=" + name + "'");
  Run("VELLUMO_SAN='" + subjectAltName +
      "' openssl x509 -req -in " + name + ".csr -CA ca.pem -CAkey ca.key -CAcreateserial"
      " -days 2 -extfile openssl.cnf -extensions server_ext -out " + name + ".pem");
  return {File(name + ".pem"), File(name + ".key")};
}

TestCertificates::TestCertificates() {
  dir_.Write("openssl.cnf", kConfig);
  dir_.Write("index.txt", "");
  dir_.Write("serial", "1000\n");

  Run("VELLUMO_SAN=DNS:unused openssl req -x509 -config openssl.cnf" + std::string(kNewKey) +
      " -keyout ca.key -out ca.pem -days 2 -subj '/CN=Vellumo Test CA' -extensions ca_ext");
  caFile_ = File("ca.pem");

  trusted_ = SignedByCa("trusted", "IP:127.0.0.1,DNS:localhost");
  otherHost_ = SignedByCa("other", "DNS:other.example.org");

  Run("VELLUMO_SAN=IP:127.0.0.1 openssl req -x509 -config openssl.cnf" + std::string(kNewKey) +
      " -keyout self.key -out self.pem -days 2 -subj '/CN=127.0.0.1' -extensions server_ext");
  selfSigned_ = {File("self.pem"), File("self.key")};

  // openssl x509 cannot back-date; the ca command takes explicit dates.
  Run("VELLUMO_SAN=IP:127.0.0.1 openssl req -new -config openssl.cnf" + std::string(kNewKey) +
      " -keyout expired.key -out expired.csr -subj '/CN=127.0.0.1'");
  Run("VELLUMO_SAN=IP:127.0.0.1 openssl ca -batch -notext -config openssl.cnf -cert ca.pem"
      " -keyfile ca.key -in expired.csr -out expired.pem -startdate 20200101000000Z"
      " -enddate 20200131000000Z -extfile openssl.cnf -extensions server_ext");
  expired_ = {File("expired.pem"), File("expired.key")};
}

}  // namespace vellumo::testing
