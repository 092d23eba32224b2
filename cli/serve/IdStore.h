#pragma once
// The idempotency records of the server, one small file per id in a folder of
// the data directory. A record is written durably before the first command of
// its request goes to the printer and again when the outcome is known, so a
// restarted server finds every request that was under way when it stopped.
//
// States: pending (under way, or cut off by a crash: to be settled from the
// printer before anything else is printed), printed (the answer is replayed),
// failed (nothing of it stands at the printer: the same body may be sent
// again) and unknown (the printer could not tell; never printed again by the
// server). Settled records are forgotten after the retention time.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/serve/JsonBody.h"

namespace kestrel::serve {

enum class IdState { kPending, kPrinted, kFailed, kUnknown };
const char* IdStateName(IdState state);

struct IdRecord {
  std::string id;
  std::string kind;    // "receipt", "cash", "x-report", "z-report"
  std::string digest;  // of the request, as the server read it
  IdState state = IdState::kPending;
  std::string printerId;  // the identifier the printer keeps with the receipt
  int64_t created = 0;    // seconds since the epoch
  int64_t updated = 0;
  std::string step;             // the last step the request reached before the printer was asked
  Json facts = Json::object();  // what settling needs (amount paid, progress, counters)
  int status = 0;               // the recorded answer's HTTP status
  Json answer;                  // the recorded answer
};

class IdStore {
 public:
  // Creates the folder if needed and reads every record. False with a reason
  // when the folder cannot be made or read.
  bool Open(const std::string& folder, std::string& error);
  const std::string& Folder() const { return folder_; }

  std::optional<IdRecord> Find(const std::string& id) const;
  // Writes the record durably (and keeps it in memory). False when the disk
  // refused: the caller must not go on to the printer then.
  bool Put(const IdRecord& record);
  std::vector<IdRecord> Pending() const;
  // The most recently updated records, newest first.
  std::vector<IdRecord> Recent(std::size_t count) const;
  // Forgets settled records last updated before `before`; pending ones stay.
  std::size_t Prune(int64_t before);

 private:
  std::string PathOf(const std::string& id) const;

  mutable std::mutex lock_;
  std::string folder_;
  std::map<std::string, IdRecord> records_;
};

Json RecordJson(const IdRecord& record);
bool RecordFromJson(const Json& json, IdRecord& record);

}  // namespace kestrel::serve
