#include "cli/serve/IdStore.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/FileNames.h"
#include "cli/serve/Digest.h"
#include "cli/serve/DurableFile.h"

namespace kestrel::serve {
namespace {

namespace fs = std::filesystem;
using cli::PathOfUtf8;
using cli::Utf8OfPath;

bool StateFromName(const std::string& name, IdState& state) {
  for (IdState candidate : {IdState::kPending, IdState::kPrinted, IdState::kFailed, IdState::kUnknown}) {
    if (name == IdStateName(candidate)) {
      state = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace

const char* IdStateName(IdState state) {
  switch (state) {
    case IdState::kPending:
      return "pending";
    case IdState::kPrinted:
      return "printed";
    case IdState::kFailed:
      return "failed";
    case IdState::kUnknown:
      return "unknown";
  }
  return "";
}

Json RecordJson(const IdRecord& record) {
  return Json{{"id", record.id},
              {"kind", record.kind},
              {"digest", record.digest},
              {"state", IdStateName(record.state)},
              {"printerId", record.printerId},
              {"created", record.created},
              {"updated", record.updated},
              {"step", record.step},
              {"facts", record.facts},
              {"status", record.status},
              {"answer", record.answer}};
}

bool RecordFromJson(const Json& json, IdRecord& record) {
  try {
    record.id = json.at("id").get<std::string>();
    record.kind = json.at("kind").get<std::string>();
    record.digest = json.at("digest").get<std::string>();
    if (!StateFromName(json.at("state").get<std::string>(), record.state)) return false;
    record.printerId = json.at("printerId").get<std::string>();
    record.created = json.at("created").get<int64_t>();
    record.updated = json.at("updated").get<int64_t>();
    record.step = json.at("step").get<std::string>();
    record.facts = json.at("facts");
    record.status = json.at("status").get<int>();
    record.answer = json.at("answer");
  } catch (const Json::exception&) {
    return false;
  }
  return !record.id.empty();
}

bool IdStore::Open(const std::string& folder, std::string& error) {
  std::error_code code;
  const fs::path folderPath = PathOfUtf8(folder);
  fs::create_directories(folderPath, code);
  if (!fs::is_directory(folderPath, code)) {
    error = "cannot make the folder " + folder;
    return false;
  }
  std::lock_guard<std::mutex> guard(lock_);
  folder_ = folder;
  records_.clear();
  for (fs::directory_iterator it(folderPath, code), end; !code && it != end; it.increment(code)) {
    const fs::path& path = it->path();
    if (path.extension() == ".tmp") {
      // A write the crash cut short: the record it was replacing stands.
      fs::remove(path, code);
      code.clear();
      continue;
    }
    if (path.extension() != ".json") continue;
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    IdRecord record;
    const Json json = Json::parse(text.str(), nullptr, false);
    if (json.is_discarded() || !RecordFromJson(json, record) || PathOf(record.id) != Utf8OfPath(path)) {
      // Kept aside for a person to look at, never read as a record.
      fs::rename(path, fs::path(path) += ".unreadable", code);
      code.clear();
      continue;
    }
    records_[record.id] = record;
  }
  if (code) {
    error = "cannot read the folder " + folder;
    return false;
  }
  return true;
}

std::string IdStore::PathOf(const std::string& id) const {
  return Utf8OfPath(PathOfUtf8(folder_) / (Sha256Hex(id) + ".json"));
}

std::optional<IdRecord> IdStore::Find(const std::string& id) const {
  std::lock_guard<std::mutex> guard(lock_);
  const auto it = records_.find(id);
  if (it == records_.end()) return std::nullopt;
  return it->second;
}

bool IdStore::Put(const IdRecord& record) {
  const std::string bytes = RecordJson(record).dump();
  std::lock_guard<std::mutex> guard(lock_);
  const bool written = WriteFileDurably(PathOf(record.id), bytes);
  // Memory follows even when the disk did not: the answer given stays the
  // answer replayed while this process runs.
  records_[record.id] = record;
  return written;
}

std::vector<IdRecord> IdStore::Pending() const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<IdRecord> pending;
  for (const auto& [id, record] : records_) {
    if (record.state == IdState::kPending) pending.push_back(record);
  }
  std::sort(pending.begin(), pending.end(), [](const IdRecord& a, const IdRecord& b) { return a.created < b.created; });
  return pending;
}

std::vector<IdRecord> IdStore::Recent(std::size_t count) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<IdRecord> all;
  all.reserve(records_.size());
  for (const auto& [id, record] : records_) all.push_back(record);
  std::sort(all.begin(), all.end(), [](const IdRecord& a, const IdRecord& b) {
    return a.updated != b.updated ? a.updated > b.updated : a.created > b.created;
  });
  if (all.size() > count) all.resize(count);
  return all;
}

std::size_t IdStore::Prune(int64_t before) {
  std::lock_guard<std::mutex> guard(lock_);
  std::size_t removed = 0;
  for (auto it = records_.begin(); it != records_.end();) {
    if (it->second.state != IdState::kPending && it->second.updated < before && RemoveFileDurably(PathOf(it->first))) {
      it = records_.erase(it);
      ++removed;
    } else {
      ++it;
    }
  }
  return removed;
}

}  // namespace kestrel::serve
