#include "mail/PriorityHeaders.h"

namespace vellumo {

std::vector<std::string> PriorityHeaderLines(std::uint8_t priority) {
  struct Level {
    const char* xPriority;
    const char* msMail;
    const char* importance;
  };
  static constexpr Level kLevels[] = {
      {"1 (Highest)", "High", "high"},  {"2 (High)", "High", "high"},
      {"3 (Normal)", "Normal", "normal"}, {"4 (Low)", "Low", "low"},
      {"5 (Lowest)", "Low", "low"},
  };
  constexpr std::size_t kNormal = 2;
  const std::size_t index = priority < std::size(kLevels) ? priority : kNormal;
  const Level& level = kLevels[index];
  return {std::string("X-Priority: ") + level.xPriority,
          std::string("X-MSMail-Priority: ") + level.msMail,
          std::string("Importance: ") + level.importance};
}

}  // namespace vellumo
