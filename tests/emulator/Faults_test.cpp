// Faults played on the line and lasting conditions of the printer.
#include <gtest/gtest.h>

#include "tests/emulator/EmulatorHost.h"

namespace kestrel::emulator {
namespace {

using testing::FixedOptions;
using testing::Host;

TEST(EmulatorFaults, NoReplyCountsRequestsAndCanWaitForOneCommand) {
  Device device(FixedOptions());
  Host host(device);
  ASSERT_EQ(device.Command("noreply 2"), "ok");
  EXPECT_FALSE(host.Send("S09").answered);
  EXPECT_FALSE(host.Send("S09").answered);
  EXPECT_TRUE(host.Send("S09").answered);
  ASSERT_EQ(device.Command("noreply P02"), "ok");
  EXPECT_TRUE(host.Send("S01").answered);
  EXPECT_FALSE(host.Start().answered);
  EXPECT_FALSE(device.Core().ReceiptOpen());  // an unheard request is not carried out
  EXPECT_EQ(host.Start().code, 0);
}

struct WireCase {
  const char* fault;
  bool frameIntact;  // the reply still parses once noise is skipped
  bool (*check)(const std::string& raw);
};

TEST(EmulatorFaults, ReplyBytesAreDamagedAsAsked) {
  const WireCase cases[] = {
      {"garbage", false, [](const std::string& raw) { return raw.find('\x02') == std::string::npos; }},
      {"badcrc", false, [](const std::string& raw) { return raw[0] == '\x02'; }},
      // The CRC's value stays right (this parser reads it case-blind); only
      // the case differs, which the service's byte compare refuses.
      {"lowercrc", true,
       [](const std::string& raw) {
         std::string crc = raw.substr(raw.size() - 4);
         return crc.find_first_of("abcdef") != std::string::npos && crc.find_first_of("ABCDEF") == std::string::npos;
       }},
      {"noise 7", true, [](const std::string& raw) { return raw.find('\x02') == 7; }},
      {"extra 3", true, [](const std::string& raw) { return raw[raw.size() - 8] == '\x03'; }},
  };
  for (const WireCase& c : cases) {
    // Several requests, so that a lower-case CRC with only digits would show.
    for (const char* code : {"S01", "S09", "S08", "D01"}) {
      Device device(FixedOptions());
      Host host(device);
      ASSERT_EQ(device.Command(c.fault), "ok");
      testing::HostReply reply =
          host.Send(code, std::string(code) == "D01" ? std::vector<std::string>{"x"} : std::vector<std::string>{});
      ASSERT_TRUE(reply.answered) << c.fault;
      EXPECT_EQ(reply.valid, c.frameIntact) << c.fault << " " << code;
      EXPECT_TRUE(c.check(reply.raw)) << c.fault << " " << code;
      EXPECT_TRUE(host.Send("S09").valid) << c.fault << ": used up after one reply";
    }
  }
}

TEST(EmulatorFaults, ADamagedReplyIsResentWhenTheHostRepeatsTheRequest) {
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  ASSERT_EQ(device.Command("badcrc"), "ok");
  std::string item = host.Frame("P03", {"1", "ks", "1", "1.0000", "3.0000", Host::Pad("Pivo")});
  EXPECT_FALSE(host.SendFrame(item).valid);
  testing::HostReply again = host.SendFrame(item);
  EXPECT_TRUE(again.valid);
  EXPECT_EQ(again.Field(0), "3,00");
  EXPECT_EQ(host.Send("P08", {"0"}).Field(0), "3,00");
}

TEST(EmulatorFaults, SplitReplyComesInPiecesWithPauses) {
  Device device(FixedOptions());
  ASSERT_EQ(device.Command("split 4 30"), "ok");
  Transmission sent = device.Exchange(BuildRequest("S08", '1', 1, {}));
  ASSERT_EQ(sent.pieces.size(), 4u);
  EXPECT_EQ(sent.pauseMs, 30);
  std::string whole;
  for (const std::string& piece : sent.pieces) whole += piece;
  EXPECT_EQ(whole, sent.record.replyFrame);
}

struct CodeCase {
  const char* fault;
  std::string code;
  int expected;
  bool carriedOut;
};

TEST(EmulatorFaults, ReplyCodeFaultsAnswerWithoutCarryingTheCommandOut) {
  const CodeCase cases[] = {
      {"busy", "P02", 12, false},         {"seqerror", "P02", 31, false},
      {"reply P02 65", "P02", 65, false}, {"reply P03 44", "P02", 0, true},  // meant for another command
      {"error 3", "P02", 51, false},
  };
  for (const CodeCase& c : cases) {
    Device device(FixedOptions());
    Host host(device);
    ASSERT_EQ(device.Command(c.fault), "ok") << c.fault;
    std::vector<std::string> fields{"0", "0", "202601021030005"};
    EXPECT_EQ(host.Send(c.code, fields).code, c.expected) << c.fault;
    EXPECT_EQ(device.Core().ReceiptOpen(), c.carriedOut) << c.fault;
  }
}

TEST(EmulatorFaults, PaperNearItsEndAnswers51ButCarriesTheCommandOut) {
  Device device(FixedOptions());
  Host host(device);
  ASSERT_EQ(device.Command("error 6 P02"), "ok");
  const auto reply = host.Start();
  EXPECT_EQ(reply.code, 51);
  EXPECT_TRUE(device.Core().ReceiptOpen());
  EXPECT_EQ(host.Send("S09").Field(0), "6");
}

TEST(EmulatorFaults, PrinterErrorGivesItsStatusToTheFollowingStatusRequestOnly) {
  Device device(FixedOptions());
  Host host(device);
  ASSERT_EQ(device.Command("error 3"), "ok");
  EXPECT_EQ(host.Start().code, 51);
  EXPECT_EQ(host.Send("S09").Field(0), "3");
  EXPECT_EQ(host.Send("S09").Field(0), "0");
  ASSERT_EQ(device.Command("reply P03 11 always"), "ok");
  EXPECT_EQ(host.Send("P03", {}).code, 11);
  EXPECT_EQ(host.Send("P03", {}).code, 11);
  ASSERT_EQ(device.Command("clear"), "ok");
  EXPECT_EQ(host.Send("P03", {}).code, 33);
}

TEST(EmulatorFaults, LongOperationAnswers11ThenPollsThenTheResult) {
  Device device(FixedOptions());
  Host host(device);
  ASSERT_EQ(device.Command("long 2 P15"), "ok");
  std::vector<std::string> report{"1", "202601021030005", std::string(40, ' ')};
  EXPECT_EQ(host.Send("S01").code, 0);  // not the command the fault waits for
  EXPECT_EQ(host.Send("P15", report).code, 11);
  EXPECT_EQ(host.Send("P15", report, 2).code, 11);
  EXPECT_EQ(host.Send("P15", report, 2).code, 11);
  EXPECT_EQ(host.Send("P15", report, 2).code, 0);
  testing::HostReply result = host.Send("P15", report, 3);
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(result.Field(0), "0");
  std::string paper = device.Core().Paper();
  EXPECT_EQ(paper.find("PREHĽAD (X)"), paper.rfind("PREHĽAD (X)"));  // printed once
  EXPECT_EQ(host.Send("P15", report, 3).code, 32);                   // nothing left to fetch
}

TEST(EmulatorFaults, SwitchedOffAnswersNothingUntilSwitchedOn) {
  Device device(FixedOptions());
  Host host(device);
  ASSERT_EQ(device.Command("off"), "ok");
  EXPECT_FALSE(host.Send("S09").answered);
  EXPECT_FALSE(host.Start().answered);
  ASSERT_EQ(device.Command("on"), "ok");
  EXPECT_EQ(host.Send("S09").code, 0);
  EXPECT_FALSE(device.Core().ReceiptOpen());
}

struct ConditionCase {
  const char* command;
  int status;        // S09 field 0
  int receiptStart;  // reply to P02
};

TEST(EmulatorFaults, MechanicalConditionsShowInTheStatusAndStopPrinting) {
  const ConditionCase cases[] = {
      {"cover open", 1, 51}, {"paper out", 2, 51}, {"paper near", 6, 0}, {"status 4", 4, 0}, {"paper ok", 0, 0},
  };
  for (const ConditionCase& c : cases) {
    Device device(FixedOptions());
    Host host(device);
    ASSERT_EQ(device.Command(c.command), "ok");
    EXPECT_EQ(host.Send("S09").Field(0), std::to_string(c.status)) << c.command;
    EXPECT_EQ(host.Start().code, c.receiptStart) << c.command;
  }
}

TEST(EmulatorFaults, FlagsOfTheFiscalState) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Send("S01").Field(0), "00");
  device.Command("confirm mem on");
  EXPECT_EQ(host.Send("S01").Field(0), "20");
  device.Command("confirm service on");
  EXPECT_EQ(host.Send("S01").Field(0), "60");
  host.Send("S07");
  EXPECT_EQ(host.Send("S01").Field(0), "40");
  host.Send("S06");
  EXPECT_EQ(host.Send("S01").Field(0), "00");
  device.Command("eod on");
  EXPECT_EQ(host.StateDigit(), 1);
}

