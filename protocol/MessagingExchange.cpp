// The request/reply exchange: attempts, the resend on a sequence error,
// long operations, and the port operations.
#include <cstdlib>
#include <cstring>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "serial/RS232.h"
#include "tools/Clock.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr int kAttempts = reply_timeout::kAttempts;
constexpr int kLongPollIntervalSeconds = 1;
constexpr int kLongPollLimitSeconds = 120;
constexpr int kLongPollReplySeconds = 2;
constexpr std::size_t kMinimalReply = 12;

}  // namespace

int Messaging::SendReceive(int timeoutSeconds) {
  Log& log = Log::Instance();
  log.Write("Messaging::SendReceive", "%d", timeoutSeconds);
  outcomeUnknown_ = false;
  if (outRefused_) {
    log.Write("Messaging::SendReceive", "Request not sent: too long");
    return kIllegal;
  }

  int r = kFailure;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    // A repeated attempt sends the buffer as it stands, sequence digit included.
    r = SendPacket();
    if (r == kSuccess) {
      std::memset(packetIn_, 0, sizeof packetIn_);
      r = ReadPacket(timeoutSeconds);
      if (r == kReplyBadSequence) {
        ResendPacket();
        r = ReadPacket(timeoutSeconds);
      }
      if (r == kReplyLongOperation) r = ProcessLongOperation(kLongPollIntervalSeconds, kLongPollLimitSeconds);
    }
    if (r != kFailure && r != kTimeout) break;
  }

  // No reply could be read: the request may have been carried out or not.
  outcomeUnknown_ = r == kTimeout || r == kFailure;
  if (r == kTimeout) {
    SetErrorMessage(text::kTextNoReply);
    log.Write("Messaging::SendReceive", "No reply within %d secs", timeoutSeconds);
    return kTimeout;
  }
  if (r == kFailure) {
    SetErrorMessage(text::kTextInvalidReply);
    log.Write("Messaging::SendReceive", "Invalid reply %d", r);
    return kFailure;
  }
  log.Write("Messaging::SendReceive", "Valid reply %d", r);
  return GetUPOSError(r);
}

int Messaging::SendPacket() {
  Log::Instance().Write("Messaging::SendPacket", "%s", "");
  if (outRefused_) return kIllegal;
  return RS232::Instance().SendPacket(packetOut_);
}

int Messaging::ResendPacket() {
  Log::Instance().Write("Messaging::ResendPacket", "%s", "");
  UpdatePacketOut(nullptr, 0);
  return SendPacket();
}

int Messaging::ReadPacket(int timeoutSeconds) {
  Log::Instance().Write("Messaging::ReadPacket", "%d", timeoutSeconds);
  std::memset(packetIn_, 0, sizeof packetIn_);
  const int r = RS232::Instance().ReadPacket(packetIn_, sizeof packetIn_, timeoutSeconds);
  if (r != kSuccess) return r;
  if (std::strlen(packetIn_) < kMinimalReply) return kSuccess;

  // The host follows the printer's numbering: the next request carries the
  // reply's digit plus one, 9 wrapping to 1; anything else restarts at 1.
  const char digit = packetIn_[4];
  const int next = (digit >= '0' && digit <= '9') ? digit - '0' + 1 : 1;
  nextSequence_ = (next >= 1 && next <= 9) ? next : 1;

  const char code[3] = {packetIn_[5], packetIn_[6], '\0'};
  return std::atoi(code);
}

int Messaging::ProcessLongOperation(int intervalSeconds, int limitSeconds) {
  Log::Instance().Write("Messaging::ProcessLongOperation", "%d; %d", intervalSeconds, limitSeconds);
  const int interval = intervalSeconds > 0 ? intervalSeconds : 1;
  const int polls = limitSeconds / interval;

  int r = kTimeout;
  int made = 0;
  do {
    clock::SleepMs(interval * 1000);
    UpdatePacketOut(nullptr, kPacketTypeLongPoll);
    r = SendPacket();
    if (r == kSuccess) r = ReadPacket(kLongPollReplySeconds);
    ++made;
  } while ((r == kReplyLongOperation || r == kReplyBusy) && made < polls);

  if (r == kReplyLongOperation || r == kReplyBusy) r = kTimeout;
  if (r == kTimeout) return kTimeout;

  UpdatePacketOut(nullptr, kPacketTypeLongResult);
  r = SendPacket();
  if (r == kSuccess) r = ReadPacket(kLongPollReplySeconds);
  return r;
}

int Messaging::OpenPort() {
  Log::Instance().Write("Messaging::OpenPort", "%s", "");
  return RS232::Instance().OpenPort();
}

int Messaging::ClosePort() {
  Log::Instance().Write("Messaging::ClosePort", "%s", "");
  RS232::Instance().ClosePort();
  return kSuccess;
}

bool Messaging::PortOpened() {
  Log::Instance().Write("Messaging::PortOpened", "%s", "");
  return RS232::Instance().PortOpened(false);
}

int Messaging::EnsurePortOpen() {
  if (RS232::Instance().PortOpened(false)) return kSuccess;
  return OpenPort();
}

}  // namespace kestrel
