// Messaging over a real pseudo-terminal against the virtual printer, with
// the printer playing the line's faults. Waits are scaled down: a
// one-second time-out takes about 100 ms here.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "config/Settings.h"
#include "emulator/PtyServer.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "serial/RS232.h"
#include "tests/support/TestProfile.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

class PtyEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    UseFastSleep(10);
    emulator::ServerOptions options;
    options.link = profile.Dir() + "/printer";
    options.printer.slipStation = true;
    server = std::make_unique<emulator::PtyServer>(options);
    std::string error;
    ASSERT_EQ(server->Start(&error), 0) << error;
    profile.Set("Port", server->DeviceName());
    Settings::Instance().SetDeviceClass("FiscalPrinter");
    Log::Instance().LoadSettings();
    ASSERT_EQ(m.EnsurePortOpen(), kSuccess);
  }
  void TearDown() override {
    m.ClosePort();
    server->Stop();
  }

  void Inject(const std::string& line) { ASSERT_EQ(server->Inject(line), "ok") << line; }
  // A harmless command whose reply carries a field: the fiscal state.
  int AskState(char* field = nullptr, int size = 0) {
    char local[32];
    return m.GetFiscalState(3, field != nullptr ? field : local, field != nullptr ? size : sizeof local);
  }
  // One bare request of the code, exchanged.
  int Exchange(const char* code) {
    m.CreatePacketOut(code, 1);
    m.ClosePacketOut();
    return m.SendReceive(1);
  }
  std::size_t Exchanges() const { return server->Trace().size(); }

  TestProfile profile;
  std::unique_ptr<emulator::PtyServer> server;
  Messaging& m = Messaging::Instance();
};

TEST_F(PtyEndToEnd, FirstContactReadsFirmwareAndSlipStation) {
  EXPECT_EQ(m.DisplayText("Dobry den", 2), kSuccess);
  EXPECT_EQ(m.SetFirmwareVersion(false), kSuccess);
  EXPECT_EQ(m.GetMajorVersion(), 2);
  EXPECT_EQ(m.GetMinorVersion(), 23);
  EXPECT_EQ(m.SetSlipPresent(), kSuccess);
  EXPECT_TRUE(m.GetSlipPresent());
  EXPECT_EQ(m.GetPrinterStatus(kStationReceipt), kSuccess);
  EXPECT_EQ(m.GetFiscalPrinterState(true), kPrinterStateMonitor);
}

TEST_F(PtyEndToEnd, SilentPrinterThreeTimesIsATimeout) {
  Inject("noreply 3");
  EXPECT_EQ(AskState(), kTimeout);
  EXPECT_STREQ(m.GetErrorMessage(), text::kTextNoReply);
  EXPECT_EQ(Exchanges(), 3u);
  // The line is usable again at once.
  EXPECT_EQ(AskState(), kSuccess);
}

TEST_F(PtyEndToEnd, ValidReplyOnTheSecondAttempt) {
  Inject("noreply 1");
  EXPECT_EQ(AskState(), kSuccess);
  EXPECT_EQ(Exchanges(), 2u);
}

TEST_F(PtyEndToEnd, SwitchedOffPrinterTimesOut) {
  Inject("off");
  EXPECT_EQ(m.GetPrinterStatus(kStationReceipt), kTimeout);
  Inject("on");
  EXPECT_EQ(m.GetPrinterStatus(kStationReceipt), kSuccess);
}

struct LineFault {
  const char* fault;
  int result;
  std::size_t exchanges;
};
void PrintTo(const LineFault& c, std::ostream* os) { *os << c.fault; }

class PtyLineFault : public PtyEndToEnd, public ::testing::WithParamInterface<LineFault> {};

