// The send line during a send: nothing for a short send, then the share
// sent a few times a second, then the plain line again.
#include "app/SendProgressLine.h"

#include <gtest/gtest.h>

#include "app/Step.h"
#include "fakes/FakeToolkit.h"

namespace vellumo::testing {
namespace {

using std::chrono::milliseconds;

TEST(SendProgressLine, ShowsTheShareOnlyAfterASecondAndAtAFewUpdatesASecond) {
  FakeToolkit toolkit;
  const auto start = SendProgressLine::Clock::now();
  {
    SendProgressLine line(toolkit, start);
    line.Update(10, 100, start + milliseconds(900));   // too early
    line.Update(37, 100, start + milliseconds(1000));  // shown
    line.Update(40, 100, start + milliseconds(1100));  // too soon after
    line.Update(41, 100, start + milliseconds(1300));  // shown
    line.Update(41, 100, start + milliseconds(1600));  // unchanged
    line.Update(50, 0, start + milliseconds(1900));    // total unknown
    line.Update(300, 200, start + milliseconds(2200)); // more than the total
  }
  EXPECT_EQ(toolkit.stepTexts[Step::VellumoResultat],
            (std::vector<std::string>{"Envoi (37 %)", "Envoi (41 %)", "Envoi (100 %)", "Envoi"}));
}

TEST(SendProgressLine, AShortSendLeavesTheLineAlone) {
  FakeToolkit toolkit;
  const auto start = SendProgressLine::Clock::now();
  {
    SendProgressLine line(toolkit, start);
    line.Update(100, 100, start + milliseconds(200));
  }
  EXPECT_TRUE(toolkit.stepTexts.empty());
}

}  // namespace
}  // namespace vellumo::testing
