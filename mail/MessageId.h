#pragma once
// The Message-ID header's value.
#include <ctime>
#include <string>
#include <string_view>

namespace vellumo {

// "<random.time@domain>", unique per call. `domain` falls back to
// "vellumo.localhost" when it is empty or not a plain host name.
std::string MakeMessageId(std::time_t now, std::string_view domain);

}  // namespace vellumo