TEST_P(PtyLineFault, ReplyIsTakenOrRefusedAsTheBytesDeserve) {
  Inject(GetParam().fault);
  char field[32];
  EXPECT_EQ(AskState(field, sizeof field), GetParam().result);
  EXPECT_EQ(Exchanges(), GetParam().exchanges);
  if (GetParam().result == kSuccess) {
    EXPECT_STREQ(field, "4");  // idle, day open
  } else {
    EXPECT_STREQ(m.GetErrorMessage(), text::kTextInvalidReply);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, PtyLineFault,
                         ::testing::Values(LineFault{"badcrc 3", kFailure, 3}, LineFault{"lowercrc 3", kFailure, 3},
                                           LineFault{"garbage 3", kFailure, 3}, LineFault{"badcrc 1", kSuccess, 2},
                                           LineFault{"noise 7", kSuccess, 1}, LineFault{"extra 5", kSuccess, 1},
                                           LineFault{"split 4 30", kSuccess, 1}, LineFault{"seqerror 1", kSuccess, 2}),
                         [](const ::testing::TestParamInfo<LineFault>& p) {
                           std::string name = p.param.fault;
                           for (char& c : name) c = c == ' ' ? '_' : c;
                           return name;
                         });

TEST_F(PtyEndToEnd, LongOperationIsPolledToItsResult) {
  Inject("long 3 P15");
  ASSERT_EQ(m.CreatePacketOut("P15", 1), kSuccess);
  m.AddPacketOutField("1");
  m.AddPacketOutField("202601021030005");
  m.AddPacketOutText("", true, 40);
  m.ClosePacketOut();
  EXPECT_EQ(m.SendReceive(10), kSuccess);
  const std::vector<std::string> trace = server->Trace();
  ASSERT_GE(trace.size(), 5u);
  // The command, three polls (type 02) and the result request (type 03).
  EXPECT_NE(trace[1].find("\t02\t"), std::string::npos) << trace[1];
  EXPECT_NE(trace.back().find("\t03\t"), std::string::npos) << trace.back();
}

TEST_F(PtyEndToEnd, BusyPrinterIsReportedBusy) {
  Inject("busy");
  EXPECT_EQ(AskState(), kBusy);
  EXPECT_STREQ(m.GetErrorMessage(), text::kTextBusy);
}

struct StatusAfterError {
  int status;
  int result;
};
void PrintTo(const StatusAfterError& c, std::ostream* os) { *os << "status " << c.status; }

class PtyPrinterError : public PtyEndToEnd, public ::testing::WithParamInterface<StatusAfterError> {};

TEST_P(PtyPrinterError, StatusRequestDecides) {
  Inject("error " + std::to_string(GetParam().status));
  EXPECT_EQ(Exchange("S01"), GetParam().result);
  if (GetParam().result == kSuccess) {
    EXPECT_STREQ(m.GetErrorMessage(), "");
  } else {
    EXPECT_STREQ(m.GetErrorMessage(), text::kTextPrinterError);
  }
}

INSTANTIATE_TEST_SUITE_P(Statuses, PtyPrinterError,
                         ::testing::Values(StatusAfterError{0, kReceiptEmpty}, StatusAfterError{1, kCoverOpen},
                                           StatusAfterError{2, kReceiptEmpty}, StatusAfterError{3, kReceiptEmpty},
                                           StatusAfterError{4, kReceiptEmpty}, StatusAfterError{5, kReceiptEmpty},
                                           StatusAfterError{6, kSuccess}, StatusAfterError{7, kReceiptEmpty}),
                         [](const ::testing::TestParamInfo<StatusAfterError>& p) {
                           return "status" + std::to_string(p.param.status);
                         });

struct CodeCase {
  int code;
  int result;
};
void PrintTo(const CodeCase& c, std::ostream* os) { *os << "code " << c.code; }

class PtyReplyCode : public PtyEndToEnd, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(PtyReplyCode, CodeIsMapped) {
  m.SetErrorMessage("before");
  Inject("reply S01 " + std::to_string(GetParam().code));
  EXPECT_EQ(Exchange("S01"), GetParam().result);
  if (GetParam().result == kSuccess || GetParam().result == kJournalEmpty) {
    EXPECT_STREQ(m.GetErrorMessage(), "before");
  } else {
    EXPECT_STREQ(m.GetErrorMessage(), text::kTextUnknownError);
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, PtyReplyCode,
                         ::testing::Values(CodeCase{13, kSuccess}, CodeCase{22, kSuccess}, CodeCase{73, kJournalEmpty},
                                           CodeCase{99, kFailure}),
                         [](const ::testing::TestParamInfo<CodeCase>& p) {
                           return "code" + std::to_string(p.param.code);
                         });

TEST_F(PtyEndToEnd, ASecondProgramCannotTakeTheHeldPort) {
  const std::string device = server->DeviceName();
  auto second = CreatePlatformSerialDevice();
  EXPECT_FALSE(second->Open(device.c_str()));
  m.ClosePort();
  EXPECT_TRUE(second->Open(device.c_str()));
  second->Close();
}

}  // namespace
}  // namespace kestrel::testing
