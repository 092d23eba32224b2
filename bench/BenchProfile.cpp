#include "bench/BenchProfile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kestrel::bench {

BenchProfile::BenchProfile() {
  // Short: the profile's Port holds at most 29 characters.
  char pattern[] = "/tmp/kbench.XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot make a scratch directory");
  dir_ = pattern;
  dataDir_ = dir_ + "/data";
  std::filesystem::create_directories(dataDir_);
  ::setenv("KESTREL_REGISTRY", (dir_ + "/profile.reg").c_str(), 1);
  values_["DataDirectory"] = dataDir_;
  values_["Baudrate"] = "115200";
  Rewrite();
}

BenchProfile::~BenchProfile() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void BenchProfile::Set(const std::string& name, const std::string& value) {
  values_[name] = value;
  Rewrite();
}

void BenchProfile::Rewrite() const {
  // Values here are plain paths and digits: nothing to escape.
  std::ofstream out(dir_ + "/profile.reg", std::ios::binary | std::ios::trunc);
  out << "Windows Registry Editor Version 5.00\r\n\r\n"
      << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM]\r\n";
  for (const auto& [name, value] : values_) out << '"' << name << "\"=\"" << value << "\"\r\n";
}

}  // namespace kestrel::bench
