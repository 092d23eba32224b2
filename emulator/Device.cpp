#include "emulator/Device.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "emulator/CodePages.h"

namespace kestrel::emulator {
namespace {

// The mechanical status a 51 comes with when the paper runs low.
constexpr int kStatusPaperNearEnd = 6;

bool HasHexLetter(const std::string& frame) {
  for (std::size_t i = frame.size() - 4; i < frame.size(); ++i) {
    if (frame[i] >= 'A' && frame[i] <= 'F') return true;
  }
  return false;
}

// The CRC in lower-case digits. When the CRC is all decimal digits the case
// would not show, so the reply's command-code echo (which the host does not
// read) is varied until the CRC holds a letter.
std::string LowerCrc(const ExchangeRecord& record, std::string frame) {
  if (frame.size() < 12) return frame;
  if (!HasHexLetter(frame) && record.answered) {
    Reply reply;
    if (ParseReply(frame, reply)) {
      for (char last = 'A'; last <= 'Z' && !HasHexLetter(frame); ++last) {
        std::string code = reply.code.substr(0, 2) + last;
        frame = BuildReply(code, reply.sequence, reply.replyCode, reply.fields);
      }
    }
  }
  for (std::size_t i = frame.size() - 4; i < frame.size(); ++i) {
    frame[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(frame[i])));
  }
  return frame;
}

std::string NoiseBytes(int count) {
  static const char pattern[] = {'\x55', '\xAA', '\x00', '\x7F', '\xFF', 'x', '\x1C', '\x10'};
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += pattern[i % 8];
  return bytes;
}

}  // namespace

Device::Device(PrinterOptions options) : printer_(std::move(options)) {}

std::string Device::TraceText(const std::string& cp1250) {
  std::string escaped;
  for (char c : cp1250) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || c == '|' || c == '\\' || b == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(b));
      escaped += hex;
    } else {
      escaped += c;
    }
  }
  return Cp1250ToUtf8(escaped);
}

std::string Device::TraceLine(const ExchangeRecord& record, const std::string& note) {
  std::ostringstream line;
  char type[8];
  std::snprintf(type, sizeof type, "%02d", record.request.type);
  line << (record.request.code.empty() ? "???" : TraceText(record.request.code)) << '\t'
       << (record.parsed ? std::string(1, record.request.sequence) : "?") << '\t' << (record.parsed ? type : "??")
       << '\t';
  for (std::size_t i = 0; i < record.request.fields.size(); ++i) {
    line << (i ? "|" : "") << TraceText(record.request.fields[i]);
  }
  line << '\t';
  if (record.answered) {
    char code[8];
    std::snprintf(code, sizeof code, "%02d", record.replyCode);
    line << code;
  } else {
    line << "--";
  }
  line << '\t';
  for (std::size_t i = 0; i < record.replyFields.size(); ++i) {
    line << (i ? "|" : "") << TraceText(record.replyFields[i]);
  }
  line << '\t' << note;
  return line.str();
}

bool Device::GarbleRepeat(const std::string& frame) {
  if (garbleLeft_ == 0 || frame != garbledFrame_) {
    garbleLeft_ = 0;
    garbledFrame_.clear();
    return false;
  }
  if (garbleLeft_ > 0) --garbleLeft_;
  return true;
}

