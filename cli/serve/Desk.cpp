#include "cli/serve/Desk.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "cli/CancelOpen.h"
#include "cli/FileNames.h"
#include "cli/serve/CrashPoint.h"
#include "cli/serve/Digest.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::serve {
namespace {

namespace fs = std::filesystem;
using cli::PathOfUtf8;
using cli::Utf8OfPath;

constexpr int64_t kSecondsPerDay = 24 * 60 * 60;
constexpr int64_t kPruneEverySeconds = 60 * 60;
constexpr std::size_t kMaxListed = 500;

// GetData items.

const char* PrinterStateText(int32_t state) {
  switch (state) {
    case 1:
      return "idle";
    case 2:
      return "receipt open";
    case 3:
      return "receipt partly paid";
    case 4:
      return "receipt paid, to be closed";
    case 9:
      return "non-fiscal document open";
    default:
      return "unknown";
  }
}

Json ErrorJson(const CallOutcome& outcome, const std::string& step) {
  return Json{
      {"resultCode", outcome.resultCode}, {"extended", outcome.extended}, {"text", outcome.text}, {"step", step}};
}

}  // namespace

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

Desk::Desk(PrinterSession& session, IdStore& store, RequestGate& gate, DeskOptions options)
    : session_(session), store_(store), gate_(gate), options_(std::move(options)) {}

std::string Desk::PrinterIdFor(const std::string& id) {
  // Digits only, which any printer takes in an identifier; 16 of them, the
  // most the printer keeps. Two ids meet in the same digits once in 10^16.
  const std::string hex = Sha256Hex("kestrel serve receipt " + id);
  const uint64_t number = std::stoull(hex.substr(0, 15), nullptr, 16) % 10000000000000000ULL;
  std::string digits = std::to_string(number);
  digits.insert(0, 16 - digits.size(), '0');
  return digits;
}

Answer Desk::Refusal(int status, const std::string& text, const std::string& retryAfter) {
  Answer answer;
  answer.status = status;
  answer.body = Json{{"ok", false}, {"error", Json{{"text", text}}}};
  if (!retryAfter.empty()) answer.headers.emplace_back("Retry-After", retryAfter);
  return answer;
}

void Desk::Prune() {
  const int64_t now = NowSeconds();
  if (now - lastPrune_ < kPruneEverySeconds) return;
  lastPrune_ = now;
  store_.Prune(now - static_cast<int64_t>(options_.keepDays) * kSecondsPerDay);
}

bool Desk::ReadyToPrint(Answer& refusal) {
  std::string why;
  if (!session_.EnsureOnline(why)) {
    refusal = Refusal(503, why, "10");
    return false;
  }
  if (!SettleAll(why)) {
    refusal = Refusal(503, why, "10");
    return false;
  }
  return true;
}

Answer Desk::Idempotent(const std::string& kind, const std::string& id, const std::string& digest, const Run& run) {
  Prune();
  const auto replay = [&](const IdRecord& record, Answer& answer) {
    if (record.kind != kind || record.digest != digest) {
      answer.status = 409;
      answer.body = Json{{"ok", false},
                         {"id", id},
                         {"error", Json{{"field", "id"}, {"text", "this id was used before for a different request"}}}};
      return true;
    }
    if (record.state == IdState::kPrinted || record.state == IdState::kUnknown) {
      answer.status = record.status;
      answer.body = record.answer;
      answer.headers.emplace_back("Idempotent-Replayed", "true");
      return true;
    }
    return false;  // failed: the same request prints anew; pending: wait for the lock
  };
  Answer answer;
  if (auto record = store_.Find(id); record && replay(*record, answer)) return answer;

  GateTurn turn(gate_);
  switch (turn.Entry()) {
    case RequestGate::Entry::kEntered:
      break;
    case RequestGate::Entry::kStopping:
      return Refusal(503, "the server is stopping", "10");
    default:
      return Refusal(503, "the printer is busy with other requests; send the same request again", "2");
  }
  if (!ReadyToPrint(answer)) {
    // The id may have been settled even so: its answer is the better one.
    if (auto record = store_.Find(id); record && replay(*record, answer)) return answer;
    if (auto record = store_.Find(id); record && record->state == IdState::kPending) {
      answer.body["id"] = id;
      answer.body["outcome"] = "pending";
    }
    return answer;
  }
  // Settled while this request waited, or by the settling just now.
  if (auto record = store_.Find(id); record && replay(*record, answer)) return answer;

  IdRecord record;
  record.id = id;
  record.kind = kind;
  record.digest = digest;
  record.state = IdState::kPending;
  record.created = record.updated = NowSeconds();
  record.step = "recorded";
  return run(record);
}

