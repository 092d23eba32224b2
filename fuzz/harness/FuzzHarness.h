#pragma once
// Common ground of the fuzz harnesses. A harness is header-only so that the
// libFuzzer programs and the regression tests (tests/fuzzregress) run exactly
// the same code on an input.
//
// What the line delivers is written as a chunk script: a run of records, each
//   control byte, length byte (255: two more bytes follow, little-endian),
//   that many payload bytes (fewer when the input ends first).
// Control bits 0-4: empty polls of the input queue before the chunk shows;
// bit 5: the harness rewrites the four CRC digits after the chunk's first
// ETX, so that the fuzzer reaches what lies behind the CRC check; bit 6: the
// chunk is the last of the reply to one request; bit 7: 40 more empty polls
// (longer than a one-second wait, so the reader times out first).
#include <ftw.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "serial/Frame.h"
#include "serial/RS232.h"
#include "serial/SerialDevice.h"
#include "tools/Clock.h"
#include "tools/Tools.h"

namespace kestrel::fuzz {

// A broken promise of the code under test: report it and stop, so that
// libFuzzer keeps the input (and a regression test fails).
inline void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

struct Chunk {
  std::string bytes;
  int afterPolls = 0;
  bool endsReply = false;
};

constexpr unsigned kPollMask = 0x1F;
constexpr unsigned kFixCrc = 0x20;
constexpr unsigned kEndsReply = 0x40;
constexpr unsigned kLatePolls = 0x80;
constexpr int kLateExtraPolls = 40;

// Rewrites the CRC digits behind the first ETX after the first STX, when
// there is room for them.
inline void FixCrc(std::string& bytes) {
  const std::size_t stx = bytes.find(kStx);
  if (stx == std::string::npos) return;
  const std::size_t etx = bytes.find(kEtx, stx);
  if (etx == std::string::npos || bytes.size() - etx - 1 < kCrcDigits) return;
  const std::string crc = Tools::Crc16Hex(bytes.data() + stx, etx + 1 - stx, 0xFFFF);
  bytes.replace(etx + 1, kCrcDigits, crc);
}

inline std::vector<Chunk> ParseChunks(const std::uint8_t* data, std::size_t size) {
  std::vector<Chunk> chunks;
  std::size_t at = 0;
  while (at + 2 <= size) {
    const unsigned control = data[at];
    std::size_t length = data[at + 1];
    at += 2;
    if (length == 255 && at + 2 <= size) {
      length = static_cast<std::size_t>(data[at]) | static_cast<std::size_t>(data[at + 1]) << 8;
      at += 2;
    }
    if (length > size - at) length = size - at;
    Chunk chunk;
    chunk.bytes.assign(reinterpret_cast<const char*>(data + at), length);
    at += length;
    chunk.afterPolls = static_cast<int>(control & kPollMask) + ((control & kLatePolls) ? kLateExtraPolls : 0);
    chunk.endsReply = (control & kEndsReply) != 0;
    if (control & kFixCrc) FixCrc(chunk.bytes);
    chunks.push_back(std::move(chunk));
  }
  return chunks;
}

// The inverse, for the seed program and the tests: one record per chunk.
inline std::string WriteChunk(const std::string& bytes, unsigned control) {
  std::string out(1, static_cast<char>(control));
  if (bytes.size() < 255) {
    out += static_cast<char>(bytes.size());
  } else {
    out += static_cast<char>(255);
    out += static_cast<char>(bytes.size() & 0xFF);
    out += static_cast<char>((bytes.size() >> 8) & 0xFF);
  }
  return out + bytes;
}

// The line behind the scripted device. Chunks show one at a time in the
// input queue. With replyPerRequest, a write releases the chunks of one
// reply (up to one marked endsReply); otherwise all of them wait from the
// start.
struct Line {
  std::deque<Chunk> script;
  std::deque<Chunk> pending;
  std::string queue;
  std::vector<std::string> writes;
  bool replyPerRequest = false;

