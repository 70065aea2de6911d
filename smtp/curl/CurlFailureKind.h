#pragma once
// How a failed libcurl transfer is reported: libcurl's code sorted into the
// kinds of failure the run tells apart.
#include <curl/curl.h>

#include "smtp/SmtpFailure.h"

namespace vellumo {

SmtpFailureKind FailureKindOf(CURLcode code);

}  // namespace vellumo