Answer Desk::Settled(IdRecord& record, IdState state, int status, Json answer) {
  record.state = state;
  record.status = status;
  record.answer = std::move(answer);
  record.updated = NowSeconds();
  // Once told, the answer stands; a disk that refuses now only costs the
  // settling after a restart, which asks the printer again.
  store_.Put(record);
  Answer out;
  out.status = status;
  out.body = record.answer;
  return out;
}

Answer Desk::StillPending(const IdRecord& record, const std::string& step, const CallOutcome& outcome,
                          const std::string& why) {
  Answer answer;
  answer.status = 503;
  answer.headers.emplace_back("Retry-After", "10");
  answer.body = Json{{"ok", false},
                     {"id", record.id},
                     {"outcome", "pending"},
                     {"error", ErrorJson(outcome, step)},
                     {"check", why + " Send the same request again to learn the outcome: the server settles it "
                                     "from the printer before it prints anything else."}};
  return answer;
}

Answer Desk::Failed(IdRecord& record, const std::string& step, const CallOutcome& outcome, bool opened) {
  session_.Note(outcome.code);
  if (outcome.code == kTimeout) {
    return StillPending(record, step, outcome,
                        "The printer stopped answering, so whether it did this step is not known.");
  }
  if (opened) {
    int32_t result = 0;
    const int32_t code = session_.Printer().PrintRecVoid("", &result);
    session_.Note(code);
    if (code != kSuccess) {
      const CallOutcome cancel = session_.Outcome(code);
      return StillPending(record, step, outcome,
                          "The receipt could not be cancelled (" + cancel.text + "); it stays open at the printer.");
    }
  }
  Json body{{"ok", false}, {"id", record.id}, {"outcome", "failed"}, {"error", ErrorJson(outcome, step)}};
  if (opened) body["cancelled"] = true;
  return Settled(record, IdState::kFailed, 422, std::move(body));
}

Json Desk::ReceiptAnswer(const std::string& id, const Json& progress) {
  Json answer{{"ok", true}, {"id", id}};
  for (const char* name : {"receiptNumber", "total", "change"}) {
    answer[name] = progress.is_object() && progress.contains(name) ? progress[name] : Json(nullptr);
  }
  return answer;
}

Answer Desk::PostReceipt(const ReceiptRequest& receipt, const std::string& digest) {
  return Idempotent("receipt", receipt.id, digest, [&](IdRecord& record) { return RunReceipt(receipt, record); });
}

Answer Desk::PostCash(const CashRequest& cash, const std::string& digest) {
  return Idempotent("cash", cash.id, digest, [&](IdRecord& record) { return RunCash(cash, record); });
}

Answer Desk::PostReport(const ReportRequest& report, bool zReport, const std::string& digest) {
  if (!report.id.empty()) {
    return Idempotent(zReport ? "z-report" : "x-report", report.id, digest,
                      [&](IdRecord& record) { return RunReport(zReport, &record); });
  }
  GateTurn turn(gate_);
  if (turn.Entry() != RequestGate::Entry::kEntered) return Refusal(503, "the printer is busy", "2");
  Answer refusal;
  if (!ReadyToPrint(refusal)) return refusal;
  return RunReport(zReport, nullptr);
}

