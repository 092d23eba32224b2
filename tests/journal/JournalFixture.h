#pragma once
// A data directory and profile for Journal, with the paths loaded as the
// service loads them at its first open.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/Settings.h"
#include "journal/Journal.h"
#include "log/Log.h"
#include "tests/support/TestProfile.h"
#include "tools/Results.h"

namespace kestrel::testing {

class JournalTest : public ::testing::Test {
 protected:
  explicit JournalTest(bool loadPaths = true) : loadPaths_(loadPaths) {}

  void SetUp() override {
    std::filesystem::create_directories(profile_.DataDir());
    Settings::Instance().SetDeviceClass("FiscalPrinter");
    Log::Instance().LoadSettings();
    if (loadPaths_) {
      ASSERT_EQ(kSuccess, journal_.LoadPaths());
    }
  }

  std::string File(const std::string& name) const { return profile_.DataFile(name); }
  std::string Read(const std::string& name) const { return ReadWholeFile(File(name)); }
  void Put(const std::string& name, const std::string& bytes) const { WriteWholeFile(File(name), bytes); }
  bool Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }
  // Everything the log has written to the data directory so far.
  std::string LogText() const {
    std::string text;
    for (const auto& entry : std::filesystem::directory_iterator(profile_.DataDir())) {
      if (entry.path().filename().string().rfind("kstr_log_", 0) == 0) text += ReadWholeFile(entry.path().string());
    }
    return text;
  }

  const bool loadPaths_;
  TestProfile profile_;
  Journal& journal_ = Journal::Instance();
};

}  // namespace kestrel::testing
