// A reply answers only its own request: late replies, repeats answered
// again, a port that holds what a killed process waited for, printers that
// echo the command code and printers that do not.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/protocol/ProtocolFixture.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

class ReplyPairing : public ProtocolFixture {
 protected:
  // Exchanges a bare request; the reply's field 0 goes to *field.
  int Ask(const char* code, int timeout = 1, std::string* field = nullptr) {
    m.CreatePacketOut(code, 1);
    m.ClosePacketOut();
    const int r = m.SendReceive(timeout);
    if (field != nullptr) {
      char text[32] = {};
      m.GetPacketInField(text, sizeof text, 0);
      *field = text;
    }
    return r;
  }
  // A settled line: the first exchange of the port session is done.
  void Settle() {
    Script({Reply(0)});
    ASSERT_EQ(Ask("S09"), kSuccess);
  }
};

TEST_F(ReplyPairing, ASlowPrintersSecondAnswerIsNotTheNextCommandsAnswer) {
  // The printer takes 1.2 s for the status request, which is answered during
  // its second attempt; its answer to that repeat, the same frame, comes
  // only after the listening before the item, while the item waits. The
  // item was refused (44).
  Settle();
  Script({Late(Reply(0, {"0"}), 60), Late(Reply(0, {"0"}), 250), Late(Reply(44), 30)});
  std::string status;
  ASSERT_EQ(Ask("S09", 1, &status), kSuccess);
  EXPECT_EQ(status, "0");
  EXPECT_EQ(Ask("P03", 4), kIllegal);
  EXPECT_STREQ(m.GetErrorMessage(), "Hodnota mimo rozsah");
  EXPECT_TRUE(Logged("Reply dropped: the same as the one taken before"));
}

TEST_F(ReplyPairing, TheAnswerToARepeatIsHeardOutBeforeTheNextRequest) {
  // As above, with the repeat's answer coming while the host listens: a
  // printer that does not know the repeat may answer it anew, a frame of
  // its own that nothing else would catch.
  Settle();
  Script({Late(Reply(0, {"0"}), 60), Late(ReplyWithSequence('8', 0, {"again"}), 60), Reply(44)});
  ASSERT_EQ(Ask("S09"), kSuccess);
  EXPECT_EQ(Ask("P03", 4), kIllegal);
  EXPECT_TRUE(Logged("Late reply discarded: S09800"));
}

TEST_F(ReplyPairing, AStaleCopyAndTheFreshReplyInOneReadAreTakenApart) {
  Settle();
  std::string first;
  Script({Reply(0, {"first"})});
  ASSERT_EQ(Ask("S01", 1, &first), kSuccess);
  // The copy of the last reply and the new reply come in one piece.
  const std::string copy = ReplyFrame("S01", Sent().back().sequence, 0, {"first"});
  Script({[copy](const Request& r) {
    return std::vector<Chunk>{{copy + ReplyFrame(r.code, r.sequence, 0, {"second"}), 0}};
  }});
  std::string second;
  ASSERT_EQ(Ask("S01", 1, &second), kSuccess);
  EXPECT_EQ(second, "second");
}

TEST_F(ReplyPairing, AReplyInPiecesAfterADroppedCopyStillArrives) {
  Settle();
  Script({Reply(0, {"first"})});
  ASSERT_EQ(Ask("S01"), kSuccess);
  // Late in the one-second wait: the copy, then the fresh reply in two
  // pieces, the second 40 polls after the first.
  const std::string copy = ReplyFrame("S01", Sent().back().sequence, 0, {"first"});
  Script({[copy](const Request& r) {
    const std::string fresh = ReplyFrame(r.code, r.sequence, 0, {"second"});
    return std::vector<Chunk>{{copy, 45}, {fresh.substr(0, 6), 1}, {fresh.substr(6), 40}};
  }});
  std::string field;
  ASSERT_EQ(Ask("S01", 1, &field), kSuccess);
  EXPECT_EQ(field, "second");
}

TEST_F(ReplyPairing, AfterAnUnansweredExchangeTheLateReplyIsHeardOutBeforeTheNextRequest) {
  Settle();
  // Three silent attempts; the answer to the first comes after all of them.
  Script({Late(Reply(0, {"old"}), 160), Silence(), Silence()});
  EXPECT_EQ(Ask("S01"), kTimeout);
  const char unanswered = Sent().back().sequence;
  Script({Reply(0, {"new"})});
  std::string field;
  ASSERT_EQ(Ask("P10", 4, &field), kSuccess);
  EXPECT_EQ(field, "new");
  EXPECT_TRUE(Logged("Late reply discarded: S01"));
  EXPECT_EQ(Sent().back().sequence, unanswered == '9' ? '1' : unanswered + 1);
}

