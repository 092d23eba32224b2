// Replays what the fuzz targets found, and their whole corpora, through the
// same harnesses (fuzz/harness/*.h). A harness aborts when the code under
// test breaks a promise, which fails the test; each test runs in its own
// process, as the harnesses set up the profile and the clock for the process.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "fuzz/harness/FormatTimeHarness.h"
#include "fuzz/harness/PrinterRequestHarness.h"
#include "fuzz/harness/ReadPacketHarness.h"
#include "fuzz/harness/RegFileHarness.h"
#include "fuzz/harness/ReplyParsingHarness.h"
#include "serial/RS232.h"
#include "tests/support/TestProfile.h"
#include "tools/Results.h"

namespace kestrel::fuzz {
namespace {

using Harness = void (*)(const std::uint8_t*, std::size_t);

std::string CorpusDir(const std::string& target) { return std::string(KESTREL_SOURCE_DIR) + "/fuzz/corpus/" + target; }

void Replay(Harness harness, const std::string& bytes) {
  harness(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string Kept(const std::string& target, const std::string& name) {
  const std::string bytes = testing::ReadWholeFile(CorpusDir(target) + "/" + name);
  EXPECT_FALSE(bytes.empty()) << target << "/" << name << " is missing";
  return bytes;
}

// Every input of a target's corpus, seeds and kept findings alike.
void ReplayCorpus(Harness harness, const std::string& target) {
  std::vector<std::string> names;
  Tools::ListDirectory(CorpusDir(target), names);
  ASSERT_FALSE(names.empty()) << "no corpus for " << target;
  for (const std::string& name : names) {
    SCOPED_TRACE(target + "/" + name);
    Replay(harness, testing::ReadWholeFile(CorpusDir(target) + "/" + name));
  }
}

TEST(FuzzCorpus, ReadPacket) { ReplayCorpus(RunReadPacket, "read_packet"); }
TEST(FuzzCorpus, ReplyParsing) { ReplayCorpus(RunReplyParsing, "reply_parsing"); }
TEST(FuzzCorpus, FormatTime) { ReplayCorpus(RunFormatTime, "format_time"); }
TEST(FuzzCorpus, RegFile) { ReplayCorpus(RunRegFile, "reg_file"); }
TEST(FuzzCorpus, PrinterRequest) { ReplayCorpus(RunPrinterRequest, "printer_request"); }

// Bytes without a start byte that happened to end in an ETX and matching CRC
// digits passed for a frame (the CRC was taken from their first byte on).
TEST(FuzzFinding, ReadPacketFrameWithoutStartByte) {
  Replay(RunReadPacket, Kept("read_packet", "regress-frame-without-start-byte"));
}

// Reads one reply from the given chunks, each shown after one empty poll.
struct ReadOutcome {
  int result;
  std::string frame;
};
ReadOutcome ReadChunks(const std::vector<std::string>& chunks) {
  Environment::Get();
  SingletonReset::All();
  auto line = std::make_shared<Line>();
  RS232::SetDeviceFactoryForTests([line] { return std::make_unique<ScriptedDevice>(line); });
  Settings::Instance().SetDeviceClass("FiscalPrinter");
  EXPECT_EQ(kSuccess, RS232::Instance().OpenPort());
  for (const std::string& bytes : chunks) line->pending.push_back({bytes, 1, false});
  std::vector<char> buffer(kPacketBufferSize, '\0');
  const int result = RS232::Instance().ReadPacket(buffer.data(), buffer.size(), 1);
  RS232::SetDeviceFactoryForTests(nullptr);
  return {result, std::string(buffer.data())};
}

std::string Frame(const std::string& body) {
  const std::string framed = "\x02" + body + "\x03";
  return framed + Tools::Crc16Hex(framed.data(), framed.size(), 0xFFFF);
}

// The frame boundaries behind that finding, written out: bytes that arrive
// before any start byte never become a frame, and an ETX seen before a new
// start byte does not end the new frame.
TEST(FuzzFinding, ReadPacketBoundaries) {
  // "\x1C" "AB" then "C", ETX and digits that are right for those bytes.
  const std::string headless = Frame(
                                   "\x1C"
                                   "ABC")
                                   .substr(1);
  ReadOutcome noise = ReadChunks({headless.substr(0, 3), headless.substr(3)});
  EXPECT_NE(kSuccess, noise.result);

  const std::string good = Frame(
      "S0110\x1C"
      "5");
  ReadOutcome restarted = ReadChunks({"\x02X\x03", good.substr(0, 8), good.substr(8)});
  EXPECT_EQ(kSuccess, restarted.result);
  EXPECT_EQ(good, restarted.frame);

  ReadOutcome afterNoise = ReadChunks({"\x1C\x1C", good});
  EXPECT_EQ(kSuccess, afterNoise.result);
  EXPECT_EQ(good, afterNoise.frame);
}

}  // namespace
}  // namespace kestrel::fuzz
