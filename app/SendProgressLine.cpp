#include "app/SendProgressLine.h"

#include <algorithm>

#include "app/Toolkit.h"
#include "app/UserTexts.h"

namespace vellumo {

SendProgressLine::SendProgressLine(Toolkit& toolkit, Clock::time_point started)
    : toolkit_(toolkit), started_(started) {}

SendProgressLine::~SendProgressLine() {
  if (shownPercent_ >= 0) toolkit_.SetStepText(Step::VellumoResultat, texts::kSendStep);
}

void SendProgressLine::Update(std::uint64_t sent, std::uint64_t total, Clock::time_point now) {
  if (total == 0 || now - started_ < kShownAfter) return;
  if (shownPercent_ >= 0 && now - lastShown_ < kUpdateEvery) return;
  // Computed on the share left, so that a huge total cannot overflow.
  const std::uint64_t done = std::min(sent, total);
  const int percent = static_cast<int>(100 - (total - done) * 100 / total);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  lastShown_ = now;
  toolkit_.SetStepText(Step::VellumoResultat, texts::SendProgress(percent));
}

}  // namespace vellumo
