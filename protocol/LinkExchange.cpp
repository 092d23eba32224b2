// The request/reply exchange: attempts, the resend on a sequence error,
// long operations and the pairing of replies with requests.
//
// How a reply is paired with its request. The printer need not echo the
// command code, numbers its replies its own way (the host sends the reply's
// digit + 1) and answers a repeated request again. A late reply must still
// never pass for the answer to a later request, so:
//
//  1. A frame byte-identical to the reply taken last is dropped: the printer
//     answers a repeat of a request with the same frame, while a fresh answer
//     differs at least in its digit. Not when the request is the very packet
//     that reply answered (an attempt repeating the last poll of a long
//     operation), and never for replies 31 or replies too short to carry a
//     digit. A new port session starts with nothing remembered.
//  2. After an exchange that ended without a reply (111 or 112, also the
//     status request of a 51), the request digit is moved on by one, so that
//     the next request cannot pass for a repeat of the unanswered one; and
//     before the next request the line is listened to for up to that
//     request's own time-out: whatever arrives is discarded, frames among it
//     are remembered and dropped when they come again (rule 1) during the
//     next three replies. Listening ends early once as many frames as sends
//     went unanswered have been heard, followed by 100 ms of quiet. The same
//     listening follows an exchange whose reply came only to a repeat: the
//     printer may yet answer the send it did not answer in time, and a
//     printer that does not know the repeat for one answers it anew.
//  3. A port just opened may hold the answer to a request of a process that
//     was killed: the first request of every port session is preceded by the
//     same listening. A printer slower than that may answer the killed
//     process after it: until the port session's first reply is taken, a
//     frame that carries another command's code is dropped (a printer that
//     does not echo carries no command code at all).
//  4. Once the first five replies of a port session, with at least three
//     different command codes among them, have all echoed their request's
//     code, echoing is taken as the printer's habit (logged once): from then
//     on a reply with another code is dropped as the answer to something
//     else. Replies 31 are never checked, and a port session in which one
//     reply did not echo never checks.
//  5. A dropped frame does not end the wait: the read goes on within the
//     same time-out. Repeats of a request (the second and third attempt) go
//     out unchanged, digit included.
//
// Worst case of one exchange with the printer silent: t (listening, only on
// a port just opened or after an exchange with a send left unanswered) + 3
// attempts x t, t being the command's time-out. On a line that streams
// bytes each attempt may take t plus the wire time of 10000 bytes before the
// receive gives up; the listening stays within t.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "log/Log.h"
#include "protocol/Link.h"
#include "protocol/ReplyTimeouts.h"
#include "serial/Frame.h"
#include "serial/RS232.h"
#include "tools/Clock.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int kAttempts = reply_timeout::kAttempts;
constexpr int kLongPollIntervalSeconds = 1;
constexpr int kLongPollLimitSeconds = 120;
constexpr int kLongPollReplySeconds = 2;
constexpr std::size_t kMinimalReply = 12;
// Listening before a request ends early once the late replies due were heard
// and this many polls (100 ms) stayed quiet.
constexpr long kQuietPolls = 5;
// Late replies heard while listening stay known for this many replies taken.
constexpr int kLateRepliesLife = 3;
constexpr std::size_t kLateRepliesKept = 4;
// Echoing is learned from this many replies with this many distinct codes.
constexpr int kEchoLearnReplies = 5;
constexpr std::size_t kEchoLearnCodes = 3;

// Up to count bytes of a frame for a log line, control bytes as '?'.
std::string Shown(const char* bytes, std::size_t count) {
  std::string shown;
  for (std::size_t i = 0; i < count && bytes[i] != '\0'; ++i) {
    shown += static_cast<unsigned char>(bytes[i]) < 0x20 ? '?' : bytes[i];
  }
  return shown;
}

// The three characters are one of the printer's command codes.
bool IsCommandCode(const char* code) {
  static const char* const kCodes[] = {
      "D01", "D02", "F01", "F02", "P01", "P02", "P03", "P04", "P06", "P07", "P08", "P09", "P10", "P11", "P12",
      "P13", "P14", "P15", "P16", "P17", "P18", "P19", "P20", "P21", "P22", "P23", "P24", "P25", "S01", "S02",
      "S03", "S04", "S05", "S06", "S07", "S08", "S09", "S10", "S11", "S12", "S13", "S14", "T01", "T02", "T03"};
  for (const char* known : kCodes) {
    if (std::memcmp(code, known, 3) == 0) return true;
  }
  return false;
}

bool SameCode(const Request& request, const Reply& reply) {
  return std::memcmp(reply.frame.c_str() + 1, request.Frame().c_str() + 1, 3) == 0;
}

}  // namespace

