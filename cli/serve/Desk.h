#pragma once
// What the API does, apart from HTTP: each request served under the
// server-wide lock, printing requests made idempotent through the id store,
// ids left under way by a crash settled from the printer before anything
// else is printed, and every answer the printer's true outcome.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/serve/ApiRequests.h"
#include "cli/serve/IdStore.h"
#include "cli/serve/PrinterSession.h"
#include "cli/serve/RequestGate.h"

namespace kestrel::serve {

struct Answer {
  int status = 200;
  Json body = Json::object();
  std::vector<std::pair<std::string, std::string>> headers;
};

struct DeskOptions {
  std::string exportDir;
  int keepDays = 30;
  bool singleCashReceipt = true;  // the profile's SingleCashReceipt
  bool v7Protocol = false;        // the profile's V7Protocol
};

class Desk {
 public:
  Desk(PrinterSession& session, IdStore& store, RequestGate& gate, DeskOptions options);

  Answer PostReceipt(const ReceiptRequest& receipt, const std::string& digest);
  Answer PostCash(const CashRequest& cash, const std::string& digest);
  Answer PostReport(const ReportRequest& report, bool zReport, const std::string& digest);
  Answer PostCancel();
  Answer SaveJournal(const JournalSaveRequest& save);
  Answer GetPrinter();
  Answer ListReceipts(std::size_t count);
  Answer GetReceipt(const std::string& id);
  Answer ListJournals();
  const std::string& ExportDir() const { return options_.exportDir; }

  // Settles every id left under way, under the lock (the server calls it at
  // start). False with a reason when one of them cannot be settled yet.
  bool SettleAtStart(std::string& why);

  // The printer's receipt identifier for a client id: 16 digits.
  static std::string PrinterIdFor(const std::string& id);

 private:
  using Run = std::function<Answer(IdRecord&)>;
  // The common road of a printing request with an id: replay, 409, or the
  // lock, the printer online, earlier ids settled, then run.
  Answer Idempotent(const std::string& kind, const std::string& id, const std::string& digest, const Run& run);
  // With the lock held: the printer online and no id left under way.
  bool ReadyToPrint(Answer& refusal);
  bool SettleAll(std::string& why);
  bool Settle(IdRecord& record, std::string& why);
  bool SettleReceipt(IdRecord& record, std::string& why);
  bool SettleCash(IdRecord& record, std::string& why);
  bool SettleZReport(IdRecord& record, std::string& why);

  Answer RunReceipt(const ReceiptRequest& receipt, IdRecord& record);
  Answer RunCash(const CashRequest& cash, IdRecord& record);
  Answer RunReport(bool zReport, IdRecord* record);

  // A printing step failed: cancels what was opened and records the outcome.
  Answer Failed(IdRecord& record, const std::string& step, const CallOutcome& outcome, bool opened);
  // The request's outcome cannot be told now: the record stays pending.
  Answer StillPending(const IdRecord& record, const std::string& step, const CallOutcome& outcome,
                      const std::string& why);
  Answer Settled(IdRecord& record, IdState state, int status, Json answer);
  // The id could not be recorded before printing: nothing is printed.
  Answer NotRecorded(IdRecord& record);
  // The answer of a printed receipt from what the request and the printer said.
  static Json ReceiptAnswer(const std::string& id, const Json& progress);

  // Whether the printer keeps a receipt with this identifier.
  enum class Known { kYes, kNo, kCannotTell, kSilent };
  Known AskReceiptId(const std::string& printerId);

  Answer Refusal(int status, const std::string& text, const std::string& retryAfter = "");
  void Prune();

  PrinterSession& session_;
  IdStore& store_;
  RequestGate& gate_;
  DeskOptions options_;
  int64_t lastPrune_ = 0;
};

// Seconds since the epoch.
int64_t NowSeconds();

}  // namespace kestrel::serve
