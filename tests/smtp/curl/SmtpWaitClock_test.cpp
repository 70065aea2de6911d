// The two waiting limits: opening the connection, then each wait for the
// server; the one that ran out is named.
#include "smtp/curl/SmtpWaitClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumo {
namespace {

using Limit = SmtpWaitClock::Limit;
using std::chrono::seconds;

struct Event {
  int at;            // seconds after the start
  const char* what;  // "connected" or "traffic"
};

struct Row {
  const char* name;
  bool startConnected;
  std::vector<Event> events;
  int checkedAt;
  Limit expected;
};

class SmtpWaitClockTable : public ::testing::TestWithParam<Row> {};

TEST_P(SmtpWaitClockTable, NamesTheLimitThatRanOut) {
  const Row& row = GetParam();
  const auto start = SmtpWaitClock::Clock::time_point{} + seconds(1000);
  SmtpWaitClock clock(seconds(30), seconds(60));
  clock.Start(start, row.startConnected);
  for (const Event& event : row.events) {
    if (std::string(event.what) == "connected") clock.OnConnected(start + seconds(event.at));
    if (std::string(event.what) == "traffic") clock.OnTraffic(start + seconds(event.at));
  }
  EXPECT_EQ(clock.Expired(start + seconds(row.checkedAt)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, SmtpWaitClockTable,
    ::testing::Values(
        Row{"ConnectingWithinLimit", false, {}, 29, Limit::None},
        Row{"ConnectionNeverOpens", false, {}, 30, Limit::Connect},
        // Connected at 20 s, greeting due by 80 s: past the 30 s limit is fine.
        Row{"SlowGreeting", false, {{20, "connected"}}, 79, Limit::None},
        Row{"NoGreeting", false, {{20, "connected"}}, 80, Limit::Idle},
        Row{"EachReplyHasItsOwnWait", true, {{50, "traffic"}, {100, "traffic"}}, 159, Limit::None},
        Row{"SilentAfterLastReply", true, {{50, "traffic"}}, 110, Limit::Idle},
        // A second connect report does not restart the wait.
        Row{"ConnectedOnce", false, {{1, "connected"}, {40, "connected"}}, 61, Limit::Idle}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vellumo
