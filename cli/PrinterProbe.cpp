#include "cli/PrinterProbe.h"

#include <cctype>
#include <chrono>
#include <memory>
#include <thread>

#include "cli/SerialPorts.h"
#include "protocol/ReplyCodes.h"
#include "serial/Frame.h"
#include "serial/SerialDevice.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 10;
// More than any reply of the questions asked; noise beyond it is dropped.
constexpr std::size_t kMaxHeld = 16384;
constexpr int kFirmwareField = 0;   // S08: operating data, field 0
constexpr int kPrinterIdItem = 15;  // S03: fiscal data item 15

// The driver's line: 8N1, DTR raised, RTS low, no flow control.
LineSettings DriverLine(unsigned long rate) {
  LineSettings settings;
  settings.baudRate = rate;
  settings.byteSize = 8;
  settings.dtrEnable = true;
  settings.rtsEnable = false;
  settings.txContinueOnXoff = true;
  return settings;
}

// Field index of a reply body (0 = the first after the header), or empty.
std::string Field(const std::string& body, int index) {
  std::vector<std::string> pieces;
  std::size_t from = 0;
  for (;;) {
    const std::size_t fs = body.find(kFs, from);
    const std::string piece = body.substr(from, fs == std::string::npos ? std::string::npos : fs - from);
    if (!piece.empty()) pieces.push_back(piece);
    if (fs == std::string::npos) break;
    from = fs + 1;
  }
  const std::size_t wanted = static_cast<std::size_t>(index) + 1;  // after the header
  return wanted < pieces.size() ? pieces[wanted] : std::string();
}

int ReplyCodeOf(const std::string& body) {
  if (body.size() < 6 || !std::isdigit(static_cast<unsigned char>(body[4])) ||
      !std::isdigit(static_cast<unsigned char>(body[5]))) {
    return 0;
  }
  return (body[4] - '0') * 10 + (body[5] - '0');
}

// The printer's next sequence digit after a reply, as the driver follows it.
char NextSequence(const std::string& body) {
  if (body.size() < 4 || body[3] < '1' || body[3] > '8') return '1';
  return static_cast<char>(body[3] + 1);
}

class Line {
 public:
  explicit Line(SerialDevice& device) : device_(device) {}

  // Sends the request and waits up to waitMs for a frame that is not its echo.
  // True with the reply's body; echoed tells whether the request came back.
  bool Ask(const std::string& request, int waitMs, std::string& body) {
    device_.PurgeInput();
    device_.PurgeOutput();
    held_.clear();
    if (device_.Write(request.data(), request.size()) != request.size()) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
      const std::size_t queued = device_.QueuedInput();
      if (queued == 0) continue;
      std::string chunk(queued, '\0');
      chunk.resize(device_.Read(&chunk[0], chunk.size()));
      anyBytes_ = anyBytes_ || !chunk.empty();
      held_ += chunk;
      std::string frame;
      while (FindFrame(held_, body, frame)) {
        held_.erase(0, held_.find(frame) + frame.size());
        if (frame == request) {
          echoed_ = true;  // our own request, coming back
          continue;
        }
        return true;
      }
      if (held_.size() > kMaxHeld) held_.erase(0, held_.size() - kMaxHeld / 2);
    }
    return false;
  }

  bool AnyBytes() const { return anyBytes_; }
  bool Echoed() const { return echoed_; }

 private:
  SerialDevice& device_;
  std::string held_;
  bool anyBytes_ = false;
  bool echoed_ = false;
};

// Asks one question and follows a sequence error once, as the driver does.
std::string Query(Line& line, const std::string& code, const std::vector<std::string>& fields, char& sequence,
                  int waitMs, int field) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string body;
    if (!line.Ask(RequestFrame(code, sequence, fields), waitMs, body)) return "";
    sequence = NextSequence(body);
    const int reply = ReplyCodeOf(body);
    if (reply == ToInt(ReplyCode::kBadSequence)) continue;
    return reply == 0 ? Field(body, field) : "";
  }
  return "";
}

}  // namespace

const std::vector<unsigned long>& ProbeRates() {
  static const std::vector<unsigned long> rates = {115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200};
  return rates;
}

std::string RequestFrame(const std::string& code, char sequence, const std::vector<std::string>& fields) {
  std::string frame(1, kStx);
  frame += code;
  frame += sequence;
  frame += "01";
  for (const std::string& field : fields) frame += kFs + field;
  frame += kEtx;
  return frame + Tools::Crc16Hex(frame.data(), frame.size(), 0xFFFF);
}

