// What the tool says when the world is wrong: the profile, the data
// directory, the port. Each cause must reach the technician in one line that
// names it (and the port's also in the daily log).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "cli/DataDirectoryCheck.h"
#include "config/Settings.h"
#include "serial/SerialDevice.h"
#include "tests/cli/KestrelProgram.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {
namespace {

using testing::TestProfile;

using SilentPty = testing::PseudoTerminal;

// "@DIR" and "@PROFILE" in `says` stand for the scratch directory and the profile.
struct Scene {
  const char* what;
  std::function<void(TestProfile&, std::shared_ptr<void>&)> set;
  const char* command;
  int status;
  std::string says;  // one line of the output
  bool logged;       // the same cause in the daily log
};

void PrintTo(const Scene& s, std::ostream* os) { *os << s.what; }

std::string Filled(std::string text, const TestProfile& profile) {
  for (const auto& [mark, value] : {std::make_pair(std::string("@DIR"), profile.Dir()),
                                    std::make_pair(std::string("@PROFILE"), profile.ProfilePath())}) {
    for (std::size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), value);
  }
  return text;
}

class ToolNamesTheCause : public ::testing::TestWithParam<Scene> {};

TEST_P(ToolNamesTheCause, InOneLine) {
  const Scene& scene = GetParam();
  TestProfile profile;
  std::shared_ptr<void> hold;
  scene.set(profile, hold);
  const ProgramRun run = RunKestrelFor(scene.command, 20, "KESTREL_REGISTRY=" + profile.ProfilePath());
  EXPECT_EQ(run.status, scene.status) << run.output;
  const std::string line = Filled(scene.says, profile);
  EXPECT_NE(run.output.find(line), std::string::npos) << "expected: " << line << "\n" << run.output;
  if (scene.logged) {
    std::string log;
    for (const auto& entry : std::filesystem::directory_iterator(profile.DataDir())) {
      if (entry.path().filename().string().rfind("kstr_log_", 0) == 0) log += testing::ReadWholeFile(entry.path());
    }
    const std::string cause = line.substr(line.find(": ") + 2);
    EXPECT_NE(log.find("Cause: "), std::string::npos) << log;
    EXPECT_NE(log.find(cause.substr(0, cause.find(" ["))), std::string::npos) << log;
  }
}

// Sets the port to a pseudo-terminal that nothing answers on, with a Baudrate.
std::function<void(TestProfile&, std::shared_ptr<void>&)> SilentPort(const char* baudrate) {
  return [baudrate](TestProfile& p, std::shared_ptr<void>& hold) {
    auto pty = std::make_shared<SilentPty>();
    hold = pty;
    p.Set("Port", pty->Name());
    p.Set("Baudrate", baudrate);
  };
}

INSTANTIATE_TEST_SUITE_P(
    Profile, ToolNamesTheCause,
    ::testing::Values(
        Scene{"fifo",
              [](TestProfile& p, std::shared_ptr<void>&) {
                ::unlink(p.ProfilePath().c_str());
                ::mkfifo(p.ProfilePath().c_str(), 0600);
              },
              "status", 1, "cannot use the profile @PROFILE: a FIFO, not a file", false},
        Scene{"directory",
              [](TestProfile& p, std::shared_ptr<void>&) {
                ::unlink(p.ProfilePath().c_str());
                ::mkdir(p.ProfilePath().c_str(), 0700);
              },
              "x-report", 1, "cannot use the profile @PROFILE: a directory, not a file", false},
        Scene{"no key for the device class", [](TestProfile&, std::shared_ptr<void>&) {}, "status --device-class Other",
              1,
              "the profile @PROFILE has no key "
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\Other\\ZB_Tarnel.COM] for the device "
              "class \"Other\"",
              false},
        Scene{"long data directory",
              [](TestProfile& p, std::shared_ptr<void>&) { p.Set("DataDirectory", "/" + std::string(349, 'd')); },
              "status", 1, "warning: DataDirectory is too long: 350 characters, at most 275 leave room", false},
        Scene{"missing device", [](TestProfile& p, std::shared_ptr<void>&) { p.Set("Port", p.Dir() + "/ttyUSB7"); },
              "status", 1,
              "cannot open the printer's port @DIR/ttyUSB7: no such device (No such file or directory, error 2) "
              "[103 Odpojené]",
              true},
        Scene{"not a serial device",
              [](TestProfile& p, std::shared_ptr<void>&) { p.Set("Port", p.Dir() + "/profile.reg"); }, "x-report", 1,
              "cannot open the printer's port @DIR/profile.reg: not a serial device (Inappropriate ioctl for device, "
              "error 25)",
              true},
        Scene{"port held by another process",
              [](TestProfile& p, std::shared_ptr<void>& hold) {
                struct Held {
                  SilentPty pty;
                  std::unique_ptr<SerialDevice> holder = CreatePlatformSerialDevice();
                };
                auto held = std::make_shared<Held>();
                held->holder->Open(held->pty.Name().c_str());
                hold = held;
                p.Set("Port", held->pty.Name());
              },
              "status", 1, ": port busy, held by another process (", true},
        Scene{"rate the line lacks", SilentPort("12345"), "status", 1,
              ": the line cannot run at Baudrate 12345 (Invalid argument, error 22)", true},
        Scene{"baudrate not a number", SilentPort("96OO"), "status", 1, ": Baudrate \"96OO\" is not a decimal number",
              true},
        Scene{"unknown command", [](TestProfile&, std::shared_ptr<void>&) {}, "frobnicate", 2,
              "kestrel: unknown command \"frobnicate\"; the commands are:\n  run ", false}),
    [](const ::testing::TestParamInfo<Scene>& p) {
      std::string name = p.param.what;
      for (char& c : name) c = c == ' ' ? '_' : c;
      return name;
    });

