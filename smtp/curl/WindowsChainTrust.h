#pragma once
// Windows' own judgement of a TLS server's certificates: the chain built by
// Windows' chain engine (which fetches a missing root on demand and then
// installs it), checked by Windows' SSL policy for the host name. Windows
// only.
#include <optional>
#include <string>
#include <vector>

namespace vellumo {

// The root, as PEM, of the chain Windows builds from `serverCertificates`
// (PEM, the server's own first or not: the one no other was issued by is
// taken as the server's) when Windows trusts that chain for `host`,
// revocation aside. Nothing when Windows does not trust it.
std::optional<std::string> WindowsTrustedRoot(const std::vector<std::string>& serverCertificates,
                                              const std::string& host);

}  // namespace vellumo
