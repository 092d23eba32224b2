// The electronic journal: the check code's reading rules, the block transfer,
// the check against what was handed out, and the state directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <unistd.h>

#include "emulator/CheckCode.h"
#include "tests/emulator/EmulatorHost.h"
#include "tools/Tools.h"

namespace kestrel::emulator {
namespace {

using testing::FixedOptions;
using testing::Host;

std::string Hex4(const std::array<std::uint8_t, 4>& code) {
  char text[9];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X", code[0], code[1], code[2], code[3]);
  return text;
}

TEST(EmulatorCheckCode, FollowsTheTextModeReadingRules) {
  EXPECT_EQ(Hex4(StreamCheckCode("")), "FE00FE00");
  EXPECT_EQ(Hex4(StreamCheckCode("abc")), "F0CEE9D5");
  EXPECT_EQ(StreamCheckCode("a\r\nb\r\n"), StreamCheckCode("a\nb\n"));
  EXPECT_EQ(StreamCheckCode("ab\x1A"
                            "cd"),
            StreamCheckCode("ab"));
  EXPECT_NE(StreamCheckCode("a\rb"), StreamCheckCode("ab"));  // a lone CR is read as it is
  EXPECT_EQ(JournalCheckCode("", ""), "FE00FE00FE00FE00");
}

// The host's side of the transfer, kept as two byte strings like the
// service's two temporary files.
struct HostJournal {
  std::string text;
  std::string binary;
  int transfers = 0;

