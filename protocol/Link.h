#pragma once
// The link to the printer: sends requests, pairs replies with them, follows
// the printer's sequence digit, and holds the process's busy lock. It knows
// no command and no printer state: Messaging builds the requests, reads the
// replies' fields and maps their codes.
//
// An exchange takes a Request and fills a Reply; its result is the reply
// code, or 101 (port closed), 106 (request refused), 111 (invalid reply) or
// 112 (no reply). The log keeps the names of the operations the daily log
// has always shown (Messaging::SendPacket, Messaging::ReadPacket, ...).
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "protocol/Reply.h"
#include "protocol/Request.h"

namespace kestrel {

class Link {
 public:
  Link();

  // ======================= Busy lock ===============================
  // Waits until free unless this thread owns it; true when this call took it
  // (false: re-entered on the owning thread).
  bool AcquireBusy();
  void ReleaseBusy();
  bool IsBusyOwnedByThisThread() const;
  bool IsBusy() const;

  // ======================= Sequence ================================
  // The digit the next request carries (1..9).
  int NextSequence() const { return nextSequence_; }
  Request NewRequest(const char* code, int type) const { return Request(code, nextSequence_, type); }

  // ======================= Exchange ================================
  // Sends the request and reads its reply with up to three attempts, one
  // resend on reply 31 and polling of a long operation on reply 11. On a
  // port just opened, or after an exchange that ended without a reply, the
  // line is first listened to and cleared for up to timeoutSeconds. The
  // request is left as last sent; reply holds the last frame read.
  int Exchange(Request& request, int timeoutSeconds, Reply& reply);
  // One send: RS232::SendPacket's result (0, 101, 111), 106 when refused.
  int Send(const Request& request);
  // Gives the request the present digit (and code / type when given).
  void Restamp(Request& request, const char* code, int type);
  // Restamps the digit, then sends.
  int Resend(Request& request);
  // Reads the reply to request: an RS232 error (101, 111, 112) or the reply
  // code (0 for a valid reply shorter than 12 bytes). Follows the printer's
  // digit. Frames that answer an earlier request are dropped and the read
  // goes on within the same time-out.
  int Read(const Request& request, int timeoutSeconds, Reply& reply);
  // Polls a long operation with type 02 every interval seconds, up to
  // limit/interval polls, then fetches its result with type 03. The result
  // request's reply code, 112, or a send error.
  int PollLongOperation(Request& request, int intervalSeconds, int limitSeconds, Reply& reply);
  // An exchange ended without a reply the host could read, after sends
  // sends of its request: the next request gets a digit of its own and the
  // line is listened to first.
  void MarkUnanswered(int sends);

 private:
  // Before a request: starts a new port session's bookkeeping when the port
  // was opened anew, and listens for late replies when the line is unsettled.
  void SettleLine(int timeoutSeconds);
  // True when reply answers an earlier request than this one.
  bool IsStale(const Request& request, const Reply& reply);
  // Remembers the reply just taken and learns whether replies echo.
  void Accept(const Request& request, const Reply& reply);

  std::vector<char> in_;  // what the line delivers, one frame at a time
  int nextSequence_ = 1;

  // ---- reply pairing ----
  unsigned long portSession_ = 0;         // the port session the learning belongs to
  int lateRepliesDue_ = 0;                // sends that may still be answered: listen first
  std::string lastReply_;                 // the reply last taken
  std::string lastRequest_;               // the request it answered
  std::vector<std::string> lateReplies_;  // replies discarded while listening
  int lateRepliesLife_ = 0;               // replies to take before they are forgotten
  int echoedReplies_ = 0;                 // replies of this session that echoed their request
  std::vector<std::string> echoedCodes_;  // the distinct codes among them
  bool echoBroken_ = false;               // a reply of this session did not echo
  bool echoCheck_ = false;                // learned: a reply must echo its request
  bool sessionUnanswered_ = false;        // no reply taken yet in this port session

  // ---- busy lock ----
  mutable std::mutex busyMutex_;
  std::condition_variable busyFree_;
  bool busy_ = false;
  std::thread::id busyOwner_;
};

}  // namespace kestrel
