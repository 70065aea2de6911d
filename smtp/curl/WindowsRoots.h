#pragma once
// Windows' trust for libcurl on Schannel. libcurl checks the server's chain
// and host name itself when handed CA certificates: it is handed the roots
// of Windows' stores. Windows, though, fetches a missing root on demand
// while it builds a chain, so a server Windows trusts can fail against the
// roots read before: then Windows itself is asked, and the check runs once
// more with what it trusts. Windows only.
#include <curl/curl.h>

#include <optional>
#include <string>

#include "smtp/NetworkWaitObserver.h"
#include "smtp/SmtpFailure.h"

namespace vellumo {

// Hands `handle` the roots Windows trusts now, plus `extraRoot` (PEM);
// throws SmtpFailure when the ROOT store cannot be read.
void UseWindowsRoots(CURL* handle, const std::string& extraRoot = {});

// After `failure` of a transfer on `handle`: when libcurl found no trusted
// root for the server's chain, reads the server's certificates on a
// connection of their own that checks nothing and sends no login (its
// waits call `observer`, which may cancel: SmtpFailure), and asks Windows
// about them. The root of the chain when Windows trusts it for the
// failure's host; nothing otherwise.
std::optional<std::string> RootWindowsTrusts(const SmtpFailureDetails& failure, CURL* handle,
                                             long timeoutSeconds, NetworkWaitObserver* observer);

}  // namespace vellumo
