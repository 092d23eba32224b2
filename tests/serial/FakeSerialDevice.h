#pragma once
// A scripted serial device for the RS232 and Messaging tests. The test keeps
// a FakeLine; the device RS232 owns talks to it. Every write goes to the
// line's responder, whose chunks then arrive one at a time: a chunk becomes
// visible to the input queue after its `afterPolls` empty polls, and only once
// the previous chunk has been read. Discarding the input drops what arrived
// and what is still to come, except chunks marked `late`: those are replies
// still on their way from the printer, which no purge can reach.
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/RS232.h"
#include "serial/SerialDevice.h"

namespace kestrel::testing {

struct Chunk {
  std::string bytes;
  int afterPolls = 0;
  bool late = false;
};

struct FakeLine {
  // What the device does.
  bool openFails = false;
  bool lineSettingsFail = false;
  long shortWriteBy = 0;  // bytes a write leaves unwritten
  std::function<std::vector<Chunk>(const std::string& request)> responder;

  // What happened.
  std::vector<std::string> writes;
  std::vector<std::string> opened;  // device names
  std::vector<LineSettings> settings;
  int closes = 0;
  int inputPurges = 0;
  int outputPurges = 0;
  int polls = 0;
  bool open = false;

  // The input side.
  std::deque<Chunk> pending;
  std::string queue;

  void Arrive(const std::string& bytes, int afterPolls = 0, bool late = false) {
    pending.push_back({bytes, afterPolls, late});
  }
};

class FakeSerialDevice final : public SerialDevice {
 public:
  explicit FakeSerialDevice(std::shared_ptr<FakeLine> line) : line_(std::move(line)) {}

  bool Open(const char* name) override {
    line_->opened.push_back(name);
    if (line_->openFails) return false;
    line_->open = true;
    return true;
  }
  bool IsOpen() const override { return line_->open; }
  unsigned long HandleValue() const override { return line_->open ? 0x1234UL : 0xFFFFFFFFUL; }
  void Close() override {
    if (line_->open) ++line_->closes;
    line_->open = false;
  }
  bool SetQueueSizes(unsigned long, unsigned long) override { return true; }
  bool SetLineSettings(const LineSettings& s) override {
    line_->settings.push_back(s);
    return !line_->lineSettingsFail;
  }
  bool SetTimeouts(const LineTimeouts&) override { return true; }
  bool SetEventMask(unsigned long) override { return true; }
  bool PurgeInput() override {
    ++line_->inputPurges;
    line_->queue.clear();
    std::deque<Chunk> onTheirWay;
    for (Chunk& c : line_->pending) {
      if (c.late) onTheirWay.push_back(std::move(c));
    }
    line_->pending.swap(onTheirWay);
    return true;
  }
  bool PurgeOutput() override {
    ++line_->outputPurges;
    return true;
  }
  std::size_t Write(const void* bytes, std::size_t count) override {
    std::string request(static_cast<const char*>(bytes), count);
    line_->writes.push_back(request);
    if (line_->responder) {
      for (Chunk& c : line_->responder(request)) line_->pending.push_back(std::move(c));
    }
    const std::size_t shortBy = static_cast<std::size_t>(line_->shortWriteBy);
    return shortBy < count ? count - shortBy : 0;
  }
  std::size_t Read(void* bytes, std::size_t count) override {
    const std::size_t n = count < line_->queue.size() ? count : line_->queue.size();
    std::memcpy(bytes, line_->queue.data(), n);
    line_->queue.erase(0, n);
    return n;
  }
  std::size_t QueuedInput() override {
    ++line_->polls;
    if (line_->queue.empty() && !line_->pending.empty()) {
      Chunk& next = line_->pending.front();
      if (next.afterPolls > 0) {
        --next.afterPolls;
      } else {
        line_->queue = next.bytes;
        line_->pending.pop_front();
      }
    }
    return line_->queue.size();
  }

 private:
  std::shared_ptr<FakeLine> line_;
};

// Installs a fresh fake line as the device of the next RS232.
inline std::shared_ptr<FakeLine> InstallFakeLine() {
  auto line = std::make_shared<FakeLine>();
  RS232::SetDeviceFactoryForTests([line] { return std::make_unique<FakeSerialDevice>(line); });
  return line;
}

}  // namespace kestrel::testing
