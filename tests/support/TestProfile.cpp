#include "tests/support/TestProfile.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/Clock.h"

namespace kestrel::testing {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

std::string EscapeRegString(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::atomic<int> g_divisor{20};
std::atomic<std::time_t> g_now{0};

void ScaledSleep(int ms) {
  int divisor = g_divisor.load();
  if (divisor <= 0 || ms <= 0) return;
  std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(ms) * 1000 / divisor));
}
std::time_t PinnedNow() { return g_now.load(); }

}  // namespace

TestProfile::TestProfile(const std::string& deviceClass) : deviceClass_(deviceClass) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kt.XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
  dataDir_ = dir_ + "/data";
  ::mkdir(dataDir_.c_str(), 0700);
  profilePath_ = dir_ + "/profile.reg";
  values_["DataDirectory"] = dataDir_;
  ::setenv("KESTREL_REGISTRY", profilePath_.c_str(), 1);
  Rewrite();
}

TestProfile::~TestProfile() { ::nftw(dir_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

void TestProfile::Set(const std::string& name, const std::string& value) {
  values_[name] = value;
  Rewrite();
}

void TestProfile::Remove(const std::string& name) {
  values_.erase(name);
  Rewrite();
}

std::string TestProfile::DataFile(const std::string& name) const { return dataDir_ + "/" + name; }

void TestProfile::Rewrite() const {
  std::ostringstream out;
  out << "Windows Registry Editor Version 5.00\r\n\r\n"
      << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\" << deviceClass_ << "\\ZB_Tarnel.COM]\r\n";
  for (const auto& [name, value] : values_) {
    out << '"' << EscapeRegString(name) << "\"=\"" << EscapeRegString(value) << "\"\r\n";
  }
  WriteWholeFile(profilePath_, out.str());
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void UseFastSleep(int divisor) {
  g_divisor.store(divisor);
  clock::SetSleepHook(ScaledSleep);
}

void PinClock(std::time_t now) {
  g_now.store(now);
  clock::SetNowHook(PinnedNow);
}

void AdvanceClock(long seconds) { g_now.fetch_add(seconds); }

}  // namespace kestrel::testing
