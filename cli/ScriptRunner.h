#pragma once
// `kestrel run`: executes service calls, one per script line, on one
// FiscalPrinter that this runner owns together with its event sink.
//
// A script read whole (a file, or standard input that is not a terminal) is
// checked completely before its first call, so that a typo further down never
// leaves a receipt half printed. From a terminal, each line runs as soon as it
// is typed.
//
// Exit statuses: 0 every call succeeded; 1 a call failed (without keepGoing the
// run stops there); 2 a line could not be read (bad syntax, unknown method,
// wrong number or kind of arguments), with every such line named on err;
// 130 or 143 when SIGINT or SIGTERM stopped it after the call in progress
// (cli/Interrupt.h), with what is left open at the printer on err.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "cli/CallArgs.h"
#include "cli/CallTable.h"
#include "service/EventSink.h"
#include "service/FiscalPrinter.h"

namespace kestrel::cli {

constexpr int kExitOk = 0;
constexpr int kExitCallFailed = 1;
constexpr int kExitBadInput = 2;

// Prints each status update event the moment the service delivers it.
class PrintingSink : public EventSink {
 public:
  explicit PrintingSink(std::ostream& out) : out_(out) {}
  void SOStatusUpdate(int status) override;

 private:
  std::ostream& out_;
};

// One script line made ready to call.
struct PreparedCall {
  int lineNumber = 0;
  const Method* method = nullptr;
  CallArgs args;
};

enum class Prepared { kSkip, kCall, kError };

// Reads one line: kCall fills call; kError puts "line N: reason" into error.
Prepared PrepareLine(const std::string& line, int lineNumber, PreparedCall& call, std::string& error);

class ScriptRunner {
 public:
  ScriptRunner(std::ostream& out, std::ostream& err, bool keepGoing);

  int RunText(const std::string& script);
  int RunInteractive(std::istream& in);
  // Lines from nextLine, which answers false at the end of the input (or
  // when an interrupt ends the wait for a line).
  int RunInteractive(const std::function<bool(std::string&)>& nextLine);

  // Runs one prepared call and prints its line; true when it succeeded.
  bool Execute(PreparedCall& call);

 private:
  int32_t ReadNumber(int32_t index);
  std::string ReadErrorString();
  void CheckDataDirectoryOnce();
  // After an interrupt: says where the run stopped and what is left open
  // at the printer; the exit status that tells the signal.
  int StopForInterrupt();

  std::ostream& out_;
  std::ostream& err_;
  bool keepGoing_;
  bool dataDirectoryChecked_ = false;
  std::string lastCall_;  // "line N (Method)" of the last call made
  PrintingSink sink_;
  FiscalPrinter printer_;
};

}  // namespace kestrel::cli