  void Pull(Host& host, bool fromStart) {
    ++transfers;
    testing::HostReply reply = fromStart ? host.Send("S04", {"0"}, 4) : host.Send("S04", {}, 5);
    while (reply.code == 0) {
      (reply.Field(0)[0] == '2' ? binary : text) += reply.Field(3);
      reply = host.Send("S04", {}, 5);
    }
    EXPECT_EQ(reply.code, 73);
  }
  int Check(Host& host) {
    std::string code = JournalCheckCode(text, binary);
    return host.Send("S10", {code.substr(0, 8), code.substr(8)}).code;
  }
  // The download: pull, check, and on a refusal start again from the first block.
  int Download(Host& host) {
    Pull(host, false);
    for (int pass = 0; pass < 5; ++pass) {
      if (Check(host) == 0) return pass;
      text.clear();
      binary.clear();
      Pull(host, true);
    }
    return -1;
  }
};

TEST(EmulatorJournal, BlocksCarryNonEmptyFieldsAndNoBytesTheLineCannotCarry) {
  Device device(FixedOptions());
  Host host(device);
  host.Receipt("1.0000");
  host.Send("P14", {"5.0000", "Pr\xEDjem\x01\x02\x1C"});  // hostile bytes in a printed text
  testing::HostReply reply = host.Send("S04", {"0"}, 4);
  int blocks = 0;
  bool sawZero = false;
  while (reply.code == 0) {
    ++blocks;
    ASSERT_EQ(reply.fields.size(), 4u);
    EXPECT_TRUE(reply.Field(0) == "1" || reply.Field(0) == "2");
    EXPECT_FALSE(reply.Field(1).empty());
    EXPECT_FALSE(reply.Field(2).empty());
    EXPECT_EQ(reply.Field(2), std::to_string(reply.Field(3).size()));
    for (char c : reply.Field(3)) {
      EXPECT_TRUE(c != 0x01 && c != 0x02 && c != 0x03 && c != 0x1C);
      sawZero = sawZero || c == 0;
    }
    reply = host.Send("S04", {}, 5);
  }
  EXPECT_EQ(reply.code, 73);
  EXPECT_GE(blocks, 4);
  EXPECT_TRUE(sawZero);  // binary records hold 0x00 bytes
}

TEST(EmulatorJournal, CheckCodeAgreesWithTheFileCheckCodeOfTheHostsFiles) {
  Device device(FixedOptions());
  Host host(device);
  host.Receipt("12.3400");
  HostJournal journal;
  journal.Pull(host, true);
  char dir[] = "/tmp/vprinter-cc-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string textPath = std::string(dir) + "/t.txt";
  std::string binPath = std::string(dir) + "/t.bin";
  std::ofstream(textPath, std::ios::binary) << journal.text;
  std::ofstream(binPath, std::ios::binary) << journal.binary;
  unsigned char text[4];
  unsigned char binary[4];
  Tools::FileCheckCode(textPath, text);
  Tools::FileCheckCode(binPath, binary);
  char code[17];
  std::snprintf(code, sizeof code, "%02X%02X%02X%02X%02X%02X%02X%02X", text[0], text[1], text[2], text[3], binary[0],
                binary[1], binary[2], binary[3]);
  EXPECT_EQ(host.Send("S10", {std::string(code, 8), std::string(code + 8, 8)}).code, 0);
  std::remove(textPath.c_str());
  std::remove(binPath.c_str());
  rmdir(dir);
}

TEST(EmulatorJournal, ReceiptsAndADownloadAreAcceptedAtTheFirstCheck) {
  Device device(FixedOptions());
  Host host(device);
  HostJournal journal;
  host.Receipt("1.0000");
  journal.Pull(host, true);  // the first receipt of the day pulls from the start
  host.Receipt("2.0000");
  journal.Pull(host, false);
  EXPECT_EQ(journal.Download(host), 0);
  // After an accepted check only newer blocks count.
  HostJournal next;
  host.Receipt("3.0000");
  next.Pull(host, false);
  EXPECT_EQ(next.Check(host), 0);
  EXPECT_EQ(journal.Check(host), 62);
}

TEST(EmulatorJournal, AfterAClosureTheDownloadRestartsAndSavesEveryBlock) {
  Device device(FixedOptions());
  Host host(device);
  HostJournal journal;
  host.Receipt("1.0000");
  journal.Pull(host, true);
  host.Receipt("2.0000");
  journal.Pull(host, false);
  host.Send("P15", {"2", "202601021900005", std::string(40, ' ')});
  journal.Pull(host, true);  // the closure pulls the day from the start
  journal.text.clear();      // and the host moves the text journal away
  host.Receipt("3.0000");    // receipt 1 of the new day
  journal.Pull(host, true);
  EXPECT_EQ(journal.Download(host), 1);  // one transfer from the start was needed
  std::size_t receipts = 0;
  for (std::size_t at = 0; (at = journal.text.find("Doklad \xE8. ", at)) != std::string::npos; ++at) ++receipts;
  EXPECT_EQ(receipts, 3u);
  EXPECT_NE(journal.text.find("DENN\xC1 UZ\xC1VIERKA"), std::string::npos);
}

// A printer that frees confirmed blocks hands out, from the start, only the
// blocks not yet confirmed; one that keeps them hands out its whole history.
TEST(EmulatorJournal, AFreeingPrinterCannotSendConfirmedBlocksAgain) {
  for (const char* mode : {"keep", "free"}) {
    SCOPED_TRACE(mode);
    Device device(FixedOptions());
    Host host(device);
    ASSERT_EQ(device.Command(std::string("journal ") + mode), "ok");
    host.Receipt("1.0000");
    HostJournal first;
    first.Pull(host, true);
    ASSERT_EQ(first.Check(host), 0);
    host.Receipt("2.0000");
    HostJournal again;
    again.Pull(host, true);
    const bool frees = std::string(mode) == "free";
    EXPECT_EQ(again.text.find("Doklad \xE8. 1\r") != std::string::npos, !frees);
    EXPECT_NE(again.text.find("Doklad \xE8. 2\r"), std::string::npos);
    // What the printer expects is what it handed out since it confirmed.
    EXPECT_EQ(again.Check(host), 0);
  }
}

TEST(EmulatorJournal, ABadJournalIsRejectedUntilTheFaultIsUsedUp) {
  Device device(FixedOptions());
  Host host(device);
  host.Receipt("1.0000");
  HostJournal journal;
  journal.Pull(host, true);
  ASSERT_EQ(device.Command("badjournal 2"), "ok");
  EXPECT_EQ(journal.Check(host), 62);
  EXPECT_EQ(journal.Download(host), 1);
  EXPECT_EQ(host.Send("S10", {"XYZ", "1"}).code, 33);
}

TEST(EmulatorState, StateDirectoryKeepsCountersParametersAndJournal) {
  char dir[] = "/tmp/vprinter-state-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::size_t blocks = 0;
  {
    Device device(FixedOptions());
    Host host(device);
    host.Receipt("4.2000");
    host.Send("F01", {"60",
                      "Akcia \x9A"
                      "tyri"});
    host.Send("F01", {"51", "23"});
    host.Send("P15", {"2", "202601021900005", std::string(40, ' ')});
    host.Receipt("1.0000");
    host.Send("S04", {"0"}, 4);
    blocks = device.Core().Journal().Size();
    ASSERT_EQ(device.Core().Save(dir), 0);
  }
  Device device(FixedOptions());
  ASSERT_EQ(device.Core().Load(dir), 0);
  Host host(device);
  EXPECT_EQ(host.Send("S01").Field(5), "1,00");
  EXPECT_EQ(host.Send("S08").Field(1), "1");
  EXPECT_EQ(host.Send("S03", {"60"}).Field(0), std::string("Akcia \x9Atyri") + std::string(29, ' '));
  EXPECT_EQ(host.Send("S03", {"51"}).Field(0), "23");
  EXPECT_EQ(device.Core().Journal().Size(), blocks);
  EXPECT_EQ(device.Core().Journal().Position(), 1u);
  std::remove((std::string(dir) + "/vprinter-state.txt").c_str());
  rmdir(dir);
}

}  // namespace
}  // namespace kestrel::emulator
