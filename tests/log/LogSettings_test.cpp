#include <ostream>
#include <string>

#include "tests/log/LogFixture.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

struct SettingCase {
  const char* name;
  const char* value;
  int days;
  bool enabled;
  bool debug;
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const SettingCase& c, std::ostream* os) { *os << c.name << "=" << c.value; }

class LogSettingTest : public LogTest, public ::testing::WithParamInterface<SettingCase> {};

TEST_P(LogSettingTest, ValueGivesItsRule) {
  const SettingCase& c = GetParam();
  profile_.Set(c.name, c.value);
  log().LoadSettings();
  EXPECT_EQ(log().Days(), c.days);
  EXPECT_EQ(log().Enabled(), c.enabled);
  EXPECT_EQ(log().Debug(), c.debug);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LogSettingTest,
    ::testing::Values(SettingCase{"LogDays", "0", 200, true, true}, SettingCase{"LogDays", "366", 200, true, true},
                      SettingCase{"LogDays", "-5", 200, true, true}, SettingCase{"LogDays", "365", 365, true, true},
                      SettingCase{"LogDays", "1", 1, true, true},
                      SettingCase{"LogDays", "", 60, true, true},  // empty leaves the default
                      SettingCase{"LogDays", "99999999999", 200, true, true},
                      SettingCase{"LogDebug", "2", 60, true, false}, SettingCase{"LogDebug", "0", 60, true, false},
                      SettingCase{"LogEnabled", "2", 60, true, true}, SettingCase{"LogEnabled", "0", 60, false, true},
                      SettingCase{"LogEnabled", "abc", 60, false, true}));

TEST_F(LogTest, LoadSettingsCreatesOneDirectoryLevelAndKeepsItsFirstDirectory) {
  const std::string fresh = profile_.Dir() + "/fresh";
  profile_.Set("DataDirectory", fresh);
  profile_.Set("LogDebug", "1");
  EXPECT_EQ(log().LoadSettings(), 0);
  EXPECT_TRUE(Tools::DirectoryExists(fresh));

  // A second open keeps the directory and rereads the other values.
  profile_.Set("DataDirectory", profile_.DataDir());
  profile_.Set("LogDays", "7");
  log().LoadSettings();
  EXPECT_EQ(log().DataDirectory(), fresh);
  EXPECT_EQ(log().Days(), 7);
}

TEST_F(LogTest, DirectoryThatCannotBeCreatedStopsLoading) {
  profile_.Set("DataDirectory", profile_.Dir() + "/missing/data");
  profile_.Set("LogDays", "7");
  EXPECT_EQ(log().LoadSettings(), 111);
  EXPECT_EQ(log().Days(), 60);
  log().Write("Journal::Save", "lost");
  EXPECT_FALSE(Tools::DirectoryExists(profile_.Dir() + "/missing"));
}

struct RetentionCase {
  const char* logDays;  // null: absent
  int age;              // days before today; negative is in the future
  bool deleted;
};
void PrintTo(const RetentionCase& c, std::ostream* os) {
  *os << "LogDays " << (c.logDays != nullptr ? c.logDays : "absent") << ", age " << c.age;
}

class LogRetentionTest : public LogTest, public ::testing::WithParamInterface<RetentionCase> {};

TEST_P(LogRetentionTest, FilesOlderThanTheRetentionGo) {
  const RetentionCase& c = GetParam();
  if (c.logDays) profile_.Set("LogDays", c.logDays);
  log().LoadSettings();
  const std::string old = profile_.DataFile(LogNameDaysBefore(c.age));
  WriteWholeFile(old, "old\r\n");
  EXPECT_EQ(log().RemoveOldLogs(), 0);
  EXPECT_EQ(Tools::FileExists(old), !c.deleted);
}

INSTANTIATE_TEST_SUITE_P(Ages, LogRetentionTest,
                         ::testing::Values(RetentionCase{nullptr, 61, true}, RetentionCase{nullptr, 60, false},
                                           RetentionCase{nullptr, -61, true}, RetentionCase{"5", 6, true},
                                           RetentionCase{"5", 5, false}, RetentionCase{"0", 200, false},
                                           RetentionCase{"0", 201, true}));

TEST_F(LogTest, FirstLineOfEachDayRemovesOldFilesButNeverForeignNames) {
  log().LoadSettings();
  const char* foreign[] = {"kstr_log_backup.txt",     "kstr_log_2000_01_01.txt.bak", "old_log_2000_01_01.txt",
                           "kstr_log_2000_13_01.txt", "kstr_log_2000_1_011.txt",     "kstr_jrn_2000_01_01.txt"};
  for (const char* name : foreign) WriteWholeFile(profile_.DataFile(name), "x");
  const std::string dayOld = profile_.DataFile(LogNameDaysBefore(60));  // 61 days old tomorrow

  log().Write("FiscalPrinter::Open", "first");
  WriteWholeFile(dayOld, "x");
  log().Write("FiscalPrinter::Open", "second line of the day: no removal");
  EXPECT_TRUE(Tools::FileExists(dayOld));

  AdvanceClock(24 * 3600);
  log().Write("FiscalPrinter::Open", "after midnight");
  EXPECT_FALSE(Tools::FileExists(dayOld));
  EXPECT_EQ(ReadWholeFile(profile_.DataFile("kstr_log_2024_05_18.txt")),
            "10:20:30\t[FiscalPrinter::Open] after midnight\r\n");
  for (const char* name : foreign) EXPECT_TRUE(Tools::FileExists(profile_.DataFile(name))) << name;
}

}  // namespace
}  // namespace kestrel::testing
