#pragma once
// Faults waiting to be played on the next exchanges. Each is written as one
// line of text, the same on the command line (--fault), on the control FIFO
// and from a test:
//
//   noreply [N] [CMD]        answer nothing to the next N requests (of CMD)
//   garbage [N]              answer bytes that hold no frame
//   badcrc [N]               answer a frame with a wrong CRC
//   lowercrc [N]             answer with the CRC in lower-case digits
//   noise [BYTES] [N]        send stray bytes before the STX
//   extra [BYTES] [N]        send stray bytes after the CRC
//   split [PIECES] [MS] [N]  send the reply in pieces with pauses between
//   late MS [N] [CMD]        carry the request out but answer MS ms later,
//                            after the host's wait (a repeat of it is then
//                            answered from memory, see "slowrepeat")
//   long [POLLS] [CMD]       answer 11, stay busy for POLLS polls, then finish
//   busy [N]                 answer 12
//   seqerror [N]             answer 31 (the host resends)
//   reply CMD CODE [N|always] answer CMD with CODE without carrying it out
//   error STATUS             answer 51, and STATUS to the status request after
//   garble [N] [CMD]         carry the next request out, and garble its reply
//                            and the replies to its repeats, N in all
//   clear                    forget every waiting fault
//
// N defaults to 1; "always" keeps a fault until "clear". Every fault but
// "reply" also takes a command code as its last word (as noreply and long
// show): it then waits for a request of that command and leaves the others.
// Any fault may end with "after K": it lets K requests (of its command, when
// it names one) pass before it strikes. Lasting conditions of the printer
// (cover, paper, slip, day closure, ...) are set on the Printer.
#include <string>
#include <vector>

namespace kestrel::emulator {

enum class FaultKind {
  kNoReply,
  kGarbage,
  kBadCrc,
  kLowerCrc,
  kNoise,
  kExtra,
  kSplit,
  kLong,
  kBusy,
  kSequence,
  kReply,
  kError,
  kGarble,
  kLate
};

struct Fault {
  FaultKind kind = FaultKind::kNoReply;
  int remaining = 1;  // -1: until cleared
  std::string code;   // only requests with this command code; empty: any
  int a = 0;          // reply code, bytes, pieces, polls, status or delay
  int b = 0;          // pause in milliseconds for split
  int skip = 0;       // requests (of code) to let pass first ("after K")
};

class FaultQueue {
 public:
  // Parses and queues one fault line. False (with a reason) when the line is
  // not a fault this queue knows.
  bool Add(const std::string& line, std::string& error);
  void Add(const Fault& fault) { faults_.push_back(fault); }
  void Clear() { faults_.clear(); }
  bool Empty() const { return faults_.empty(); }

  // The first waiting fault of one of the kinds that decides how a request of
  // this code and packet type is answered; it is used up by one. False: none.
  bool TakeRequestFault(const std::string& code, int type, Fault& out);
  // Every waiting fault that changes the reply's bytes, each used up by one.
  // Faults aimed at another command stay.
  std::vector<Fault> TakeReplyFaults(const std::string& code);
  // One request of this code has passed: faults still letting requests
  // pass count it.
  void PassRequest(const std::string& code);
  // The delay of the first waiting "late" fault for this command, used up
  // by one; 0 when there is none.
  int TakeLateMs(const std::string& code);

 private:
  std::vector<Fault> faults_;
};

}  // namespace kestrel::emulator
