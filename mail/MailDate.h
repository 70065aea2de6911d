#pragma once
// The Date header's value.
#include <ctime>
#include <string>

namespace vellumo {

// RFC 5322 date-time of `now` in UTC: "Tue, 05 Mar 2024 14:07:09 +0000".
// English names whatever the locale; no platform time-zone call.
std::string FormatMailDate(std::time_t now);

}  // namespace vellumo
