#pragma once
// The .reg profile parser: any file bytes, then the values the service reads,
// delivered into buffers of the sizes its callers use.
//
// Input: the whole file.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "config/RegFile.h"
#include "fuzz/harness/FuzzHarness.h"
#include "tools/Results.h"

namespace kestrel::fuzz {

inline void CheckDelivery(const std::string& stored) {
  static const std::size_t kSizes[] = {1, 2, 30, 50, 100, 300};
  for (std::size_t size : kSizes) {
    std::unique_ptr<char[]> buffer(new char[size]);
    std::memset(buffer.get(), 0x55, size);
    const int r = RegFile::Deliver(stored, buffer.get(), size);
    if (r == kSuccess) {
      Check(stored.size() <= size, "a delivered value fits");
      Check(std::memcmp(buffer.get(), stored.data(), stored.size()) == 0, "a delivered value is the stored bytes");
      Check(std::memchr(buffer.get(), 0, size) != nullptr, "a delivered value is terminated");
    } else {
      Check(r == kFailure, "Deliver answers 0 or 111");
      for (std::size_t i = 0; i < size; ++i) Check(buffer[i] == 0, "a refused value leaves the buffer zeroed");
    }
  }
}

inline void RunRegFile(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const RegFile file = RegFile::Parse(bytes);
  Check(file.Problems().size() <= RegFile::kMaxProblems, "problems kept are bounded");
  Check(file.ProblemCount() >= file.Problems().size(), "every kept problem is counted");

  static const char kFull[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM";
  static const char kShort[] = "HKLM\\software\\oleforretail\\serviceopos\\fiscalprinter\\zb_tarnel.com\\";
  static const char* const kNames[] = {"Port",     "Baudrate",   "DataDirectory",   "LogEnabled", "LogDays",
                                       "LogDebug", "V7Protocol", "LineDisplayRows", "",           "port"};
  Check(file.HasKey(kFull) == file.HasKey(kShort), "an abbreviated root names the same key");
  for (const char* name : kNames) {
    const std::string* full = file.Find(kFull, name);
    const std::string* abbreviated = file.Find(kShort, name);
    Check(full == abbreviated, "an abbreviated root finds the same value");
    if (full != nullptr) CheckDelivery(*full);
  }
  // The parser is a function of the bytes.
  const RegFile again = RegFile::Parse(bytes);
  Check(again.ProblemCount() == file.ProblemCount(), "parsing twice finds the same problems");
}

}  // namespace kestrel::fuzz