Link::Link() : in_(kPacketBufferSize, '\0') {}

int Link::Exchange(Request& request, int timeoutSeconds, Reply& reply) {
  if (request.Refused()) return kIllegal;
  int r = kFailure;
  int silent = 0;  // attempts that heard nothing of their own
  if (!RS232::Instance().PortOpened(true)) {
    // A port that cannot be reopened: nothing goes out, nothing is repeated.
    r = kClosed;
  } else {
    SettleLine(timeoutSeconds);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      // A repeated attempt sends the request as it stands, digit included.
      r = Send(request);
      if (r == kSuccess) {
        reply.frame.clear();
        r = Read(request, timeoutSeconds, reply);
        if (r == ToInt(ReplyCode::kBadSequence)) {
          Resend(request);
          r = Read(request, timeoutSeconds, reply);
        }
        if (r == ToInt(ReplyCode::kLongOperation)) {
          r = PollLongOperation(request, kLongPollIntervalSeconds, kLongPollLimitSeconds, reply);
        }
      }
      if (r == kTimeout) ++silent;
      if (r != kFailure && r != kTimeout) break;
    }
  }
  if (r == kTimeout || r == kFailure) {
    MarkUnanswered(kAttempts);
  } else if (silent > 0 && silent > lateRepliesDue_) {
    lateRepliesDue_ = silent;
  }
  return r;
}

int Link::Send(const Request& request) {
  Log::Instance().Write("Messaging::SendPacket", "%s", "");
  if (request.Refused()) return kIllegal;
  return RS232::Instance().SendPacket(request.Frame().c_str());
}

void Link::Restamp(Request& request, const char* code, int type) {
  Log::Instance().Write("Messaging::UpdatePacketOut", "%s", "");
  request.Restamp(code, nextSequence_, type);
}

int Link::Resend(Request& request) {
  Log::Instance().Write("Messaging::ResendPacket", "%s", "");
  Restamp(request, nullptr, 0);
  return Send(request);
}

int Link::Read(const Request& request, int timeoutSeconds, Reply& reply) {
  Log::Instance().Write("Messaging::ReadPacket", "%d", timeoutSeconds);
  RS232& port = RS232::Instance();
  // The reply must start within the time-out and be whole within the
  // time-out plus the wire time of a full-size reply, dropped frames or not.
  const long wait = timeoutSeconds > 0 ? static_cast<long>(timeoutSeconds) * RS232::kPollsPerSecond : 0;
  const long deadline = wait + port.WirePolls();
  long used = 0;
  while (true) {
    std::fill(in_.begin(), in_.end(), '\0');
    long spent = 0;
    // After a dropped frame the reply still has to start within what is
    // left of the time-out; its pieces each get the full one.
    const int r = port.ReadFrame(in_.data(), in_.size(), wait > used ? wait - used : 0, wait, deadline - used, &spent);
    used += spent;
    reply.frame.assign(in_.data());
    if (r != kSuccess) return r;
    if (!IsStale(request, reply)) break;
  }
  Accept(request, reply);
  if (!reply.HasCode()) return kSuccess;

  // The host follows the printer's numbering: the next request carries the
  // reply's digit plus one, 9 wrapping to 1; anything else restarts at 1.
  const char digit = reply.Digit();
  const int next = (digit >= '0' && digit <= '9') ? digit - '0' + 1 : 1;
  nextSequence_ = (next >= 1 && next <= 9) ? next : 1;

  return reply.Code();
}

void Link::SettleLine(int timeoutSeconds) {
  RS232& port = RS232::Instance();
  if (port.Session() != portSession_) {
    // Another port session: the printer may be another one, and the line
    // may hold what a killed process was waiting for.
    portSession_ = port.Session();
    lastReply_.clear();
    lastRequest_.clear();
    lateReplies_.clear();
    echoedReplies_ = 0;
    echoedCodes_.clear();
    echoBroken_ = false;
    echoCheck_ = false;
    sessionUnanswered_ = true;
    if (lateRepliesDue_ < 1) lateRepliesDue_ = 1;
  }
  if (lateRepliesDue_ == 0) return;
  const int due = lateRepliesDue_;
  lateRepliesDue_ = 0;

  Log& log = Log::Instance();
  log.Write("Messaging::SettleLine", "%d", timeoutSeconds);
  const long budget = (timeoutSeconds > 0 ? timeoutSeconds : 1) * RS232::kPollsPerSecond;
  std::vector<char> frame(kPacketBufferSize, '\0');
  long used = 0;
  int heard = 0;
  while (used < budget) {
    const long room = budget - used;
    long spent = 0;
    const long wait = heard >= due && room > kQuietPolls ? kQuietPolls : room;
    const int r = port.ReadFrame(frame.data(), frame.size(), wait, room, room, &spent);
    used += spent;
    if (r == kTimeout || r == kClosed) break;
    if (r != kSuccess) continue;  // noise or a broken frame: keep listening
    ++heard;
    const std::string late(frame.data());
    log.Write("Messaging::SettleLine", "Late reply discarded: %s", Shown(late.c_str() + 1, 6).c_str());
    if (late.size() >= kMinimalReply) {
      if (lateReplies_.size() >= kLateRepliesKept) lateReplies_.erase(lateReplies_.begin());
      lateReplies_.push_back(late);
      lateRepliesLife_ = kLateRepliesLife;
    }
  }
}

