#pragma once
// A scratch directory and a registry profile for one test. The profile is a
// .reg file that KESTREL_REGISTRY points at; values are given in UTF-8 and
// written as the registry export format stores them.
#include <ctime>
#include <map>
#include <string>

namespace kestrel::testing {

class TestProfile {
 public:
  // Creates a fresh directory under the system's temporary directory, with a
  // "data" folder inside, and points KESTREL_REGISTRY at <dir>/profile.reg.
  // The profile starts with DataDirectory set to that data folder.
  explicit TestProfile(const std::string& deviceClass = "FiscalPrinter");
  ~TestProfile();  // removes the directory

  TestProfile(const TestProfile&) = delete;
  TestProfile& operator=(const TestProfile&) = delete;

  // Sets (or with an empty optional, removes) a value and rewrites the file.
  void Set(const std::string& name, const std::string& value);
  void Remove(const std::string& name);

  const std::string& Dir() const { return dir_; }
  const std::string& DataDir() const { return dataDir_; }
  const std::string& ProfilePath() const { return profilePath_; }
  // The path of a file in the data directory.
  std::string DataFile(const std::string& name) const;

 private:
  void Rewrite() const;

  std::string deviceClass_;
  std::string dir_;
  std::string dataDir_;
  std::string profilePath_;
  std::map<std::string, std::string> values_;
};

// Reads a whole file as bytes; empty when missing.
std::string ReadWholeFile(const std::string& path);
// Writes bytes to a file, replacing it.
void WriteWholeFile(const std::string& path, const std::string& bytes);

// Makes clock::SleepMs return at once (time still "passes" for the fake clock
// when a fake clock is installed) or scales every sleep down by `divisor`.
void UseFastSleep(int divisor = 20);
// Pins clock::Now to a fixed instant; AdvanceClock moves it.
void PinClock(std::time_t now);
void AdvanceClock(long seconds);

}  // namespace kestrel::testing
