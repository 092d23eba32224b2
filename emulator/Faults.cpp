#include "emulator/Faults.h"

#include <cstdlib>
#include <sstream>

namespace kestrel::emulator {
namespace {

bool ParseInt(const std::string& text, int& out) {
  if (text.empty() || text.size() > 9) return false;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < 0) return false;
  out = static_cast<int>(value);
  return true;
}

bool IsCommandCode(const std::string& text) { return text.size() == 3 && text[0] >= 'A' && text[0] <= 'Z'; }

void UseOne(std::vector<Fault>& faults, std::size_t index) {
  if (faults[index].remaining > 0 && --faults[index].remaining == 0) {
    faults.erase(faults.begin() + static_cast<std::ptrdiff_t>(index));
  }
}

bool IsRequestKind(FaultKind kind) {
  return kind == FaultKind::kNoReply || kind == FaultKind::kLong || kind == FaultKind::kBusy ||
         kind == FaultKind::kSequence || kind == FaultKind::kReply || kind == FaultKind::kError ||
         kind == FaultKind::kGarble;
}

// A trailing "after K" sets how many requests the fault lets pass first.
bool TakeAfterClause(std::vector<std::string>& args, Fault& fault) {
  if (args.size() < 2 || args[args.size() - 2] != "after") return true;
  if (!ParseInt(args.back(), fault.skip)) return false;
  args.resize(args.size() - 2);
  return true;
}

bool Matches(const Fault& fault, const std::string& code) { return fault.code.empty() || fault.code == code; }

}  // namespace

bool FaultQueue::Add(const std::string& line, std::string& error) {
  std::istringstream in(line);
  std::string word;
  std::vector<std::string> words;
  while (in >> word) words.push_back(word);
  if (words.empty()) {
    error = "empty fault";
    return false;
  }
  const std::string& name = words[0];
  Fault fault;
  std::vector<std::string> args(words.begin() + 1, words.end());
  // Reads the optional count ("always" or a number) at args[index].
  auto count = [&](std::size_t index) {
    if (index >= args.size()) return true;
    if (args[index] == "always") {
      fault.remaining = -1;
      return true;
    }
    return ParseInt(args[index], fault.remaining) && fault.remaining > 0;
  };
  if (!TakeAfterClause(args, fault)) {
    error = "bad arguments: " + line;
    return false;
  }
  // Any fault but "reply" may name, last, the one command it waits for.
  if (name != "reply" && !args.empty() && IsCommandCode(args.back())) {
    fault.code = args.back();
    args.pop_back();
  }
  bool ok = true;
  if (name == "clear") {
    Clear();
    return true;
  } else if (name == "noreply") {
    fault.kind = FaultKind::kNoReply;
    ok = args.size() <= 1 && count(0);
  } else if (name == "garbage" || name == "badcrc" || name == "lowercrc" || name == "busy" || name == "seqerror") {
    fault.kind = name == "garbage"    ? FaultKind::kGarbage
                 : name == "badcrc"   ? FaultKind::kBadCrc
                 : name == "lowercrc" ? FaultKind::kLowerCrc
                 : name == "busy"     ? FaultKind::kBusy
                                      : FaultKind::kSequence;
    ok = args.size() <= 1 && count(0);
  } else if (name == "noise" || name == "extra") {
    fault.kind = name == "noise" ? FaultKind::kNoise : FaultKind::kExtra;
    fault.a = 5;
    ok = args.size() <= 2 && (args.empty() || ParseInt(args[0], fault.a)) && count(1) && fault.a <= 5000;
  } else if (name == "split") {
    fault.kind = FaultKind::kSplit;
    fault.a = 3;
    fault.b = 50;
    ok = args.size() <= 3 && (args.size() < 1 || ParseInt(args[0], fault.a)) &&
         (args.size() < 2 || ParseInt(args[1], fault.b)) && count(2) && fault.a >= 1 && fault.b <= 60000;
  } else if (name == "late") {
    fault.kind = FaultKind::kLate;
    ok = !args.empty() && args.size() <= 2 && ParseInt(args[0], fault.a) && fault.a <= 600000 && count(1);
  } else if (name == "long") {
    fault.kind = FaultKind::kLong;
    fault.a = 3;
    ok = args.size() <= 1 && (args.empty() || ParseInt(args[0], fault.a));
  } else if (name == "reply") {
    fault.kind = FaultKind::kReply;
    ok = args.size() >= 2 && args.size() <= 3 && IsCommandCode(args[0]) && ParseInt(args[1], fault.a) &&
         fault.a <= 99 && count(2);
    if (ok) fault.code = args[0];
  } else if (name == "garble") {
    fault.kind = FaultKind::kGarble;
    ok = args.size() <= 1 && count(0);
  } else if (name == "error") {
    fault.kind = FaultKind::kError;
    ok = args.size() == 1 && ParseInt(args[0], fault.a) && fault.a <= 99;
  } else {
    error = "unknown fault: " + name;
    return false;
  }
  if (!ok) {
    error = "bad arguments: " + line;
    return false;
  }
  faults_.push_back(fault);
  return true;
}

bool FaultQueue::TakeRequestFault(const std::string& code, int type, Fault& out) {
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    const Fault& fault = faults_[i];
    if (!IsRequestKind(fault.kind) || fault.skip > 0) continue;
    if (!Matches(fault, code)) continue;
    // A long operation starts with a command; the error reply is meant for a
    // command too, not for the status request that follows it.
    if (fault.kind == FaultKind::kLong && type != 1) continue;
    if (fault.kind == FaultKind::kError && (type != 1 || code == "S09")) continue;
    out = fault;
    // A garbled request is one request: its count is spent on the replies.
    if (fault.kind == FaultKind::kGarble) {
      faults_.erase(faults_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      UseOne(faults_, i);
    }
    return true;
  }
  return false;
}

void FaultQueue::PassRequest(const std::string& code) {
  for (Fault& fault : faults_) {
    if (fault.skip > 0 && Matches(fault, code)) --fault.skip;
  }
}

int FaultQueue::TakeLateMs(const std::string& code) {
  for (std::size_t i = 0; i < faults_.size(); ++i) {
    if (faults_[i].kind != FaultKind::kLate || faults_[i].skip > 0 || !Matches(faults_[i], code)) continue;
    const int ms = faults_[i].a;
    UseOne(faults_, i);
    return ms;
  }
  return 0;
}

std::vector<Fault> FaultQueue::TakeReplyFaults(const std::string& code) {
  std::vector<Fault> taken;
  for (std::size_t i = 0; i < faults_.size();) {
    if (IsRequestKind(faults_[i].kind) || faults_[i].kind == FaultKind::kLate || faults_[i].skip > 0 ||
        !Matches(faults_[i], code)) {
      ++i;
      continue;
    }
    taken.push_back(faults_[i]);
    std::size_t before = faults_.size();
    UseOne(faults_, i);
    if (faults_.size() == before) ++i;
  }
  return taken;
}

}  // namespace kestrel::emulator
