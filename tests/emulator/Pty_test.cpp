// The printer on a real pseudo-terminal: the in-process server a test starts
// in a few lines, and the kestrel-vprinter program with its control FIFO.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "emulator/Frame.h"
#include "emulator/PtyServer.h"
#include "tests/support/BuiltPrograms.h"

namespace kestrel::emulator {
namespace {

class ScratchDir {
 public:
  ScratchDir() {
    char name[] = "/tmp/vprinter-pty-XXXXXX";
    path_ = mkdtemp(name) ? name : "";
  }
  ~ScratchDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The host end of the line, as a serial port is used.
class Port {
 public:
  explicit Port(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ >= 0) {
      termios tio{};
      tcgetattr(fd_, &tio);
      cfmakeraw(&tio);
      tcsetattr(fd_, TCSANOW, &tio);
    }
  }
  ~Port() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Open() const { return fd_ >= 0; }

  // Sends a request and collects one reply frame; empty when none comes in
  // waitMs.
  std::string Exchange(const std::string& code, const std::vector<std::string>& fields, int waitMs = 1000) {
    tcflush(fd_, TCIFLUSH);
    std::string frame = BuildRequest(code, next_, 1, fields);
    if (::write(fd_, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return std::string();
    FrameAssembler assembler;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    std::string reply;
    while (!assembler.Next(reply)) {
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
      if (left <= 0) return std::string();
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, left) <= 0) continue;
      char buffer[512];
      ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n > 0) assembler.Feed(buffer, static_cast<std::size_t>(n));
    }
    Reply parsed;
    if (ParseReply(reply, parsed)) next_ = parsed.sequence >= '1' && parsed.sequence < '9' ? parsed.sequence + 1 : '1';
    return reply;
  }
  std::string Field0(const std::string& code, const std::vector<std::string>& fields = {}) {
    Reply parsed;
    if (!ParseReply(Exchange(code, fields), parsed) || parsed.fields.empty()) return "<none>";
    return parsed.fields[0];
  }

 private:
  int fd_ = -1;
  char next_ = '1';
};

bool WaitForPath(const std::string& path, bool present) {
  for (int i = 0; i < 500; ++i) {
    struct stat info {};
    if ((::lstat(path.c_str(), &info) == 0) == present) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(EmulatorPty, ServerAnswersOnItsLinkSurvivesReopeningAndPlaysFaults) {
  ScratchDir dir;
  ServerOptions options;
  options.link = dir / "printer";
  options.tracePath = dir / "trace.txt";
  PtyServer printer(options);
  std::string error;
  ASSERT_EQ(printer.Start(&error), 0) << error;
  {
    Port port(options.link);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.Field0("S09"), "0");
    ASSERT_EQ(printer.Inject("noreply 1"), "ok");
    EXPECT_EQ(port.Exchange("S09", {}, 200), "");
    ASSERT_EQ(printer.Inject("split 3 20"), "ok");
    EXPECT_EQ(port.Field0("S08"), "2.5.23");
  }
  // The service closes the port and opens it again.
  Port again(options.link);
  ASSERT_TRUE(again.Open());
  EXPECT_EQ(again.Field0("S01"), "00");
  std::vector<std::string> trace = printer.Trace();
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[0], "S09\t1\t01\t\t00\t0\t");
  EXPECT_EQ(trace[1], "S09\t2\t01\t\t--\t\tnoreply");
  printer.Stop();
  EXPECT_TRUE(WaitForPath(options.link, false));
  std::ifstream file(options.tracePath);
  std::string first;
  std::getline(file, first);
  EXPECT_EQ(first, trace[0]);
}

TEST(EmulatorPty, ProgramServesTakesControlLinesAndRemovesItsLinkOnTerm) {
  std::string program = kestrel::testing::BuiltProgram("kestrel-vprinter");
  ASSERT_EQ(access(program.c_str(), X_OK), 0) << program;
  ScratchDir dir;
  std::string link = dir / "ttyKestrel";
  std::string control = dir / "control";
  std::string paper = dir / "paper.txt";
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    dup2(null, 2);
    execl(program.c_str(), program.c_str(), "--link", link.c_str(), "--control", control.c_str(), "--paper",
          paper.c_str(), "--fault", "cover open", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_TRUE(WaitForPath(link, true));
  {
    Port port(link);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.Field0("S09"), "1");
    std::ofstream(control) << "cover closed\n";
    EXPECT_EQ(port.Field0("S09"), "0");
    EXPECT_EQ(port.Field0("P02", {"0", "0", "202601021030005"}), "1");
    EXPECT_EQ(port.Field0("P03", {"1", "ks", "1", "1.0000", "2.5000", "Ro\x9Eok               "}), "2,50");
    EXPECT_EQ(port.Field0("P09", {"1", "2.5000"}), "0,00");
    EXPECT_EQ(port.Field0("P12", {"1", "2", std::string(40, ' ')}), "1");
  }
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(access(link.c_str(), F_OK), 0);
  EXPECT_NE(access(control.c_str(), F_OK), 0);
  std::stringstream printed;
  printed << std::ifstream(paper).rdbuf();
  EXPECT_NE(printed.str().find("Rožok"), std::string::npos);
}

}  // namespace
}  // namespace kestrel::emulator