TEST(EmulatorFaults, SlipStationPresenceAndPaper) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Send("S03", {"73"}).Field(0), "7");
  EXPECT_EQ(host.Send("P22", {"1B6330041B1601"}).code, 48);  // no slip station
  device.Command("slipstation on");
  EXPECT_EQ(host.Send("S03", {"73"}).Field(0), "6");
  EXPECT_EQ(host.Send("P22", {"1D0405"}).Field(0), "60");
  device.Command("slip in");
  EXPECT_EQ(host.Send("P22", {"1D0405"}).Field(0), "10");
  EXPECT_EQ(host.Send("P22", {"1B6330041B1601"}).code, 0);
  EXPECT_EQ(host.Send("P22", {"A6A70D"}).code, 0);  // "Žž" in code page 852, then CR
  EXPECT_NE(device.Core().Paper().find("[slip] Žž"), std::string::npos);
  EXPECT_EQ(host.Send("P22", {"0C1B6330011B1600"}).code, 0);  // eject, back to the roll
  EXPECT_EQ(host.Send("P22", {"1D0405"}).Field(0), "60");
}

TEST(EmulatorFaults, ControlLinesThatMakeNoSenseAreRefused) {
  Device device(FixedOptions());
  for (const char* line : {"", "fly", "noreply x", "reply P0 44", "reply P03 444", "paper wet", "split 0", "error",
                           "status x", "confirm disk on"}) {
    EXPECT_EQ(device.Command(line).rfind("error", 0), 0u) << "'" << line << "'";
  }
  EXPECT_TRUE(device.Faults().Empty());
}

}  // namespace
}  // namespace kestrel::emulator