bool FindFrame(const std::string& bytes, std::string& body, std::string& frame) {
  for (std::size_t stx = bytes.find(kStx); stx != std::string::npos; stx = bytes.find(kStx, stx + 1)) {
    const std::size_t etx = bytes.find(kEtx, stx);
    if (etx == std::string::npos || etx + kCrcDigits >= bytes.size()) {
      return false;  // the rest of this frame has not come yet
    }
    // A later STX before the ETX starts the frame anew, as the driver reads.
    const std::size_t restart = bytes.rfind(kStx, etx);
    if (restart != stx) continue;
    const std::string crc = Tools::Crc16Hex(bytes.data() + stx, etx + 1 - stx, 0xFFFF);
    if (bytes.compare(etx + 1, kCrcDigits, crc) == 0) {
      body = bytes.substr(stx + 1, etx - stx - 1);
      frame = bytes.substr(stx, etx + 1 + kCrcDigits - stx);
      return true;
    }
  }
  return false;
}

ProbeResult ProbePort(const std::string& port, const ProbeOptions& options) {
  ProbeResult result;
  result.port = port;
  std::unique_ptr<SerialDevice> device = CreatePlatformSerialDevice();
  // Without sharing, as the driver opens it: a port another process holds
  // is refused here and left alone.
  if (!device->Open(OpenName(port).c_str())) {
    result.verdict = ProbeVerdict::kUnavailable;
    result.cause = device->LastError();
    result.cause.subject = port;
    return result;
  }
  device->SetQueueSizes(kPacketBufferSize, kPacketBufferSize);
  // The driver's time-outs; reads only ever take bytes already queued.
  LineTimeouts timeouts;
  timeouts.readInterval = 50;
  timeouts.readTotalMultiplier = 10;
  timeouts.readTotalConstant = 50;
  timeouts.writeTotalMultiplier = 10;
  timeouts.writeTotalConstant = 50;
  device->SetTimeouts(timeouts);

  Line line(*device);
  bool anyRate = false;
  PortError lastRefusal;
  for (unsigned long rate : options.rates.empty() ? ProbeRates() : options.rates) {
    if (!device->SetLineSettings(DriverLine(rate))) {
      lastRefusal = device->LastError();
      if (lastRefusal.fault == PortFault::kNotSerial) break;
      continue;  // a rate this line lacks
    }
    anyRate = true;
    // The reply to a status request is well under 128 bytes.
    const int onTheLine = static_cast<int>(128UL * 10 * 1000 / rate);
    std::string body;
    if (!line.Ask(RequestFrame("S01", '1', {}), options.replyWaitMs + onTheLine, body)) continue;
    result.verdict = ProbeVerdict::kFound;
    result.rate = rate;
    result.replyCode = ReplyCodeOf(body);
    char sequence = NextSequence(body);
    result.firmware = Query(line, "S08", {}, sequence, options.queryWaitMs, kFirmwareField);
    char item[3];
    item[0] = static_cast<char>('0' + kPrinterIdItem / 10);
    item[1] = static_cast<char>('0' + kPrinterIdItem % 10);
    item[2] = '\0';
    result.serialNumber = Query(line, "S03", {item}, sequence, options.queryWaitMs, 0);
    break;
  }
  device->Close();
  if (result.verdict == ProbeVerdict::kFound) return result;
  if (!anyRate) {
    result.verdict = ProbeVerdict::kUnavailable;
    result.cause = lastRefusal;
    if (result.cause.fault == PortFault::kNone) result.cause.fault = PortFault::kOther;
    result.cause.subject = port;
  } else if (line.Echoed()) {
    result.verdict = ProbeVerdict::kEcho;
  } else {
    result.verdict = line.AnyBytes() ? ProbeVerdict::kNoReply : ProbeVerdict::kSilent;
  }
  return result;
}

std::vector<ProbeResult> ProbePorts(const std::vector<std::string>& ports, const ProbeOptions& options) {
  std::vector<ProbeResult> results(ports.size());
  std::vector<std::thread> threads;
  threads.reserve(ports.size());
  for (std::size_t i = 0; i < ports.size(); ++i) {
    threads.emplace_back([&results, &ports, &options, i] { results[i] = ProbePort(ports[i], options); });
  }
  for (std::thread& thread : threads) thread.join();
  return results;
}

}  // namespace kestrel::cli
