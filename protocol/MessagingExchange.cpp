// Messaging's exchange: the link carries the request out, Messaging maps the
// outcome onto a result and an error text. The single-step operations stay
// for tools and tests that drive the line step by step.
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "serial/RS232.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {

int Messaging::SendReceive(int timeoutSeconds) {
  Log& log = Log::Instance();
  log.Write("Messaging::SendReceive", "%d", timeoutSeconds);
  outcomeUnknown_ = false;
  if (request_.Refused()) {
    log.Write("Messaging::SendReceive", "Request not sent: too long");
    return kIllegal;
  }

  const int r = link_.Exchange(request_, timeoutSeconds, reply_);
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

int Messaging::SendPacket() { return link_.Send(request_); }

int Messaging::ResendPacket() { return link_.Resend(request_); }

int Messaging::ReadPacket(int timeoutSeconds) { return link_.Read(request_, timeoutSeconds, reply_); }

int Messaging::ProcessLongOperation(int intervalSeconds, int limitSeconds) {
  return link_.PollLongOperation(request_, intervalSeconds, limitSeconds, reply_);
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
