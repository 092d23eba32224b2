// Ctrl-C in the middle of a receipt: the call in progress finishes, kestrel
// stops with 130 (143 for SIGTERM) and says what is open; kestrel cancel
// ends it and the next sale goes through. The built program against the
// virtual printer, signalled as a shell would.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "tests/cli/KestrelProgram.h"
#include "tests/cli/OnPrinter.h"

namespace kestrel::cli {
namespace {

// The program with its output on a pipe, to be signalled while it works.
class Child {
 public:
  explicit Child(const std::vector<std::string>& arguments) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], 1);
      ::dup2(fds[1], 2);
      ::close(fds[0]);
      ::close(fds[1]);
      const std::string program = testing::BuiltProgram("kestrel");
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Child() {
    if (pid_ > 0 && status_ < 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }

  // Reads until text has appeared (true) or the output ends or time runs out.
  bool ReadUntil(const std::string& text, int seconds = 60) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (output_.find(text) == std::string::npos) {
      if (std::chrono::steady_clock::now() > deadline || !ReadSome(100)) return false;
    }
    return true;
  }
  void Signal(int signal) { ::kill(pid_, signal); }
  // Reads the rest and waits for the exit status.
  int Finish() {
    while (ReadSome(60000)) {
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 256 + WTERMSIG(status);
    return status_;
  }
  const std::string& Output() const { return output_; }

 private:
  // False at the end of the output.
  bool ReadSome(int ms) {
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return ms < 60000;
    char buffer[4096];
    const ssize_t got = ::read(out_, buffer, sizeof buffer);
    if (got <= 0) return false;
    output_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string output_;
};

std::string LongReceipt() {
  std::string script =
      "OpenService FiscalPrinter Kestrel\nClaimDevice 0\nSetPropertyNumber 3 1\nBeginFiscalReceipt 1\n";
  for (int i = 0; i < 400; ++i) script += "PrintRecItem \"Rožok\" 1500 10000 1 1500 \"ks\"\n";
  return script + "PrintRecTotal 600000 600000 \"1\"\nEndFiscalReceipt 0\n";
}

struct Stop {
  int signal;
  int status;
  const char* name;
};

void PrintTo(const Stop& s, std::ostream* os) { *os << s.name; }

class InterruptedRun : public OnVirtualPrinter, public ::testing::WithParamInterface<Stop> {};

TEST_P(InterruptedRun, StopsAfterTheCallThenCancelAndSaleWork) {
  const Stop& stop = GetParam();
  const std::string script = profile_.Dir() + "/receipt.txt";
  testing::WriteWholeFile(script, LongReceipt());
  Child run({"run", script});
  ASSERT_TRUE(run.ReadUntil("PrintRecItem: 0\n")) << run.Output();
  run.Signal(stop.signal);
  EXPECT_EQ(run.Finish(), stop.status) << run.Output();
  const std::string& said = run.Output();
  EXPECT_NE(said.find(std::string("kestrel: stopped by ") + stop.name + " after line "), std::string::npos) << said;
  EXPECT_NE(said.find("(PrintRecItem); a fiscal receipt is open at the printer, not paid: `kestrel cancel` voids it"),
            std::string::npos)
      << said;
  // Every call that began ended with its own line: none was cut off.
  EXPECT_EQ(said.find("EndFiscalReceipt"), std::string::npos) << said;
  EXPECT_TRUE(Core([](emulator::Printer& p) { return p.ReceiptOpen(); }));

  const ProgramRun cancel = RunKestrelFor("cancel");
  EXPECT_EQ(cancel.status, 0) << cancel.output;
  EXPECT_EQ(cancel.output, "The open fiscal receipt was not paid: it is voided.\n");
  EXPECT_FALSE(Core([](emulator::Printer& p) { return p.ReceiptOpen(); }));

  const ProgramRun sale = RunKestrelFor("sale Mlieko 0.89 2");
  EXPECT_EQ(sale.status, 0) << sale.output;
  EXPECT_NE(sale.output.find("Receipt "), std::string::npos) << sale.output;
  EXPECT_GT(Core([](emulator::Printer& p) { return p.DailyTotal(); }), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedRun,
                         ::testing::Values(Stop{SIGINT, 130, "SIGINT"}, Stop{SIGTERM, 143, "SIGTERM"}),
                         [](const ::testing::TestParamInfo<Stop>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kestrel::cli