Answer Desk::PostCancel() {
  GateTurn turn(gate_);
  if (turn.Entry() != RequestGate::Entry::kEntered) return Refusal(503, "the printer is busy", "2");
  Answer refusal;
  if (!ReadyToPrint(refusal)) return refusal;
  const cli::CancelOutcome outcome = cli::CancelOpenWork(session_.Printer());
  static const char* const kWhat[] = {"nothing", "receipt-voided", "receipt-closed", "non-fiscal-ended", "failed"};
  Answer answer;
  answer.body = Json{{"ok", outcome.what != cli::OpenWork::kFailed},
                     {"what", kWhat[static_cast<int>(outcome.what)]},
                     {"message", outcome.message}};
  if (outcome.what == cli::OpenWork::kFailed) {
    answer.status = 422;
    answer.body["error"] = Json{{"resultCode", outcome.resultCode},
                                {"extended", outcome.extended},
                                {"text", outcome.errorText},
                                {"step", "cancel"}};
  }
  return answer;
}

Answer Desk::GetPrinter() {
  GateTurn turn(gate_);
  if (turn.Entry() != RequestGate::Entry::kEntered) return Refusal(503, "the printer is busy", "2");
  Answer answer;
  std::string why;
  if (!session_.EnsureOnline(why)) {
    answer.body = Json{{"online", false}, {"reason", why}, {"pendingIds", store_.Pending().size()}};
    return answer;
  }
  std::string firmware;
  std::string serial;
  std::string closure;
  const bool haveFirmware = session_.Data(opos::gd::kFirmware, firmware);
  const bool haveSerial = session_.Data(opos::gd::kPrinterId, serial);
  const bool haveClosure = session_.Data(opos::gd::kDayClosureRequired, closure);
  const int32_t state = session_.Number(opos::pidx::kPrinterState);
  const bool coverOpen = session_.Number(opos::pidx::kCoverOpen) != 0;
  const bool paperOut = session_.Number(opos::pidx::kRecEmpty) != 0;
  const bool paperLow = session_.Number(opos::pidx::kRecNearEnd) != 0;
  answer.body = Json{{"online", true},
                     {"firmware", haveFirmware ? Json(firmware) : Json(nullptr)},
                     {"serialNumber", haveSerial ? Json(serial) : Json(nullptr)},
                     {"printerState", state},
                     {"printerStateText", PrinterStateText(state)},
                     {"dayOpened", session_.Number(opos::pidx::kDayOpened) != 0},
                     {"closureRequired", haveClosure ? Json(closure == "1") : Json(nullptr)},
                     {"trainingMode", session_.Number(opos::pidx::kTrainingModeActive) != 0},
                     {"paper", paperOut   ? "out"
                               : paperLow ? "near-end"
                                          : "ok"},
                     {"cover", coverOpen ? "open" : "closed"},
                     {"pendingIds", store_.Pending().size()}};
  return answer;
}

Answer Desk::ListReceipts(std::size_t count) {
  Json list = Json::array();
  for (const IdRecord& record : store_.Recent(count)) {
    Json entry{{"id", record.id},
               {"kind", record.kind},
               {"outcome", IdStateName(record.state)},
               {"created", record.created},
               {"updated", record.updated}};
    if (record.answer.is_object()) {
      for (const char* name : {"receiptNumber", "total", "change", "error", "check"}) {
        if (record.answer.contains(name)) entry[name] = record.answer[name];
      }
    }
    list.push_back(entry);
  }
  Answer answer;
  answer.body = Json{{"receipts", list}, {"keptDays", options_.keepDays}};
  return answer;
}

Answer Desk::GetReceipt(const std::string& id) {
  const auto record = store_.Find(id);
  if (!record)
    return Refusal(404,
                   "no request with this id is known (ids are kept " + std::to_string(options_.keepDays) + " days)");
  Answer answer;
  answer.body =
      Json{{"id", record->id},           {"kind", record->kind},       {"outcome", IdStateName(record->state)},
           {"created", record->created}, {"updated", record->updated}, {"answer", record->answer}};
  return answer;
}

