// Reply codes to results and error texts, and the printer-error follow-up.
#include <gtest/gtest.h>

#include <ostream>

#include <string>

#include "tests/protocol/ProtocolFixture.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

constexpr const char kKeep[] = "previous text";

struct MappingCase {
  int reply;
  int result;
  const char* text;  // kKeep: the previous text stays
};

void PrintTo(const MappingCase& c, std::ostream* os) { *os << "reply " << c.reply; }

class ReplyMapping : public ProtocolFixture, public ::testing::WithParamInterface<MappingCase> {};

TEST_P(ReplyMapping, CodeGivesResultAndText) {
  const MappingCase& c = GetParam();
  m.SetErrorMessage(kKeep);
  EXPECT_EQ(m.GetUPOSError(c.reply), c.result);
  EXPECT_STREQ(m.GetErrorMessage(), c.text);
  EXPECT_TRUE(line->writes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyMapping,
    ::testing::Values(
        MappingCase{0, kSuccess, kKeep}, MappingCase{13, kSuccess, kKeep}, MappingCase{21, kSuccess, kKeep},
        MappingCase{22, kSuccess, kKeep}, MappingCase{23, kSuccess, kKeep},
        MappingCase{11, kFailure, text::kTextLongRequestFailed}, MappingCase{12, kBusy, text::kTextBusy},
        MappingCase{31, kFailure, text::kTextBadSequence}, MappingCase{32, kFailure, text::kTextBadRequest},
        MappingCase{33, kIllegal, text::kTextBadDataPart}, MappingCase{34, kFailure, text::kTextBadCrc},
        MappingCase{35, kFailure, text::kTextUnknownRequest}, MappingCase{36, kFailure, text::kTextUnknownStatus},
        MappingCase{41, kDayEndRequired, text::kTextDayClosureRequired},
        MappingCase{42, kWrongState, text::kTextCloseDocument},
        MappingCase{43, kFiscalTotalsError, text::kTextAmountDue}, MappingCase{44, kIllegal, text::kTextOutOfRange},
        MappingCase{45, kWrongState, text::kTextNoDocument}, MappingCase{46, kWrongState, text::kTextRegisterNotOpened},
        MappingCase{47, kWrongState, text::kTextClosureDone}, MappingCase{48, kIllegal, text::kTextBadOperation},
        MappingCase{52, kTechnicalAssistance, text::kTextPrinterDisconnected},
        MappingCase{53, kTechnicalAssistance, text::kTextDisplayDisconnected},
        MappingCase{61, kFiscalMemoryFull, text::kTextFiscalMemoryFull},
        MappingCase{62, kJournalDownloadRequired, text::kTextDownloadJournal},
        MappingCase{63, kJournalDownloadRequired, text::kTextJournalFull},
        MappingCase{64, kTechnicalAssistance, text::kTextServiceOverflow},
        MappingCase{65, kCallService, text::kTextCallService},
        MappingCase{66, kFiscalMemoryNearlyFull, text::kTextFiscalMemoryNearlyFull},
        MappingCase{67, kTechnicalAssistance, text::kTextReadOnly}, MappingCase{68, kIllegal, text::kTextForeignMemory},
        MappingCase{69, kJournalDownloadRequired, text::kTextDownloadJournal},
        MappingCase{70, kBadDate, text::kTextBadTime}, MappingCase{71, kBadItemAmount, text::kTextCancelNotAllowed},
        MappingCase{72, kBadItemAmount, text::kTextDiscountNotAllowed}, MappingCase{73, kJournalEmpty, kKeep},
        MappingCase{99, kFailure, text::kTextUnknownError}, MappingCase{1, kFailure, text::kTextUnknownError},
        MappingCase{101, kFailure, text::kTextUnknownError}),
    [](const ::testing::TestParamInfo<MappingCase>& p) { return "reply" + std::to_string(p.param.reply); });

struct StatusCase {
  const char* name;
  Answer statusReply;
  int result;
  const char* text;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class PrinterError : public ProtocolFixture, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(PrinterError, StatusDecidesTheResult) {
  const StatusCase& c = GetParam();
  Script({Reply(51), c.statusReply});
  m.CreatePacketOut("P09", 1);
  m.ClosePacketOut();
  EXPECT_EQ(m.SendReceive(4), c.result);
  EXPECT_STREQ(m.GetErrorMessage(), c.text);
  // One status request, no retries of its own.
  ASSERT_EQ(SentCodes(), (std::vector<std::string>{"P09", "S09"}));
  EXPECT_EQ(Sent()[1].type, 1);
  EXPECT_TRUE(Sent()[1].fields.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, PrinterError,
    ::testing::Values(StatusCase{"near_end_is_success", Reply(0, {"6"}), kSuccess, ""},
                      StatusCase{"cover_open", Reply(0, {"1"}), kCoverOpen, text::kTextPrinterError},
                      StatusCase{"paper_out", Reply(0, {"3"}), kReceiptEmpty, text::kTextPrinterError},
                      StatusCase{"other_status", Reply(0, {"0"}), kReceiptEmpty, text::kTextPrinterError},
                      StatusCase{"no_reply", Silence(), kCoverOpen, text::kTextPrinterError},
                      StatusCase{"no_field", Reply(0), kCoverOpen, text::kTextPrinterError},
                      StatusCase{"status_busy", Reply(12, {"6"}), kCoverOpen, text::kTextPrinterError}),
    [](const ::testing::TestParamInfo<StatusCase>& p) { return std::string(p.param.name); });

using PrinterErrorFollowUp = ProtocolFixture;

TEST_F(PrinterErrorFollowUp, LeavesTheCommandsOwnReplyInPlace) {
  // A payment answered 51 whose status turns out harmless goes on to read
  // its own amount field, not the status digit.
  Script({Reply(51, {"12,50"}), ReplyWithSequence('6', 0, {"6"})});
  m.CreatePacketOut("P09", 1);
  m.AddPacketOutField("20.0000");
  m.ClosePacketOut();
  const std::string request = m.PacketOut();
  ASSERT_EQ(m.SendReceive(4), kSuccess);
  char field[21];
  ASSERT_EQ(m.GetPacketInField(field, sizeof field, 0), kSuccess);
  EXPECT_STREQ(field, "12,50");
  EXPECT_EQ(std::string(m.PacketOut()), request);
  // The status exchange still moved the numbering on.
  EXPECT_EQ(m.NextSequence(), 7);
}

}  // namespace
}  // namespace kestrel::testing
