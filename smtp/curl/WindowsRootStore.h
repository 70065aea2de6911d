#pragma once
// The certificates Windows trusts as roots of TLS servers, as PEM text that
// libcurl takes as its CA certificates (CURLOPT_CAINFO_BLOB), so that
// libcurl's own chain and host-name check runs against Windows' roots.
// Windows only.
#include <optional>
#include <string>

namespace vellumo {

// The roots of the user's and the machine's ROOT and AuthRoot stores
// (AuthRoot is where Windows puts the roots it fetches on demand), without
// those in the Disallowed store or restricted to other uses than server
// authentication. Nothing when the ROOT store cannot be opened.
std::optional<std::string> WindowsRootCertificatesPem();

// `der` as one PEM "CERTIFICATE" block.
std::string CertificatePem(const unsigned char* der, unsigned long size);

}  // namespace vellumo
