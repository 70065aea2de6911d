#pragma once
// Until the libcurl side reports its own structured failures, it still
// throws the message's error type.
#include "mail/MailError.h"