namespace kestrel::emulator {
namespace {

TEST(EmulatorFaults, AFaultNamingACommandWaitsForThatCommand) {
  const char* const faults[] = {"badcrc S04", "noise 4 1 S04", "split 3 0 S04", "busy S04", "seqerror S04"};
  for (const char* fault : faults) {
    Device device(testing::FixedOptions());
    testing::Host host(device);
    ASSERT_EQ(device.Command(fault), "ok") << fault;
    testing::HostReply other = host.Send("S01");
    EXPECT_TRUE(other.valid && other.code == 0 && other.raw[0] == '\x02') << fault << ": another command untouched";
    EXPECT_FALSE(device.Faults().Empty()) << fault;
    host.Send("S04", {"0"}, 4);
    EXPECT_TRUE(device.Faults().Empty()) << fault << ": used up by the command it names";
  }
  Device device(testing::FixedOptions());
  ASSERT_EQ(device.Command("error 3 P09"), "ok");
  EXPECT_NE(device.Command("badcrc 2 P0"), "ok");
}

}  // namespace
}  // namespace kestrel::emulator

namespace kestrel::emulator {
namespace {

// A request carried out whose reply, and the replies to its resends, cannot
// be read; "after K" lets K requests pass first.
TEST(EmulatorFaults, AGarbledRequestIsCarriedOutOnceAndNoReplyToItCanBeRead) {
  Device device(testing::FixedOptions());
  testing::Host host(device);
  host.Start();
  ASSERT_EQ(device.Command("garble 3 P03"), "ok");
  const std::string item = host.Frame("P03", {"1", "ks", "1", "1.0000", "3.0000", testing::Host::Pad("Pivo")});
  for (int attempt = 1; attempt <= 3; ++attempt) {
    const testing::HostReply reply = host.SendFrame(item);
    EXPECT_TRUE(reply.answered && !reply.valid) << "attempt " << attempt;
  }
  const testing::HostReply fourth = host.SendFrame(item);
  EXPECT_TRUE(fourth.valid);
  EXPECT_EQ(fourth.Field(0), "3,00");
  EXPECT_EQ(host.Send("P08", {"0"}).Field(0), "3,00") << "carried out once";

  ASSERT_EQ(device.Command("garble after 2"), "ok");
  EXPECT_TRUE(host.Send("S01").valid);
  EXPECT_TRUE(host.Send("S09").valid);
  EXPECT_FALSE(host.Send("S08").valid);
  EXPECT_TRUE(host.Send("S08").valid) << "another request is answered as usual";
  EXPECT_TRUE(device.Faults().Empty());
  EXPECT_NE(device.Command("garble 2 after"), "ok");
  EXPECT_NE(device.Command("garble after x"), "ok");
}

TEST(EmulatorFaults, OffAfterKAnswersKRequestsThenNothing) {
  Device device(testing::FixedOptions());
  testing::Host host(device);
  ASSERT_EQ(device.Command("off after 2"), "ok");
  EXPECT_TRUE(host.Send("S09").answered);
  EXPECT_TRUE(host.Send("S09").answered);
  EXPECT_FALSE(host.Send("S09").answered);
  EXPECT_FALSE(device.SwitchedOn());
  ASSERT_EQ(device.Command("on"), "ok");
  EXPECT_TRUE(host.Send("S09").answered);
  EXPECT_NE(device.Command("off after -1"), "ok");
}

}  // namespace
}  // namespace kestrel::emulator
