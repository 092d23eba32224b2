#pragma once
// Tools::FormatTime: a date text read by a template, then formatted.
//
// Input: four bytes of clock (seconds added to a fixed instant, so that the
// fields a template does not name vary), one byte choosing the output
// buffer size, one byte choosing the output format, then the text and the
// template separated by the first NUL byte (no NUL: the template is empty).
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "fuzz/harness/FuzzHarness.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::fuzz {

inline std::time_t& FormatTimeClock() {
  static std::time_t now = 0;
  return now;
}

inline void RunFormatTime(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return;
  Environment::Get();
  std::uint32_t offset = 0;
  std::memcpy(&offset, data, 4);
  // 1990 .. about 2126: a host clock within reason.
  FormatTimeClock() = static_cast<std::time_t>(631152000) + static_cast<std::time_t>(offset);
  clock::SetNowHook([] { return FormatTimeClock(); });

  // The formats the service passes, and now and then one from the input.
  static const char* const kFormats[] = {"%Y%m%d%H%M%S", "%Y%m%d%H%M%S%w", "%y%m%d",   "%Y%m%d",
                                         "%d%m%Y%H%M",   "%d.%m.%Y %H:%M", "%H:%M:%S", "kstr_log_%Y_%m_%d.txt"};
  const std::size_t outSize = data[4] < 0xF0 ? 32 : static_cast<std::size_t>(data[4] - 0xF0);  // 0 .. 15
  const std::string rest(reinterpret_cast<const char*>(data + 6), size - 6);
  const std::size_t split = rest.find('\0');
  const std::string text = rest.substr(0, split);
  std::string textTemplate = split == std::string::npos ? std::string() : rest.substr(split + 1);
  std::string outFormat = kFormats[data[5] % (sizeof kFormats / sizeof kFormats[0])];
  if (data[5] >= 0xF0) {
    // The template's second half doubles as the output format.
    const std::size_t half = textTemplate.find('\0');
    if (half != std::string::npos) {
      outFormat = textTemplate.substr(half + 1);
      textTemplate.resize(half);
    }
  }

  std::unique_ptr<char[]> out(new char[outSize > 0 ? outSize : 1]);
  std::memset(out.get(), 0x55, outSize > 0 ? outSize : 1);
  const int result = Tools::FormatTime(outSize > 0 ? out.get() : nullptr, outSize, outFormat.c_str(), text.c_str(),
                                       textTemplate.c_str());
  Check(result == kSuccess || result == kIllegal, "FormatTime answers 0 or 106");
  if (outSize == 0) return;
  const std::size_t written = ::strnlen(out.get(), outSize);
  Check(written < outSize, "the output is terminated inside its buffer");
  Check(result != kSuccess || written > 0, "success formats something");
  if (result != kSuccess) {
    for (std::size_t i = 0; i < outSize; ++i) Check(out[i] == 0, "a refused text leaves the output empty");
    return;
  }

  // A date the interface form accepts reads back unchanged: no field moves
  // while the time is normalised.
  if (textTemplate == "%d%m%Y%H%M" && outFormat == "%d%m%Y%H%M" && text.size() >= 12) {
    Check(text.compare(0, 12, out.get()) == 0, "an interface date reads back unchanged");
  }
}

}  // namespace kestrel::fuzz
