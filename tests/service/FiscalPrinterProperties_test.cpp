// The property tables where a fault could hide: constants that differ from
// 0, unknown indices, values computed from other objects, and the writable
// properties with everything that must refuse a write.
#include <ostream>

#include "journal/Journal.h"
#include "tests/service/ServiceFixture.h"

namespace kestrel::testing {
namespace {

using namespace opos::pidx;

struct NumberCase {
  int32_t index;
  int32_t value;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << "property " << c.index << " = " << c.value; }

class NumberConstants : public ServiceTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NumberConstants, AnswerTheirValueAndLeaveTheResultAlone) {
  Open();
  fp_.ClaimDevice(-1, nullptr);
  EXPECT_EQ(Number(GetParam().index), GetParam().value) << GetParam().index;
  EXPECT_EQ(Number(kResultCode), kIllegal);
}

// The constants a slip of the pen would hide in, and indices nobody answers.
INSTANTIATE_TEST_SUITE_P(Table, NumberConstants,
                         ::testing::Values(NumberCase{kServiceObjectVersion, 1012021}, NumberCase{501, 1},
                                           NumberCase{5503, 997}, NumberCase{16004, 0x40000000},
                                           NumberCase{16016, 4000}, NumberCase{16017, 3}, NumberCase{16019, 8},
                                           NumberCase{16035, 24}, NumberCase{16504, 0}, NumberCase{26511, 4},
                                           // Not answered, or not ours at all: 0.
                                           NumberCase{kJrnEmpty, 0}, NumberCase{16503, 0}, NumberCase{16546, 0},
                                           NumberCase{26001, 0}, NumberCase{0, 0}, NumberCase{99999, 0},
                                           NumberCase{-1, 0}));

struct StringCase {
  int32_t index;
  const char* value;
};
void PrintTo(const StringCase& c, std::ostream* os) { *os << "property " << c.index << " = " << c.value; }

class StringConstants : public ServiceTest, public ::testing::WithParamInterface<StringCase> {};

TEST_P(StringConstants, AnswerTheirText) { EXPECT_EQ(String(GetParam().index), GetParam().value) << GetParam().index; }

INSTANTIATE_TEST_SUITE_P(Table, StringConstants,
                         ::testing::Values(StringCase{kServiceObjectDescription, "Kestrel Device Service OPOS 1.12"},
                                           StringCase{1016002, "1, 2, 3, 4"}, StringCase{kCheckHealthText, ""},
                                           StringCase{1099999, ""}, StringCase{6, ""}));

TEST_F(ServiceTest, NullOutputsAreIgnored) {
  fp_.GetPropertyNumber(kServiceObjectVersion, nullptr);
  fp_.GetPropertyString(kDeviceName, nullptr);
}

TEST_F(ServiceTest, RowsFollowTheConfigurationUnderBothNames) {
  profile_.Set("LineDisplayRows", "4");
  Open();
  EXPECT_EQ(Number(kDispDeviceRows), 4);
  EXPECT_EQ(Number(kDispRows), 4);
  EXPECT_EQ(Number(kDispColumns), 20);
}

TEST_F(ServiceTest, DayOpenedFollowsTheJournalsTransactionsFlag) {
  Open();
  EXPECT_EQ(Number(kDayOpened), 0);
  Journal::Instance().UpdateEOD("", true);
  EXPECT_EQ(Number(kDayOpened), 1);
  Journal::Instance().UpdateEOD("", false);
  EXPECT_EQ(Number(kDayOpened), 0);
}

TEST_F(ServiceTest, TrailerIsWrittenAndReadThroughItsStringProperty) {
  Open();
  fp_.ClaimDevice(-1, nullptr);
  const std::string trailer = std::string(
                                  "\xC8"
                                  "akujeme za n\xE1kup") +
                              std::string(1100, '.');
  EXPECT_EQ(fp_.SetPropertyString(kAdditionalTrailer, trailer.c_str()), 0);
  EXPECT_EQ(String(kAdditionalTrailer), trailer.substr(0, 1000));  // read through a 1000-character window
  EXPECT_EQ(fp_.SetPropertyString(kAdditionalTrailer, ""), 0);     // empty: the stored text stays
  EXPECT_EQ(String(kAdditionalTrailer), trailer.substr(0, 1000));
  EXPECT_EQ(Number(kResultCode), kIllegal);  // no result is recorded
}

TEST_F(ServiceTest, ReadOnlyAndUnknownIndicesRefuseWrites) {
  Open();
  EXPECT_EQ(fp_.SetPropertyNumber(kDispColumns, 40), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextNotSupported);
  EXPECT_EQ(Number(kState), opos::kStateError);
  EXPECT_EQ(Number(kDispColumns), 20);
  EXPECT_EQ(fp_.SetPropertyNumber(kClaimed, 1), kIllegal);
  EXPECT_EQ(Number(kClaimed), 0);
  fp_.SetPropertyNumber(kFreezeEvents, 0);
  EXPECT_EQ(fp_.SetPropertyString(kDeviceName, "Other"), kIllegal);
  EXPECT_EQ(String(kDeviceName), "Kestrel");
  EXPECT_EQ(fp_.SetPropertyString(kErrorString, "x"), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextNotSupported);
  EXPECT_EQ(LogText().find("[Messaging::DisplayText]"), std::string::npos);  // never shown
}

// DateType and FiscalReceiptType: the device must be enabled, then the value
// must be one the service knows.
struct TypeCase {
  const char* name;
  int32_t index;
  bool enabled;
  int32_t value;
  int32_t code;
  int32_t stored;  // the property afterwards
};
void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }

class TypeWrites : public ServiceTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeWrites, CheckDeviceThenValue) {
  const TypeCase& c = GetParam();
  Open();
  peer().SetDeviceFlags(true, true, c.enabled);
  EXPECT_EQ(fp_.SetPropertyNumber(c.index, c.value), c.code);
  EXPECT_EQ(Number(kResultCode), c.code);
  EXPECT_EQ(Number(c.index), c.stored);
  if (c.code == kIllegal) {
    EXPECT_EQ(ErrorString(), text::kTextNotSupported);
  }
  if (c.code == kDisabled) {
    EXPECT_EQ(ErrorString(), text::kTextDisabled);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, TypeWrites,
                         ::testing::Values(TypeCase{"date_conf", kDateType, true, 1, 0, 1},
                                           TypeCase{"date_rtc", kDateType, true, 4, 0, 4},
                                           TypeCase{"date_other", kDateType, true, 2, kIllegal, 4},
                                           TypeCase{"date_disabled", kDateType, false, 1, kDisabled, 4},
                                           TypeCase{"receipt_refund", kFiscalReceiptType, true, 7, 0, 7},
                                           TypeCase{"receipt_cash_in", kFiscalReceiptType, true, 1, 0, 1},
                                           TypeCase{"receipt_zero", kFiscalReceiptType, true, 0, kIllegal, 4},
                                           TypeCase{"receipt_eight", kFiscalReceiptType, true, 8, kIllegal, 4},
                                           TypeCase{"receipt_disabled", kFiscalReceiptType, false, 1, kDisabled, 4}),
                         [](const ::testing::TestParamInfo<TypeCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kestrel::testing