Transmission Device::Exchange(const std::string& frame) {
  Transmission out;
  std::string note;
  if (offAfter_ == 0) {
    on_ = false;
    offAfter_ = -1;
  }
  if (!on_) {
    Request request;
    out.record.parsed = ParseRequest(frame, request) == ParseError::kNone;
    out.record.request = request;
    out.trace = TraceLine(out.record, "off");
    return out;
  }
  if (offAfter_ > 0) --offAfter_;
  Request request;
  bool parsed = ParseRequest(frame, request) == ParseError::kNone;
  bool garble = parsed && GarbleRepeat(frame);
  // Once this request is answered (or not), faults letting requests pass count it.
  struct Passed {
    FaultQueue& faults;
    const Request& request;
    bool parsed;
    ~Passed() {
      if (parsed) faults.PassRequest(request.code);
    }
  } passed{faults_, request, parsed};
  Fault fault;
  if (garble) {
    // A resend of the garbled request: answered (from memory) and garbled again.
    out.record = printer_.Exchange(frame);
    note = "garble";
  } else if (parsed && faults_.TakeRequestFault(request.code, request.type, fault)) {
    switch (fault.kind) {
      case FaultKind::kNoReply:
        out.record.parsed = true;
        out.record.request = request;
        out.trace = TraceLine(out.record, "noreply");
        return out;
      case FaultKind::kBusy:
        out.record = printer_.AnswerOnly(request, 12);
        note = "busy";
        break;
      case FaultKind::kSequence:
        out.record = printer_.SequenceError(request);
        note = "seqerror";
        break;
      case FaultKind::kReply:
        out.record = printer_.AnswerOnly(request, fault.a);
        note = "reply";
        break;
      case FaultKind::kError:
        // Paper near its end stops nothing: the printer carries the command
        // out and answers 51 only so that the host asks for its status. Any
        // other status means the command was not done.
        out.record =
            fault.a == kStatusPaperNearEnd ? printer_.ExchangeWithWarning(frame, 51) : printer_.AnswerOnly(request, 51);
        printer_.OverrideStatus(fault.a, 1);
        note = "error";
        break;
      case FaultKind::kLong:
        printer_.ArmLongOperation(fault.a, request.code);
        out.record = printer_.Exchange(frame);
        note = "long";
        break;
      case FaultKind::kGarble:
        // Carried out; the reply (and those to its repeats) cannot be read.
        out.record = printer_.Exchange(frame);
        garble = true;
        garbledFrame_ = frame;
        garbleLeft_ = fault.remaining < 0 ? -1 : fault.remaining - 1;
        note = "garble";
        break;
      default:
        out.record = printer_.Exchange(frame);
        break;
    }
  } else {
    out.record = printer_.Exchange(frame);
  }
  if (!out.record.note.empty() && note.empty()) note = out.record.note;
  if (!out.record.answered) {
    out.trace = TraceLine(out.record, note);
    return out;
  }
  // A command carried out takes the printer its think time, and may be late
  // on top (a fault); an answer from memory takes its own time (slowrepeat).
  out.repeat = out.record.note == "repeat";
  if (out.repeat) {
    out.lateMs = repeatMs_;
  } else {
    const int late = faults_.TakeLateMs(out.record.request.code);
    if (late > 0) note += note.empty() ? "late" : ",late";
    out.lateMs = thinkMs_ + late;
  }
  std::string bytes = out.record.replyFrame;
  // A garbled reply keeps its length; its check digits no longer fit.
  if (garble && bytes.size() >= 4) bytes[bytes.size() - 4] = bytes[bytes.size() - 4] == '0' ? '1' : '0';
  std::string before;
  std::string after;
  int pieces = 1;
  for (const Fault& f : faults_.TakeReplyFaults(out.record.request.code)) {
    switch (f.kind) {
      case FaultKind::kGarbage:
        bytes = NoiseBytes(static_cast<int>(bytes.size()));
        note += note.empty() ? "garbage" : ",garbage";
        break;
      case FaultKind::kBadCrc:
        bytes.back() = bytes.back() == '0' ? '1' : '0';
        note += note.empty() ? "badcrc" : ",badcrc";
        break;
      case FaultKind::kLowerCrc:
        bytes = LowerCrc(out.record, bytes);
        note += note.empty() ? "lowercrc" : ",lowercrc";
        break;
      case FaultKind::kNoise:
        before += NoiseBytes(f.a);
        note += note.empty() ? "noise" : ",noise";
        break;
      case FaultKind::kExtra:
        after += NoiseBytes(f.a);
        note += note.empty() ? "extra" : ",extra";
        break;
      case FaultKind::kSplit:
        pieces = f.a;
        out.pauseMs = f.b;
        note += note.empty() ? "split" : ",split";
        break;
      default:
        break;
    }
  }
  std::string all = before + bytes + after;
  if (pieces <= 1 || all.size() < 2) {
    out.pieces.push_back(all);
  } else {
    std::size_t count = std::min(static_cast<std::size_t>(pieces), all.size());
    std::size_t size = all.size() / count;
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t start = i * size;
      out.pieces.push_back(i + 1 == count ? all.substr(start) : all.substr(start, size));
    }
  }
  out.trace = TraceLine(out.record, note);
  return out;
}

