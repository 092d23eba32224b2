// `kestrel run` without a printer: turning lines into calls, the printed
// line of a call, and the exit statuses.
#include "cli/ScriptRunner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/CallOutput.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {
namespace {

std::string PrepareError(const std::string& line) {
  PreparedCall call;
  std::string error;
  EXPECT_EQ(PrepareLine(line, 7, call, error), Prepared::kError) << line;
  return error;
}

TEST(PrepareLine, NamesTheLineAndWhatIsWrong) {
  const struct {
    const char* line;
    const char* error;
  } cases[] = {
      {"PrintRecItm x", "line 7: unknown method \"PrintRecItm\""},
      {"claimdevice 0", "line 7: unknown method \"claimdevice\" (did you mean ClaimDevice?)"},
      {"ClaimDevice", "line 7: ClaimDevice takes 1 argument, 0 given (usage: ClaimDevice timeout)"},
      {"GetData 1 0 x",
       "line 7: GetData takes 2 arguments, 3 given (usage: GetData dataItem optArgs  => optArgs data)"},
      {"ClaimDevice 2147483648",
       "line 7: ClaimDevice: timeout must be a whole number from -2147483648 to 2147483647, not \"2147483648\""},
      {"ClaimDevice 12a", "line 7: ClaimDevice: timeout must be a whole number"},
      {"ClaimDevice \"\"", "line 7: ClaimDevice: timeout must be a whole number"},
      {"PrintRecCash 1.50", "line 7: PrintRecCash: amount must be a whole number (amounts in 1/10000), not \"1.50\""},
      {"PrintRecCash 9223372036854775808", "line 7: PrintRecCash: amount must be a whole number"},
      {"BeginFiscalReceipt yes", "line 7: BeginFiscalReceipt: printHeader must be 0 or 1, not \"yes\""},
      {"PrintRecMessage \"x", "line 7: the quoted text is not closed (column 17)"},
  };
  for (const auto& c : cases) {
    const std::string error = PrepareError(c.line);
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.line << "\n  gave: " << error;
  }
}

TEST(PrepareLine, ConvertsArgumentsToWhatTheServiceTakes) {
  PreparedCall call;
  std::string error;
  // Texts go to the service in windows-1250; both ends of the 64-bit range fit.
  ASSERT_EQ(PrepareLine("PrintRecItem \"Rožok €\" -9223372036854775808 0 1 9223372036854775807 ks", 1, call, error),
            Prepared::kCall)
      << error;
  EXPECT_EQ(std::string(call.args.Text(0)), "Ro\x9Eok \x80");
  EXPECT_EQ(call.args.Wide(1), INT64_MIN);
  EXPECT_EQ(call.args.Wide(4), INT64_MAX);
  EXPECT_EQ(std::string(call.args.Text(5)), "ks");

  // Any non-zero number is true.
  ASSERT_EQ(PrepareLine("BeginFiscalReceipt -3", 2, call, error), Prepared::kCall);
  EXPECT_TRUE(call.args.Flag(0));

  // In/out values are written and go in; pure out values are not written.
  ASSERT_EQ(PrepareLine("DirectIO 152 -2147483648 \"Účet 1\"", 3, call, error), Prepared::kCall) << error;
  EXPECT_EQ(*call.args.NumberRef(1), INT32_MIN);
  EXPECT_EQ(*call.args.TextRef(2), "\xDA\xE8\x65t 1");
  EXPECT_EQ(PrepareLine("GetDate", 4, call, error), Prepared::kCall);
  EXPECT_FALSE(call.args.Miswired());
}

TEST(CallOutput, FormatsEveryPart) {
  EXPECT_EQ(FormatCallLine({"PrintRecTotal", "114", 207, std::string("Neplatný stav"), {}}),
            "PrintRecTotal: 114 (207) \"Neplatný stav\"");
  EXPECT_EQ(FormatCallLine({"GetData", "0", std::nullopt, std::nullopt, {"0", "\"12.50\""}}), "GetData: 0 0 \"12.50\"");
  EXPECT_EQ(FormatCallLine({"ClaimDevice", "103", std::nullopt, std::string("Odpojené"), {}}),
            "ClaimDevice: 103 \"Odpojené\"");
}

TEST(CallOutput, QuotesTextsOnOneLine) {
  EXPECT_EQ(Quote(R"(a "b" \c)"), R"("a \"b\" \\c")");
  EXPECT_EQ(Quote("two\r\nlines\x7F"), R"("two\x0D\x0Alines\x7F")");
  EXPECT_EQ(Quote("Šťastný"), "\"Šťastný\"");
  EXPECT_EQ(Quote(""), "\"\"");
}

// A runner on a profile without a port: the service opens, but cannot claim.
class RunnerTest : public ::testing::Test {
 protected:
  int Run(const std::string& script, bool keepGoing = false) {
    ScriptRunner runner(out_, err_, keepGoing);
    return runner.RunText(script);
  }
  testing::TestProfile profile_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(RunnerTest, StopsAtTheFirstFailedCall) {
  EXPECT_EQ(Run("OpenService FiscalPrinter Kestrel\nClaimDevice 0\nGetPropertyNumber 6\n"), kExitCallFailed);
  EXPECT_EQ(out_.str(), "OpenService: 0\nClaimDevice: 103 \"Odpojené\"\n");
}

TEST_F(RunnerTest, KeepGoingRunsEveryLineAndStillFails) {
  EXPECT_EQ(Run("OpenService FiscalPrinter Kestrel\n"
                "ClaimDevice -1\n"
                "# getters print the value and never fail\n"
                "GetPropertyNumber 6\n"
                "GetPropertyString 1000003\n"
                "PrintRecItem \"x\" 1 0 1 0 \"\"\n"
                "CompareFirmwareVersion \"fw.bin\"\n"
                "RetrieveStatistics \"Žiť\"\n"
                "CloseService\n",
                true),
            kExitCallFailed);
  EXPECT_EQ(out_.str(),
            "OpenService: 0\n"
            "ClaimDevice: 106 \"Neplatnâ hodnota\"\n"
            "GetPropertyNumber: 106\n"
            "GetPropertyString: \"Kestrel\"\n"
            "PrintRecItem: 103 \"Odpojené\"\n"
            // out and in/out values follow the error text
            "CompareFirmwareVersion: 106 \"Nepodporované\" 0\n"
            "RetrieveStatistics: 106 \"Nepodporované\" \"Žiť\"\n"
            // CloseService records no result: ResultCode still holds the last one.
            "CloseService: 106 \"Nepodporované\"\n");
}

TEST_F(RunnerTest, SucceedsWhenEveryCallSucceeds) {
  EXPECT_EQ(Run("OpenService FiscalPrinter Kestrel\r\n\r\nGetPropertyNumber 8\r\nCloseService\r\n"), kExitOk);
  EXPECT_EQ(out_.str(), "OpenService: 0\nGetPropertyNumber: 1012021\nCloseService: 0\n");
  EXPECT_EQ(err_.str(), "");
}

TEST_F(RunnerTest, BadLinesAreAllNamedAndNothingRuns) {
  EXPECT_EQ(Run("OpenService FiscalPrinter Kestrel\n"
                "ClaimDevice\n"
                "# fine\n"
                "Nonsense 1\n"
                "CloseService",
                true),
            kExitBadInput);
  EXPECT_EQ(out_.str(), "");
  EXPECT_NE(err_.str().find("line 2: ClaimDevice takes 1 argument"), std::string::npos) << err_.str();
  EXPECT_NE(err_.str().find("line 4: unknown method \"Nonsense\""), std::string::npos) << err_.str();
}

TEST_F(RunnerTest, TerminalInputRunsUntilABadLine) {
  std::istringstream in("OpenService FiscalPrinter Kestrel\nGetPropertyNumber 9\nOops(\nCloseService\n");
  ScriptRunner runner(out_, err_, false);
  EXPECT_EQ(runner.RunInteractive(in), kExitBadInput);
  EXPECT_EQ(out_.str(), "OpenService: 0\nGetPropertyNumber: 2\n");
  EXPECT_NE(err_.str().find("line 3: a line starts with a method name"), std::string::npos) << err_.str();
}

TEST_F(RunnerTest, WarnsOnceWhenTheProfileNamesNoDataDirectory) {
  profile_.Remove("DataDirectory");
  EXPECT_EQ(Run("OpenService FiscalPrinter Kestrel\nOpenService FiscalPrinter Kestrel\n"), kExitOk);
  const std::string warning = "names no DataDirectory";
  const std::string err = err_.str();
  ASSERT_NE(err.find(warning), std::string::npos) << err;
  EXPECT_EQ(err.find(warning, err.find(warning) + 1), std::string::npos) << err;
}

TEST_F(RunnerTest, NoWarningWithADataDirectory) {
  EXPECT_EQ(Run("OpenService FiscalPrinter Kestrel\n"), kExitOk);
  EXPECT_EQ(err_.str(), "");
}

}  // namespace
}  // namespace kestrel::cli
