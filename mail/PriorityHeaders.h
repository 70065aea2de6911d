#pragma once
// Header lines that make common mail programs show the message's priority.
#include <cstdint>
#include <string>
#include <vector>

namespace vellumo {

// X-Priority, X-MSMail-Priority and Importance for the five levels
// 0 (highest) to 4 (lowest); any other value is sent as normal.
std::vector<std::string> PriorityHeaderLines(std::uint8_t priority);

}  // namespace vellumo