// The judgement of the data directory, one cause per row.
TEST(DataDirectoryJudgement, EachFaultIsNamedWithItsReason) {
  DataDirectoryFacts fine;
  fine.named = true;
  fine.path = "/var/lib/kestrel";
  fine.maxChars = 275;
  fine.exists = true;
  fine.isDirectory = true;
  fine.freeKnown = true;
  fine.freeBytes = 500 * 1024 * 1024;
  struct Row {
    const char* what;
    std::function<void(DataDirectoryFacts&)> change;
    const char* says;  // empty: no warning
  } rows[] = {
      {"fine", [](DataDirectoryFacts&) {}, ""},
      {"unnamed", [](DataDirectoryFacts& f) { f.named = false; }, "the profile names no DataDirectory"},
      {"too long", [](DataDirectoryFacts& f) { f.path = std::string(276, 'x'); },
       "DataDirectory is too long: 276 characters, at most 275"},
      {"missing levels",
       [](DataDirectoryFacts& f) {
         f.exists = false;
         f.missingLevel = "/var/lib";
       },
       "DataDirectory /var/lib/kestrel does not exist: /var/lib is missing (the service creates only the last level)"},
      {"not creatable",
       [](DataDirectoryFacts& f) {
         f.exists = false;
         f.missingLevel = f.path;
       },
       "does not exist and could not be created"},
      {"a file", [](DataDirectoryFacts& f) { f.isDirectory = false; }, "is a file, not a directory"},
      {"read-only", [](DataDirectoryFacts& f) { f.writeError = EROFS; }, "is on a read-only file system"},
      {"denied", [](DataDirectoryFacts& f) { f.writeError = EACCES; }, "is not writable (Permission denied)"},
      {"full", [](DataDirectoryFacts& f) { f.writeError = ENOSPC; }, "is full: a file cannot be written there"},
      {"nearly full", [](DataDirectoryFacts& f) { f.freeBytes = 200 * 1024; }, "is nearly full: 200 KB free"},
  };
  for (const Row& row : rows) {
    DataDirectoryFacts facts = fine;
    row.change(facts);
    const std::string said = JudgeDataDirectory(facts);
    if (*row.says == '\0') {
      EXPECT_EQ(said, "") << row.what;
    } else {
      EXPECT_NE(said.find(row.says), std::string::npos) << row.what << ": " << said;
    }
  }
}

// The facts as the disk gives them, after the service's open.
TEST(DataDirectoryFactsOnDisk, MissingLevelsAFileAndAWritableDirectory) {
  TestProfile profile;
  const std::string file = profile.Dir() + "/plain";
  testing::WriteWholeFile(file, "x");
  struct Row {
    std::string value;
    bool exists;
    bool isDirectory;
    std::string missingLevel;
  } rows[] = {
      {profile.DataDir(), true, true, ""},
      {profile.Dir() + "/a/b/c", false, false, profile.Dir() + "/a"},
      {file, true, false, ""},
  };
  for (const Row& row : rows) {
    profile.Set("DataDirectory", row.value);
    Settings::Instance().SetDeviceClass("FiscalPrinter");
    const DataDirectoryFacts facts = GatherDataDirectoryFacts();
    EXPECT_TRUE(facts.named) << row.value;
    EXPECT_EQ(facts.exists, row.exists) << row.value;
    EXPECT_EQ(facts.isDirectory, row.isDirectory) << row.value;
    EXPECT_EQ(facts.missingLevel, row.missingLevel) << row.value;
    EXPECT_EQ(facts.writeError, 0) << row.value;
    EXPECT_EQ(facts.maxChars, 275u);
  }
  // The trial write leaves nothing behind.
  EXPECT_EQ(std::filesystem::directory_iterator(profile.DataDir()), std::filesystem::directory_iterator());
}

}  // namespace
}  // namespace kestrel::cli
