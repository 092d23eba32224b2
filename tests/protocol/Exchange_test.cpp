// The exchange: attempts, sequence digits, resend, long operations.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "tests/protocol/ProtocolFixture.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

class Exchange : public ProtocolFixture {
 protected:
  int SendCommand(const char* code = "P10", int timeout = 1) {
    m.CreatePacketOut(code, 1);
    m.ClosePacketOut();
    return m.SendReceive(timeout);
  }
};

TEST_F(Exchange, ThreeSilentAttemptsAreATimeout) {
  EXPECT_EQ(SendCommand("P10", 4), kTimeout);
  EXPECT_STREQ(m.GetErrorMessage(), text::kTextNoReply);
  EXPECT_TRUE(Logged("No reply within 4 secs"));
  ASSERT_EQ(line->writes.size(), 3u);
  // Every attempt sends the same bytes, sequence digit included.
  EXPECT_EQ(line->writes[1], line->writes[0]);
  EXPECT_EQ(line->writes[2], line->writes[0]);
  // The port was just opened: 4 s of listening, then three attempts of 4 s.
  EXPECT_EQ(line->polls, 4 * 200);
}

TEST_F(Exchange, AValidReplyOnTheSecondAttemptEndsTheLoop) {
  Script({Silence(), Reply(0)});
  EXPECT_EQ(SendCommand(), kSuccess);
  EXPECT_EQ(line->writes.size(), 2u);
  EXPECT_TRUE(Logged("Valid reply 0"));
}

TEST_F(Exchange, InvalidRepliesThreeTimesAreAFailure) {
  const std::string bad = ReplyFrame("P10", '1', 0).substr(0, 9) + "0000";
  Script({Raw(bad), Raw(bad), Raw(bad)});
  EXPECT_EQ(SendCommand(), kFailure);
  EXPECT_STREQ(m.GetErrorMessage(), text::kTextInvalidReply);
  EXPECT_TRUE(Logged("Invalid reply 111"));
  EXPECT_EQ(line->writes.size(), 3u);
}

TEST_F(Exchange, NoiseAndTrailingBytesAroundAValidReplyAreHarmless) {
  Script({[](const Request& r) {
    return std::vector<Chunk>{{std::string("\xFF\x00noise", 7) + ReplyFrame(r.code, r.sequence, 0, {"7"}) + "tail", 0}};
  }});
  EXPECT_EQ(SendCommand(), kSuccess);
  char field[4];
  EXPECT_EQ(m.GetPacketInField(field, sizeof field, 0), kSuccess);
  EXPECT_STREQ(field, "7");
}

struct SequenceCase {
  char replyDigit;
  int next;
};

void PrintTo(const SequenceCase& c, std::ostream* os) { *os << "digit " << c.replyDigit; }

class ExchangeSequence : public Exchange, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(ExchangeSequence, NextRequestFollowsThePrinter) {
  Script({ReplyWithSequence(GetParam().replyDigit, 0), Reply(0)});
  ASSERT_EQ(SendCommand(), kSuccess);
  ASSERT_EQ(SendCommand(), kSuccess);
  EXPECT_EQ(Sent()[1].sequence, static_cast<char>('0' + GetParam().next));
}

INSTANTIATE_TEST_SUITE_P(Digits, ExchangeSequence,
                         ::testing::Values(SequenceCase{'1', 2}, SequenceCase{'8', 9}, SequenceCase{'9', 1},
                                           SequenceCase{'0', 1}, SequenceCase{'x', 1}),
                         [](const ::testing::TestParamInfo<SequenceCase>& p) {
                           return std::string("digit_") + p.param.replyDigit;
                         });

TEST_F(Exchange, FirstRequestCarriesOneAndAnUnansweredOneIsNotReused) {
  EXPECT_EQ(SendCommand(), kTimeout);
  EXPECT_EQ(Sent()[0].sequence, '1');
  // The printer may have answered unheard: the next request must not pass
  // for a repeat of the unanswered one.
  Script({Reply(0)});
  SendCommand();
  EXPECT_EQ(Sent()[3].sequence, '2');
}

TEST_F(Exchange, ShortValidReplyCountsAsSuccess) {
  Script({Raw(Framed("S0"))});
  EXPECT_EQ(SendCommand(), kSuccess);
  EXPECT_EQ(m.NextSequence(), 1);  // no digit to follow
}

