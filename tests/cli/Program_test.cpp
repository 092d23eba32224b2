// The kestrel program itself: its exit statuses and where its messages go,
// without a printer.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/BuiltPrograms.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {
namespace {

struct Outcome {
  int status = -1;
  std::string output;  // standard output and standard error
};

// Runs the built program with the given arguments (shell words).
Outcome RunKestrel(const std::string& arguments) {
  const std::string command = testing::BuiltProgram("kestrel") + " " + arguments + " 2>&1";
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, got);
  const int status = ::pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

class Program : public ::testing::Test {
 protected:
  std::string Script(const std::string& text) {
    const std::string path = profile_.Dir() + "/script.txt";
    testing::WriteWholeFile(path, text);
    return path;
  }
  testing::TestProfile profile_;
};

TEST_F(Program, ExitStatusTellsSuccessFailureAndBadInput) {
  const struct {
    std::string script;
    int status;
    const char* output;
  } cases[] = {
      {"OpenService FiscalPrinter Kestrel\nCloseService\n", 0, "OpenService: 0\nCloseService: 0\n"},
      {"OpenService FiscalPrinter Kestrel\nClaimDevice 0\nCloseService\n", 1, "ClaimDevice: 103 \"Odpojené\"\n"},
      {"OpenService FiscalPrinter Kestrel\nClaimDevice 0 0\n", 2, "kestrel: line 2: ClaimDevice takes 1 argument"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunKestrel("run " + Script(c.script));
    EXPECT_EQ(outcome.status, c.status) << outcome.output;
    EXPECT_NE(outcome.output.find(c.output), std::string::npos) << outcome.output;
  }
}

TEST_F(Program, ReadsStandardInputAndKeepsGoing) {
  const Outcome outcome =
      RunKestrel("run --keep-going - < " + Script("OpenService FiscalPrinter Kestrel\nClaimDevice 0\nCloseService\n"));
  EXPECT_EQ(outcome.status, 1) << outcome.output;
  EXPECT_NE(outcome.output.find("\nCloseService: "), std::string::npos) << outcome.output;
}

TEST_F(Program, UsageErrorsAndHelp) {
  EXPECT_EQ(RunKestrel("--help").status, 0);
  EXPECT_EQ(RunKestrel("sale --help").status, 0);
  EXPECT_EQ(RunKestrel("").status, 2);
  EXPECT_EQ(RunKestrel("frobnicate").status, 2);
  EXPECT_EQ(RunKestrel("run /nonexistent/script.txt").status, 2);
  EXPECT_EQ(RunKestrel("run " + profile_.Dir()).status, 2);
  const Outcome sale = RunKestrel("sale Rožok 0.15x4");
  EXPECT_EQ(sale.status, 2);
  EXPECT_NE(sale.output.find("items come in threes"), std::string::npos) << sale.output;
}

TEST_F(Program, WarnsWhenTheProfileIsMissing) {
  const Outcome outcome = RunKestrel("--profile " + profile_.Dir() + "/none.reg run " + Script("CloseService\n"));
  EXPECT_EQ(outcome.status, 0) << outcome.output;
  EXPECT_NE(outcome.output.find("warning: cannot read the profile " + profile_.Dir() + "/none.reg"), std::string::npos)
      << outcome.output;
}

}  // namespace
}  // namespace kestrel::cli