TEST_F(ReplyPairing, RepeatsOfTheLateReplyAreDroppedToo) {
  Settle();
  // The printer answered all three unanswered attempts, late: one heard
  // while listening, the repeats' answers (the same frame) only during the
  // next command's wait.
  Script({Late(Reply(0, {"old"}), 160), Silence(), Silence()});
  EXPECT_EQ(Ask("S01"), kTimeout);
  // The copies come after the listening gave up waiting for them.
  line->Arrive(ReplyFrame("S01", Sent().back().sequence, 0, {"old"}), 250, true);
  line->Arrive(ReplyFrame("S01", Sent().back().sequence, 0, {"old"}), 0, true);
  Script({Late(Reply(0, {"new"}), 10)});
  std::string field;
  ASSERT_EQ(Ask("P10", 4, &field), kSuccess);
  EXPECT_EQ(field, "new");
  EXPECT_TRUE(Logged("Reply dropped: a late reply heard before"));
}

TEST_F(ReplyPairing, APortJustOpenedIsHeardOutBeforeItsFirstRequest) {
  // A process was killed while its payment was being answered; the answer
  // reaches the port the next process has just opened.
  line->Arrive(ReplyFrame("P09", '5', 0, {"0,00"}), 20, true);
  Script({Reply(0, {"4"})});
  std::string state;
  ASSERT_EQ(Ask("S01", 1, &state), kSuccess);
  EXPECT_EQ(state, "4");
  EXPECT_TRUE(Logged("Late reply discarded: P095"));
}

TEST_F(ReplyPairing, AKilledProcessesReplyAfterTheListeningIsNotTheFirstRequestsAnswer) {
  // The printer is slower than the listening: the killed process's payment
  // is answered while the first request waits. Its code gives it away; a
  // printer's own code ("000", no command) would not.
  line->Arrive(ReplyFrame("P09", '5', 0, {"0,00"}), 70, true);
  Script({Late(Reply(0, {"4"}), 20)});
  std::string state;
  ASSERT_EQ(Ask("S01", 1, &state), kSuccess);
  EXPECT_EQ(state, "4");
  EXPECT_TRUE(Logged("Reply P09 dropped: the request was S01, the first of the port session"));
  // Later in the session a reply of another code is not judged before
  // echoing is learned.
  Script({ReplyAs("000", 0, {"own"})});
  ASSERT_EQ(Ask("S09", 1, &state), kSuccess);
  EXPECT_EQ(state, "own");
}

// Echoing is learned from the replies of the port session; a printer that
// does not echo is never held to it.
struct EchoCase {
  const char* name;
  bool printerEchoes;
};
void PrintTo(const EchoCase& c, std::ostream* os) { *os << c.name; }

class ReplyEcho : public ReplyPairing, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(ReplyEcho, AReplyWithAnotherCodeIsDroppedOnlyOnceEchoingIsLearned) {
  const EchoCase& c = GetParam();
  const auto answer = [&c](int code, std::vector<std::string> fields) {
    return c.printerEchoes ? Reply(code, fields) : ReplyAs("000", code, fields);
  };
  for (const char* code : {"D01", "S08", "S03", "S09", "S01"}) {
    Script({answer(0, {})});
    ASSERT_EQ(Ask(code), kSuccess);
  }
  EXPECT_EQ(Logged("Replies echo the request's code"), c.printerEchoes);
  // The item's own answer, after (from an echoing printer) a stray reply of
  // another command; a printer that does not echo keeps being heard.
  Script({[&c](const Request& r) {
    if (!c.printerEchoes) return std::vector<Chunk>{{ReplyFrame("000", r.sequence, 0, {"own"}), 0}};
    return std::vector<Chunk>{{ReplyFrame("S09", '7', 0, {"stray"}), 0},
                              {ReplyFrame(r.code, r.sequence, 0, {"own"}), 3}};
  }});
  std::string field;
  ASSERT_EQ(Ask("P03", 4, &field), kSuccess);
  EXPECT_EQ(field, "own");
  // A sequence error is acted on whatever code it carries.
  Script({ReplyAs("???", 31), answer(0, {"resent"})});
  ASSERT_EQ(Ask("P03", 4, &field), kSuccess);
  EXPECT_EQ(field, "resent");
}

INSTANTIATE_TEST_SUITE_P(Printers, ReplyEcho,
                         ::testing::Values(EchoCase{"echoing", true}, EchoCase{"not_echoing", false}),
                         [](const ::testing::TestParamInfo<EchoCase>& p) { return std::string(p.param.name); });

TEST_F(ReplyPairing, OneReplyThatDoesNotEchoKeepsTheCheckOffForTheSession) {
  Script({ReplyAs("000", 0)});
  ASSERT_EQ(Ask("D01"), kSuccess);
  for (const char* code : {"S08", "S03", "S09", "S01", "S02", "P10"}) {
    Script({Reply(0)});
    ASSERT_EQ(Ask(code), kSuccess);
  }
  EXPECT_FALSE(Logged("Replies echo the request's code"));
}

}  // namespace
}  // namespace kestrel::testing