bool Link::IsStale(const Request& request, const Reply& reply) {
  if (!reply.HasCode() || reply.Is(ReplyCode::kBadSequence)) return false;
  Log& log = Log::Instance();
  const std::string& in = reply.frame;
  const std::string& out = request.Frame();
  if (lastReply_ == in && lastRequest_ != out) {
    log.Write("Messaging::ReadPacket", "Reply dropped: the same as the one taken before");
    return true;
  }
  for (const std::string& late : lateReplies_) {
    if (late == in) {
      log.Write("Messaging::ReadPacket", "Reply dropped: a late reply heard before");
      return true;
    }
  }
  const bool otherCode = !SameCode(request, reply);
  if (sessionUnanswered_ && otherCode && IsCommandCode(in.c_str() + 1)) {
    log.Write("Messaging::ReadPacket", "Reply %s dropped: the request was %s, the first of the port session",
              Shown(in.c_str() + 1, 3).c_str(), Shown(out.c_str() + 1, 3).c_str());
    return true;
  }
  if (echoCheck_ && otherCode) {
    log.Write("Messaging::ReadPacket", "Reply %s dropped: the request was %s", Shown(in.c_str() + 1, 3).c_str(),
              Shown(out.c_str() + 1, 3).c_str());
    return true;
  }
  return false;
}

void Link::Accept(const Request& request, const Reply& reply) {
  if (!reply.HasCode() || reply.Is(ReplyCode::kBadSequence)) return;
  lastReply_ = reply.frame;
  lastRequest_ = request.Frame();
  sessionUnanswered_ = false;
  if (lateRepliesLife_ > 0 && --lateRepliesLife_ == 0) lateReplies_.clear();

  if (echoCheck_ || echoBroken_) return;
  if (!SameCode(request, reply)) {
    echoBroken_ = true;
    return;
  }
  const std::string code = reply.frame.substr(1, 3);
  bool known = false;
  for (const std::string& c : echoedCodes_) known = known || c == code;
  if (!known) echoedCodes_.push_back(code);
  if (++echoedReplies_ >= kEchoLearnReplies && echoedCodes_.size() >= kEchoLearnCodes) {
    echoCheck_ = true;
    Log::Instance().Write("Messaging::ReadPacket", "Replies echo the request's code: other replies are dropped");
  }
}

void Link::MarkUnanswered(int sends) {
  // The printer may still answer, or have answered unheard: the next request
  // gets a digit of its own and the line is listened to first.
  if (sends > lateRepliesDue_) lateRepliesDue_ = sends;
  nextSequence_ = nextSequence_ % 9 + 1;
}

int Link::PollLongOperation(Request& request, int intervalSeconds, int limitSeconds, Reply& reply) {
  Log::Instance().Write("Messaging::ProcessLongOperation", "%d; %d", intervalSeconds, limitSeconds);
  const int interval = intervalSeconds > 0 ? intervalSeconds : 1;
  const int polls = limitSeconds / interval;
  const int working = ToInt(ReplyCode::kLongOperation);
  const int busy = ToInt(ReplyCode::kPrinterBusy);

  int r = kTimeout;
  int made = 0;
  do {
    clock::SleepMs(interval * 1000);
    Restamp(request, nullptr, kPacketTypeLongPoll);
    r = Send(request);
    if (r == kSuccess) r = Read(request, kLongPollReplySeconds, reply);
    ++made;
  } while ((r == working || r == busy) && made < polls);

  if (r == working || r == busy) r = kTimeout;
  if (r == kTimeout) return kTimeout;

  Restamp(request, nullptr, kPacketTypeLongResult);
  r = Send(request);
  if (r == kSuccess) r = Read(request, kLongPollReplySeconds, reply);
  return r;
}

}  // namespace kestrel
