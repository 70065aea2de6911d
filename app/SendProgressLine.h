#pragma once
// The mail group's send line during a long send: once the send has lasted
// about a second it shows the share sent, "Envoi (37 %)", a few times a
// second; when the step ends it says "Envoi" again.
#include <chrono>
#include <cstdint>

namespace vellumo {

class Toolkit;

class SendProgressLine {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kShownAfter{1000};
  static constexpr std::chrono::milliseconds kUpdateEvery{250};

  SendProgressLine(Toolkit& toolkit, Clock::time_point started);
  // Puts the line back as designed, if it was changed.
  ~SendProgressLine();
  SendProgressLine(const SendProgressLine&) = delete;
  SendProgressLine& operator=(const SendProgressLine&) = delete;

  // `sent` bytes of `total` have gone (total 0: not known yet).
  void Update(std::uint64_t sent, std::uint64_t total, Clock::time_point now);

 private:
  Toolkit& toolkit_;
  Clock::time_point started_;
  Clock::time_point lastShown_{};
  int shownPercent_ = -1;  // -1: the line still says "Envoi"
};

}  // namespace vellumo
