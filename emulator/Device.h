#pragma once
// The printer as the line sees it: the core Printer, the faults waiting to be
// played, and the power switch. Still no I/O: an exchange gives the bytes to
// send back (possibly in pieces) and one trace line.
#include <string>
#include <vector>

#include "emulator/Faults.h"
#include "emulator/Printer.h"

namespace kestrel::emulator {

struct Transmission {
  std::vector<std::string> pieces;  // written in order; empty: no answer
  int pauseMs = 0;                  // between pieces
  int lateMs = 0;                   // before the first piece: think, late, slow repeat
  bool repeat = false;              // answered from memory
  std::string trace;                // one line, no line end
  ExchangeRecord record;
};

class Device {
 public:
  explicit Device(PrinterOptions options = {});

  Transmission Exchange(const std::string& requestFrame);

  // One control line: a fault of FaultQueue, or a lasting condition:
  //   off | on                     switched off (answers nothing) or on
  //   off after K                  answers K more requests, then is off
  //   cover open|closed            paper ok|near|out
  //   slip in|out                  slipstation on|off
  //   eod on|off                   day closure required
  //   confirm mem|service on|off   confirmation flags of the fiscal state
  //   status N|auto                the status request answers N until "auto"
  //   badjournal [N]               the journal check rejects the next N codes
  //   strict on|off                strict numbering: 31 to an unexpected
  //                                digit, the last digit again is a repeat
  //   echo on|off                  replies echo the command code, or carry
  //                                the printer's own code "000"
  //   think MS                     every command carried out takes MS ms
  //   slowrepeat MS                an answer from memory to a repeated request
  //                                takes MS ms (0, the default: at once)
  //   journal free|keep            free confirmed journal blocks, or keep them all
  //   firmware X.Y.Z
  // Returns "ok" or "error: ...".
  std::string Command(const std::string& line);

  Printer& Core() { return printer_; }
  const Printer& Core() const { return printer_; }
  FaultQueue& Faults() { return faults_; }
  bool SwitchedOn() const { return on_; }

  // "P03\t1\t01\t<fields>\t00\t<reply fields>\t<note>" with fields joined by
  // '|' as UTF-8; bytes below 0x20, '|' and '\' are written as \xNN.
  static std::string TraceLine(const ExchangeRecord& record, const std::string& note);
  static std::string TraceText(const std::string& cp1250);

 private:
  // The replies of a garbled request still to garble: its frame (a resend
  // is byte for byte the same) and how many (-1: every one).
  bool GarbleRepeat(const std::string& frame);

  Printer printer_;
  FaultQueue faults_;
  bool on_ = true;
  int offAfter_ = -1;  // requests still answered before switching off; -1: none pending
  std::string garbledFrame_;
  int garbleLeft_ = 0;
  int repeatMs_ = 0;  // the time an answer from memory takes
  int thinkMs_ = 0;   // the time a command carried out takes
};

}  // namespace kestrel::emulator