std::string Device::Command(const std::string& line) {
  std::istringstream in(line);
  std::string name;
  std::string arg;
  std::string arg2;
  in >> name >> arg >> arg2;
  auto onOff = [](const std::string& word, bool& value) {
    if (word == "on" || word == "open" || word == "in") return value = true, true;
    if (word == "off" || word == "closed" || word == "out") return value = false, true;
    return false;
  };
  bool flag = false;
  if (name.empty()) return "error: empty command";
  if (name == "off" && arg == "after") {
    char* end = nullptr;
    const long count = std::strtol(arg2.c_str(), &end, 10);
    if (arg2.empty() || *end != '\0' || count < 0 || count > 1000000) return "error: off after K";
    offAfter_ = static_cast<int>(count);
    return "ok";
  }
  if (name == "off" || name == "on") {
    on_ = name == "on";
    offAfter_ = -1;
    return "ok";
  }
  if (name == "cover" && onOff(arg, flag)) {
    printer_.SetCoverOpen(flag);
    return "ok";
  }
  if (name == "paper") {
    if (arg == "ok")
      printer_.SetPaper(PaperState::kOk);
    else if (arg == "near")
      printer_.SetPaper(PaperState::kNearEnd);
    else if (arg == "out")
      printer_.SetPaper(PaperState::kOut);
    else
      return "error: paper ok|near|out";
    return "ok";
  }
  if (name == "slip" && onOff(arg, flag)) {
    printer_.SetSlipInserted(flag);
    return "ok";
  }
  if (name == "slipstation" && onOff(arg, flag)) {
    printer_.SetSlipStation(flag);
    return "ok";
  }
  if (name == "eod" && onOff(arg, flag)) {
    printer_.SetDayClosureRequired(flag);
    return "ok";
  }
  if (name == "confirm" && onOff(arg2, flag)) {
    if (arg == "mem")
      printer_.SetMemoryNearFullConfirmation(flag);
    else if (arg == "service")
      printer_.SetServiceConfirmation(flag);
    else
      return "error: confirm mem|service on|off";
    return "ok";
  }
  if (name == "journal" && (arg == "free" || arg == "keep")) {
    printer_.Journal().SetFreesConfirmed(arg == "free");
    return "ok";
  }
  if (name == "strict" && onOff(arg, flag)) {
    printer_.SetStrictSequence(flag);
    return "ok";
  }
  if (name == "slowrepeat" || name == "think") {
    char* end = nullptr;
    const long ms = std::strtol(arg.c_str(), &end, 10);
    if (arg.empty() || *end != '\0' || ms < 0 || ms > 600000) return "error: " + name + " MS";
    (name == "think" ? thinkMs_ : repeatMs_) = static_cast<int>(ms);
    return "ok";
  }
  if (name == "echo" && onOff(arg, flag)) {
    printer_.SetEchoCode(flag);
    return "ok";
  }
  if (name == "status") {
    if (arg == "auto") {
      printer_.ClearStatusOverride();
      return "ok";
    }
    char* end = nullptr;
    long value = std::strtol(arg.c_str(), &end, 10);
    if (arg.empty() || *end != '\0' || value < -99 || value > 99) return "error: status N|auto";
    printer_.OverrideStatus(static_cast<int>(value), -1);
    return "ok";
  }
  if (name == "badjournal") {
    int count = arg.empty() ? 1 : std::atoi(arg.c_str());
    if (count <= 0) return "error: badjournal [N]";
    printer_.RejectCheckCodes(count);
    return "ok";
  }
  if (name == "firmware" && !arg.empty()) {
    printer_.SetFirmware(arg);
    return "ok";
  }
  std::string error;
  if (!faults_.Add(line, error)) return "error: " + error;
  return "ok";
}

}  // namespace kestrel::emulator