  void ReleaseReply() {
    while (!script.empty()) {
      Chunk next = std::move(script.front());
      script.pop_front();
      const bool last = next.endsReply;
      pending.push_back(std::move(next));
      if (last) break;
    }
  }
};

class ScriptedDevice final : public SerialDevice {
 public:
  explicit ScriptedDevice(std::shared_ptr<Line> line) : line_(std::move(line)) {}
  bool Open(const char*) override { return open_ = true; }
  bool IsOpen() const override { return open_; }
  unsigned long HandleValue() const override { return open_ ? 7UL : 0xFFFFFFFFUL; }
  void Close() override { open_ = false; }
  bool SetQueueSizes(unsigned long, unsigned long) override { return true; }
  bool SetLineSettings(const LineSettings&) override { return true; }
  bool SetTimeouts(const LineTimeouts&) override { return true; }
  bool SetEventMask(unsigned long) override { return true; }
  bool PurgeInput() override {
    line_->queue.clear();
    line_->pending.clear();
    return true;
  }
  bool PurgeOutput() override { return true; }
  std::size_t Write(const void* bytes, std::size_t count) override {
    line_->writes.emplace_back(static_cast<const char*>(bytes), count);
    if (line_->replyPerRequest) line_->ReleaseReply();
    return count;
  }
  std::size_t Read(void* bytes, std::size_t count) override {
    const std::size_t n = count < line_->queue.size() ? count : line_->queue.size();
    std::memcpy(bytes, line_->queue.data(), n);
    line_->queue.erase(0, n);
    return n;
  }
  std::size_t QueuedInput() override {
    if (line_->queue.empty() && !line_->pending.empty()) {
      Chunk& next = line_->pending.front();
      if (next.afterPolls > 0) {
        --next.afterPolls;
      } else {
        line_->queue = std::move(next.bytes);
        line_->pending.pop_front();
      }
    }
    return line_->queue.size();
  }

 private:
  std::shared_ptr<Line> line_;
  bool open_ = false;
};

// A scratch directory with a profile that names a port and a data
// directory, pointed to by KESTREL_REGISTRY; sleeps return at once and the
// clock stands still. Made once per process; its destructor (at the
// process's end) removes the directory. The variable and the hooks are put
// in place again at every Get, since a test program resets them between tests.
class Environment {
 public:
  static Environment& Get() {
    static Environment environment;
    environment.Apply();
    return environment;
  }
  const std::string& DataDir() const { return dataDir_; }

 private:
  Environment() {
    char pattern[] = "/tmp/kestrel-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    Check(made != nullptr, "scratch directory");
    dir_ = made;
    dataDir_ = dir_ + "/data";
    Tools::MakeDirectory(dataDir_);
    const std::string profile = dir_ + "/profile.reg";
    std::ofstream out(profile, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n\r\n"
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM]\r\n"
        << "\"Port\"=\"COM1\"\r\n"
        << "\"DataDirectory\"=\"" << dataDir_ << "\"\r\n"
        << "\"LogEnabled\"=\"1\"\r\n"
        << "\"LogDebug\"=\"1\"\r\n";
    out.close();
    profile_ = profile;
  }
  void Apply() const {
    ::setenv("KESTREL_REGISTRY", profile_.c_str(), 1);
    clock::SetSleepHook([](int) {});
    clock::SetNowHook([]() -> std::time_t { return 1717000000; });  // a May 2024 afternoon
  }
  ~Environment() {
    ::nftw(
        dir_.c_str(), [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }

  std::string dir_;
  std::string dataDir_;
  std::string profile_;
};

// Removes the daily log files written so far, so that a long campaign does
// not fill the disk (the log's own clean-up runs again on its next line).
inline void DropLogs() {
  std::vector<std::string> names;
  const std::string& dir = Environment::Get().DataDir();
  Tools::ListDirectory(dir, names);
  for (const std::string& name : names) {
    if (name.rfind("kstr_log_", 0) == 0) std::remove(Tools::JoinPath(dir, name).c_str());
  }
}

}  // namespace kestrel::fuzz