TEST_F(Exchange, SequenceErrorIsResentOnceWithARefreshedDigit) {
  Script({ReplyWithSequence('4', 31), Reply(0, {"ok"})});
  EXPECT_EQ(SendCommand("P03"), kSuccess);
  ASSERT_EQ(line->writes.size(), 2u);
  EXPECT_EQ(line->writes[1], Framed("P03501"));
  char field[4];
  EXPECT_EQ(m.GetPacketInField(field, sizeof field, 0), kSuccess);
  EXPECT_STREQ(field, "ok");
}

TEST_F(Exchange, SequenceErrorTwiceIsMapped) {
  Script({Reply(31), Reply(31)});
  EXPECT_EQ(SendCommand(), kFailure);
  EXPECT_EQ(line->writes.size(), 2u);
  EXPECT_STREQ(m.GetErrorMessage(), text::kTextBadSequence);
}

TEST_F(Exchange, LongOperationIsPolledThenItsResultFetched) {
  Script({ReplyWithSequence('3', 11), ReplyWithSequence('4', 11), ReplyWithSequence('5', 12), Reply(0),
          Reply(0, {"done"})});
  EXPECT_EQ(SendCommand("P15", 10), kSuccess);
  const std::vector<Request> sent = Sent();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0].type, 1);
  // Polls: the command's own packet under type 02 with the current digit.
  EXPECT_EQ(line->writes[1], Framed("P15402"));
  EXPECT_EQ(line->writes[2], Framed("P15502"));
  EXPECT_EQ(line->writes[3], Framed("P15602"));
  EXPECT_EQ(sent[4].type, 3);
  EXPECT_EQ(sent[4].code, "P15");
  char field[8];
  EXPECT_EQ(m.GetPacketInField(field, sizeof field, 0), kSuccess);
  EXPECT_STREQ(field, "done");
}

TEST_F(Exchange, PollWithoutReplyEndsTheLongOperationAndTheAttemptIsRepeated) {
  // The poll is silent (112): the attempt counts as no reply; the next
  // attempt sends the last packet (the poll) again.
  Script({Reply(11), Silence(), Reply(0)});
  EXPECT_EQ(SendCommand("P15"), kSuccess);
  const std::vector<Request> sent = Sent();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[1].type, 2);
  EXPECT_EQ(line->writes[2], line->writes[1]);
}

TEST_F(Exchange, LongOperationWithoutEndGivesUpAfterOneHundredTwentyPolls) {
  line->responder = [](const std::string& raw) {
    const Request r = ParseRequest(raw);
    return std::vector<Chunk>{{ReplyFrame(r.code, r.sequence, 11), 0}};
  };
  EXPECT_EQ(SendCommand("S14", 60), kTimeout);
  EXPECT_STREQ(m.GetErrorMessage(), text::kTextNoReply);
  // Three attempts, each one send and 120 polls; no result request.
  EXPECT_EQ(line->writes.size(), 3u * 121u);
  for (const Request& r : Sent()) EXPECT_NE(r.type, 3);
}

TEST_F(Exchange, AnswerToTheLastPollStillFetchesTheResult) {
  Script({Reply(11)});
  for (int i = 0; i < 119; ++i) Script({Reply(11)});
  Script({Reply(0), Reply(41)});
  EXPECT_EQ(SendCommand("P15"), kDayEndRequired);
  const std::vector<Request> sent = Sent();
  ASSERT_EQ(sent.size(), 122u);
  EXPECT_EQ(sent.back().type, 3);
}

TEST_F(Exchange, LongOperationResultCodeElevenIsAFailure) {
  Script({Reply(11), Reply(0), Reply(11)});
  EXPECT_EQ(SendCommand("P15"), kFailure);
  EXPECT_STREQ(m.GetErrorMessage(), text::kTextLongRequestFailed);
}

TEST_F(Exchange, PortThatCannotBeReopenedIsNotRetried) {
  line->openFails = true;
  EXPECT_EQ(SendCommand(), kFailure);
  EXPECT_TRUE(Logged("Valid reply 101"));
  EXPECT_EQ(line->opened.size(), 1u);
}

}  // namespace
}  // namespace kestrel::testing