Answer Desk::ListJournals() {
  Json files = Json::array();
  std::error_code error;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(PathOfUtf8(options_.exportDir), error), end; !error && it != end;
       it.increment(error)) {
    entries.push_back(*it);
  }
  std::sort(entries.begin(), entries.end(),
            [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
  for (const fs::directory_entry& entry : entries) {
    const std::string name = Utf8OfPath(entry.path().filename());
    std::string base;
    std::error_code ignored;
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file(ignored) || (extension != ".txt" && extension != ".bin") ||
        !JournalBaseName(name, base) || files.size() >= kMaxListed) {
      continue;
    }
    const auto written = fs::last_write_time(entry.path(), ignored);
    // The file clock's epoch is not the calendar's: measured from now on both.
    const auto age = std::chrono::duration_cast<std::chrono::seconds>(fs::file_time_type::clock::now() - written);
    const int64_t seconds = NowSeconds() - static_cast<int64_t>(age.count());
    files.push_back(Json{{"name", name}, {"size", entry.file_size(ignored)}, {"modified", seconds}});
  }
  Answer answer;
  answer.body = Json{{"files", files}};
  return answer;
}

Answer Desk::SaveJournal(const JournalSaveRequest& save) {
  const fs::path base = PathOfUtf8(options_.exportDir) / save.name;
  std::error_code error;
  for (const char* ending : {".txt", ".bin"}) {
    if (fs::exists(fs::path(base) += ending, error) || error) {
      return Refusal(409, save.name + ending + " exists already; a journal is never saved over a file");
    }
  }
  GateTurn turn(gate_);
  if (turn.Entry() != RequestGate::Entry::kEntered) return Refusal(503, "the printer is busy", "2");
  std::string why;
  if (!session_.EnsureOnline(why)) return Refusal(503, why, "10");
  int32_t result = 0;
  // The service hands the name to the file system as it is.
  const std::string serviceName = cli::ServiceNameOfPath(base);
  const int32_t code = session_.Printer().QueryContent(serviceName.c_str(), "", "", &result);
  session_.Note(code);
  if (code != kSuccess) {
    Answer answer;
    answer.status = 422;
    answer.body = Json{{"ok", false}, {"error", ErrorJson(session_.Outcome(code), "journal")}};
    return answer;
  }
  Json saved = Json::array();
  for (const char* ending : {".txt", ".bin"}) {
    if (fs::exists(fs::path(base) += ending, error)) saved.push_back(save.name + ending);
  }
  if (saved.empty()) {
    return Refusal(422, "the printer had no journal records since the last save; nothing was written");
  }
  Answer answer;
  answer.status = 201;
  answer.body = Json{{"ok", true}, {"files", saved}};
  return answer;
}

bool Desk::SettleAtStart(std::string& why) {
  GateTurn turn(gate_);
  if (turn.Entry() != RequestGate::Entry::kEntered) {
    why = "the server is stopping";
    return false;
  }
  if (store_.Pending().empty()) return true;
  if (!session_.EnsureOnline(why)) return false;
  return SettleAll(why);
}

bool Desk::SettleAll(std::string& why) {
  for (IdRecord record : store_.Pending()) {
    if (!Settle(record, why)) {
      why = "a request from before (id " + record.id + ") cannot be settled yet: " + why;
      return false;
    }
  }
  return true;
}

bool Desk::Settle(IdRecord& record, std::string& why) {
  if (record.kind == "receipt") return SettleReceipt(record, why);
  if (record.kind == "cash") return SettleCash(record, why);
  if (record.kind == "z-report") return SettleZReport(record, why);
  // An X report under way may or may not have printed; printing it twice does no harm.
  Settled(record, IdState::kUnknown, 502,
          Json{{"ok", false},
               {"id", record.id},
               {"outcome", "unknown"},
               {"check", "The server stopped while the X report was being printed; look at the paper."}});
  return true;
}

}  // namespace kestrel::serve
