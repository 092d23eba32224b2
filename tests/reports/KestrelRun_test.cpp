// The report, set-up, journal and service methods end to end: a script run
// by the kestrel tool against the virtual printer, as a technician would.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "emulator/PtyServer.h"
#include "tests/support/BuiltPrograms.h"
#include "tests/support/TestProfile.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

class KestrelRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = BuiltProgram("kestrel");
    ASSERT_TRUE(Tools::FileExists(tool_)) << tool_ << " is not built";
    emulator::ServerOptions options;
    options.link = profile_.Dir() + "/tty";
    server_ = std::make_unique<emulator::PtyServer>(options);
    ASSERT_EQ(server_->Start(), 0);
    profile_.Set("Port", options.link);
  }
  void TearDown() override {
    if (server_) server_->Stop();
  }

  // Runs the script; the tool's output, and its exit status in status.
  std::string Run(const std::string& script, int& status) {
    const std::string path = profile_.Dir() + "/script.txt";
    WriteWholeFile(path, script);
    const std::string command = tool_ + " run -k " + path + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    if (pipe == nullptr) return output;
    char chunk[512];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
  }

  TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> server_;
  std::string tool_;
};

TEST_F(KestrelRunTest, ATechniciansDay) {
  const std::string journal = profile_.Dir() + "/day";
  int status = -1;
  const std::string output =
      Run("OpenService FiscalPrinter Kestrel\n"
          "ClaimDevice 1000\n"
          "SetPropertyNumber 3 1\n"
          "SetHeaderLine 3 \"Ďakujeme\" 0\n"
          "SetVatValue 3 \"07\"\n"
          "SetVatTable\n"
          "GetVatEntry 3 0\n"
          "DirectIO 152 0 \"R-0001\"\n"
          "DirectIO 152 1 \"\"\n"
          "PrintXReport\n"
          "QueryContent \"" +
              journal +
              "\" \"\" \"\"\n"
              "PrintZReport\n"
              "GetData 3 0\n"
              "CheckHealth 2\n"
              "DirectIO 999 0 \"\"\n"
              "SetPropertyNumber 3 0\n"
              "ReleaseDevice\n"
              "CloseService\n",
          status);
  EXPECT_NE(output.find("SetVatTable: 0\n"), std::string::npos) << output;
  EXPECT_NE(output.find("GetVatEntry: 0 7\n"), std::string::npos) << output;
  EXPECT_NE(output.find("DirectIO: 0 1 \"R-0001\"\n"), std::string::npos) << output;
  EXPECT_NE(output.find("PrintXReport: 0\n"), std::string::npos) << output;
  EXPECT_NE(output.find("QueryContent: 0\n"), std::string::npos) << output;
  EXPECT_NE(output.find("PrintZReport: 0\n"), std::string::npos) << output;
  EXPECT_NE(output.find("GetData: 0 0 \"0\"\n"), std::string::npos) << output;
  EXPECT_NE(output.find("CheckHealth: 0\n"), std::string::npos) << output;
  EXPECT_NE(output.find("DirectIO: 106 \"Neplatný príkaz\""), std::string::npos) << output;
  EXPECT_EQ(status, 1);  // the refused DirectIO
  EXPECT_NE(server_->Paper().find("Ďakujeme"), std::string::npos);
}

}  // namespace
}  // namespace kestrel::testing
