// Following an SMTP exchange from libcurl's debug stream.
#include "smtp/curl/SmtpSessionTrace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumo {
namespace {

// One scripted exchange: "C: " lines are sent, "S: " lines received (each
// chunk may hold several lines).
struct Script {
  const char* name;
  std::vector<std::string> lines;
  SmtpStep step;
  int replyCode;
  std::string replyText;
  std::string recipient;
};

void Play(SmtpSessionTrace& trace, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (line.rfind("C: ", 0) == 0) trace.OnCommandSent(line.substr(3));
    if (line.rfind("S: ", 0) == 0) trace.OnReplyReceived(line.substr(3));
  }
}

class SmtpSessionTraceTable : public ::testing::TestWithParam<Script> {};

TEST_P(SmtpSessionTraceTable, KnowsTheStepAndTheLastReply) {
  SmtpSessionTrace trace;
  Play(trace, GetParam().lines);
  EXPECT_EQ(trace.Step(), GetParam().step);
  EXPECT_EQ(trace.ReplyCode(), GetParam().replyCode);
  EXPECT_EQ(trace.ReplyText(), GetParam().replyText);
  EXPECT_EQ(trace.Recipient(), GetParam().recipient);
}

INSTANTIATE_TEST_SUITE_P(
    Exchanges, SmtpSessionTraceTable,
    ::testing::Values(
        Script{"Nothing", {}, SmtpStep::Connecting, 0, "", ""},
        Script{"Greeting", {"S: 220 mx ESMTP ready\r\n"}, SmtpStep::Greeting, 220,
               "mx ESMTP ready", ""},
        Script{"GreetingRefused", {"S: 554 5.7.1 Go away\r\n"}, SmtpStep::Greeting, 554,
               "5.7.1 Go away", ""},
        Script{"MultiLineEhloInOneChunk",
               {"S: 220 mx\r\n", "C: EHLO me\r\n",
                "S: 250-mx\r\n250-SIZE 100\r\n250 STARTTLS\r\n"},
               SmtpStep::Ehlo, 250, "mx SIZE 100 STARTTLS", ""},
        Script{"ReplySplitAcrossChunks",
               {"S: 220 mx\r\n", "C: RCPT TO:<a@b.fr>\r\n", "S: 550 5.1.1 Us", "S: er unknown\r\n"},
               SmtpStep::Recipient, 550, "5.1.1 User unknown", "a@b.fr"},
        Script{"SecondRecipientRefused",
               {"C: MAIL FROM:<m@b.fr>\r\n", "S: 250 OK\r\n", "C: RCPT TO:<a@b.fr>\r\n",
                "S: 250 OK\r\n", "C: RCPT TO:<bad@b.fr>\r\n", "S: 550 No such user\r\n"},
               SmtpStep::Recipient, 550, "No such user", "bad@b.fr"},
        Script{"LoginExchangeStaysLogin",
               {"C: AUTH LOGIN\r\n", "S: 334 VXNlcm5hbWU6\r\n", "C: dXNlcg==\r\n",
                "S: 334 UGFzc3dvcmQ6\r\n", "C: c2VjcmV0\r\n",
                "S: 535 5.7.8 Authentication credentials invalid\r\n"},
               SmtpStep::Login, 535, "5.7.8 Authentication credentials invalid", ""},
        Script{"AfterDataAcceptanceWaitsForMessageEnd",
               {"C: DATA\r\n", "S: 354 End data with <CR><LF>.<CR><LF>\r\n"},
               SmtpStep::MessageEnd, 354, "End data with <CR><LF>.<CR><LF>", ""},
        Script{"MessageRefusedAtEnd",
               {"C: DATA\r\n", "S: 354 go\r\n", "S: 552 Too much mail data\r\n"},
               SmtpStep::MessageEnd, 552, "Too much mail data", ""},
        Script{"DataRefused", {"C: DATA\r\n", "S: 554 no valid recipients\r\n"},
               SmtpStep::Data, 554, "no valid recipients", ""},
        // libcurl says QUIT after a failure: the failure stays what it was.
        Script{"QuitKeepsTheFailure",
               {"C: RCPT TO:<x@b.fr>\r\n", "S: 550 unknown\r\n", "C: QUIT\r\n", "S: 221 Bye\r\n"},
               SmtpStep::Recipient, 550, "unknown", "x@b.fr"},
        // A new command forgets the previous reply.
        Script{"NewCommandClearsReply", {"C: EHLO me\r\n", "S: 250 ok\r\n", "C: NOOP\r\n"},
               SmtpStep::Noop, 0, "", ""},
        Script{"StartTls", {"C: STARTTLS\r\n", "S: 454 TLS not available\r\n"},
               SmtpStep::StartTls, 454, "TLS not available", ""},
        Script{"NoiseIgnored", {"S: 220 mx\r\n", "S: garbage\r\n", "S: 2\r\n"},
               SmtpStep::Greeting, 220, "mx", ""}),
    [](const ::testing::TestParamInfo<Script>& row) { return std::string(row.param.name); });

TEST(SmtpSessionTrace, KeepsNoLoginSecrets) {
  SmtpSessionTrace trace;
  Play(trace, {"C: AUTH PLAIN AHVzZXIAc2VjcmV0\r\n", "S: 535 5.7.8 invalid\r\n"});
  EXPECT_TRUE(trace.SentLogin());
  EXPECT_EQ(trace.Sender(), "");
  EXPECT_EQ(trace.Recipient(), "");
  EXPECT_EQ(trace.ReplyText().find("AHVzZXIAc2VjcmV0"), std::string::npos);
}

TEST(SmtpSessionTrace, ResetForgetsEverything) {
  SmtpSessionTrace trace;
  Play(trace, {"C: STARTTLS\r\n", "C: MAIL FROM:<m@b.fr>\r\n", "S: 550 no\r\n", "C: QUIT\r\n"});
  EXPECT_EQ(trace.Sender(), "m@b.fr");
  trace.Reset();
  EXPECT_EQ(trace.Step(), SmtpStep::Connecting);
  EXPECT_EQ(trace.ReplyCode(), 0);
  EXPECT_EQ(trace.Sender(), "");
  EXPECT_FALSE(trace.SentStartTls());
  Play(trace, {"S: 220 again\r\n"});
  EXPECT_EQ(trace.ReplyCode(), 220);  // not ignored as after QUIT
}

TEST(SmtpSessionTrace, HugeReplyIsBounded) {
  SmtpSessionTrace trace;
  for (int i = 0; i < 1000; ++i) trace.OnReplyReceived("250-" + std::string(500, 'x') + "\r\n");
  trace.OnReplyReceived("250 end\r\n");
  EXPECT_EQ(trace.ReplyCode(), 250);
  EXPECT_LE(trace.ReplyText().size(), 2100u);
}

}  // namespace
}  // namespace vellumo
