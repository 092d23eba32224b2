#include "cli/ScriptRunner.h"

#include <istream>
#include <ostream>
#include <vector>

#include "cli/CallOutput.h"
#include "cli/CancelOpen.h"
#include "cli/Interrupt.h"
#include "cli/Profile.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

std::string Plural(std::size_t count, const char* word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

void PrintingSink::SOStatusUpdate(int status) { out_ << "event: " << status << std::endl; }

Prepared PrepareLine(const std::string& line, int lineNumber, PreparedCall& call, std::string& error) {
  const std::string where = "line " + std::to_string(lineNumber) + ": ";
  ParsedLine parsed = ParseLine(line);
  if (parsed.kind == LineKind::kSkip) return Prepared::kSkip;
  if (parsed.kind == LineKind::kError) {
    error = where + parsed.error;
    return Prepared::kError;
  }
  const Method* method = FindMethod(parsed.method);
  if (method == nullptr) {
    error = where + "unknown method \"" + parsed.method + "\"";
    if (const Method* near = FindMethodIgnoringCase(parsed.method)) error += " (did you mean " + near->name + "?)";
    return Prepared::kError;
  }
  if (parsed.args.size() != method->WrittenCount()) {
    error = where + method->name + " takes " + Plural(method->WrittenCount(), "argument") + ", " +
            std::to_string(parsed.args.size()) + " given (usage: " + method->Usage() + ")";
    return Prepared::kError;
  }
  std::string reason;
  call.lineNumber = lineNumber;
  call.method = method;
  if (!call.args.Bind(method->parameters, parsed.args, reason)) {
    error = where + method->name + ": " + reason;
    return Prepared::kError;
  }
  return Prepared::kCall;
}

ScriptRunner::ScriptRunner(std::ostream& out, std::ostream& err, bool keepGoing)
    : out_(out), err_(err), keepGoing_(keepGoing), sink_(out) {}

int ScriptRunner::RunText(const std::string& script) {
  std::vector<PreparedCall> calls;
  bool bad = false;
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    ++lineNumber;
    PreparedCall call;
    std::string error;
    switch (PrepareLine(script.substr(start, end - start), lineNumber, call, error)) {
      case Prepared::kCall:
        calls.push_back(std::move(call));
        break;
      case Prepared::kError:
        err_ << "kestrel: " << error << "\n";
        bad = true;
        break;
      case Prepared::kSkip:
        break;
    }
    start = end + 1;
  }
  if (bad) {
    err_ << "kestrel: nothing was run" << std::endl;
    return kExitBadInput;
  }
  bool anyFailed = false;
  for (PreparedCall& call : calls) {
    if (InterruptRequested()) return StopForInterrupt();
    const bool succeeded = Execute(call);
    if (InterruptRequested()) return StopForInterrupt();
    if (succeeded) continue;
    anyFailed = true;
    if (!keepGoing_) return kExitCallFailed;
  }
  return anyFailed ? kExitCallFailed : kExitOk;
}

int ScriptRunner::RunInteractive(std::istream& in) {
  return RunInteractive([&in](std::string& line) { return static_cast<bool>(std::getline(in, line)); });
}

int ScriptRunner::RunInteractive(const std::function<bool(std::string&)>& nextLine) {
  bool anyFailed = false;
  int lineNumber = 0;
  std::string line;
  while (!InterruptRequested() && nextLine(line)) {
    ++lineNumber;
    PreparedCall call;
    std::string error;
    const Prepared prepared = PrepareLine(line, lineNumber, call, error);
    if (prepared == Prepared::kSkip) continue;
    if (prepared == Prepared::kError) {
      err_ << "kestrel: " << error << std::endl;
      return kExitBadInput;
    }
    const bool succeeded = Execute(call);
    if (InterruptRequested()) return StopForInterrupt();
    if (succeeded) continue;
    anyFailed = true;
    if (!keepGoing_) return kExitCallFailed;
  }
  if (InterruptRequested()) return StopForInterrupt();
  return anyFailed ? kExitCallFailed : kExitOk;
}

int ScriptRunner::StopForInterrupt() {
  err_ << "kestrel: stopped by " << InterruptName();
  if (!lastCall_.empty()) err_ << " after " << lastCall_;
  const std::string open = DescribeOpenWork(printer_);
  err_ << "; " << (open.empty() ? "nothing is left open at the printer" : open) << std::endl;
  return InterruptExitStatus();
}

bool ScriptRunner::Execute(PreparedCall& call) {
  const Method& method = *call.method;
  lastCall_ = "line " + std::to_string(call.lineNumber) + " (" + method.name + ")";
  call.args.SetSink(&sink_);
  method.call(printer_, call.args);

  CallLine line;
  line.method = method.name;
  bool succeeded = true;
  // The value of a getter is its second parameter, after the index.
  switch (method.report) {
    case Report::kNumberValue:
      line.r = std::to_string(call.args.NumberValue(1));
      break;
    case Report::kTextValue:
      line.r = Quote(Tools::Cp1250ToUtf8(call.args.TextValue(1)));
      break;
    case Report::kResultCode: {
      const int32_t code = ReadNumber(opos::pidx::kResultCode);
      line.r = std::to_string(code);
      if (code == kExtended) line.extended = ReadNumber(opos::pidx::kResultCodeExtended);
      if (code != kSuccess) line.text = Tools::Cp1250ToUtf8(ReadErrorString());
      line.values = call.args.PrintedValues();
      succeeded = code == kSuccess;
      break;
    }
  }
  out_ << FormatCallLine(line) << std::endl;
  if (method.name == "OpenService" && succeeded) CheckDataDirectoryOnce();
  return succeeded;
}

int32_t ScriptRunner::ReadNumber(int32_t index) {
  int32_t value = 0;
  printer_.GetPropertyNumber(index, &value);
  return value;
}

std::string ScriptRunner::ReadErrorString() {
  std::string text;
  printer_.GetPropertyString(opos::pidx::kErrorString, &text);
  return text;
}

void ScriptRunner::CheckDataDirectoryOnce() {
  if (dataDirectoryChecked_) return;
  dataDirectoryChecked_ = true;
  // Warnings only: the script may know what it does.
  if (CheckProfileKey(err_)) WarnWithoutDataDirectory(err_);
}

}  // namespace kestrel::cli
