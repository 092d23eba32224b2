#pragma once
// Plays file faults through the file seam: counts the journal's file
// operations in a scenario, fails the Nth one, or "kills the process" at the
// Nth one. A kill throws ProcessKilled out of the seam, so nothing after it
// runs: no later file operation and no further byte to the printer. A torn
// kill first writes half of the bytes of the write or append it stops in.
//
// Only files under the scope directory count; the daily log does not.
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestProfile.h"
#include "tools/FileHook.h"

namespace kestrel::testing {

struct ProcessKilled {};

enum class FaultMode {
  kCount,  // every operation goes ahead; they are only counted
  kFail,   // operation N fails with nothing on disk; the process goes on
  kKill,   // the process dies at operation N, before it touches the disk
  kTear,   // the process dies in operation N after half of its bytes
};

struct SeenOperation {
  file_hook::FileOperation operation;
  std::string name;  // file name without its directory
  std::size_t length = 0;
};

class FileFaults {
 public:
  // Installs the hook for the lifetime of the object.
  explicit FileFaults(std::string scope);
  ~FileFaults();
  FileFaults(const FileFaults&) = delete;
  FileFaults& operator=(const FileFaults&) = delete;

  // Starts counting afresh; the fault hits operation target (1-based).
  void Arm(FaultMode mode, int target = 0);
  // Back to counting without faults (the count goes on).
  void Disarm() { mode_ = FaultMode::kCount; }
  void SetScope(std::string scope) { scope_ = std::move(scope); }

  int Count() const { return static_cast<int>(seen_.size()); }
  bool Fired() const { return fired_; }
  const std::vector<SeenOperation>& Seen() const { return seen_; }
  // What the text journal held when a delete of it last went ahead.
  const std::string& DeletedTextJournal() const { return deletedText_; }
  bool TextJournalDeleted() const { return textDeleted_; }

  // "append kstr_jrn_tmp.txt", for messages.
  static std::string Describe(const SeenOperation& seen);

 private:
  static int Hook(file_hook::FileOperation operation, const std::string& path, const void* bytes, std::size_t length);
  int Decide(file_hook::FileOperation operation, const std::string& path, const void* bytes, std::size_t length);

  std::string scope_;
  FaultMode mode_ = FaultMode::kCount;
  int target_ = 0;
  bool fired_ = false;
  bool textDeleted_ = false;
  std::string deletedText_;
  std::vector<SeenOperation> seen_;
};

namespace file_faults_detail {

inline FileFaults* g_active = nullptr;

inline std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace file_faults_detail

inline FileFaults::FileFaults(std::string scope) : scope_(std::move(scope)) {
  file_faults_detail::g_active = this;
  file_hook::SetHook(&FileFaults::Hook);
}

inline FileFaults::~FileFaults() {
  file_hook::SetHook(nullptr);
  file_faults_detail::g_active = nullptr;
}

inline void FileFaults::Arm(FaultMode mode, int target) {
  mode_ = mode;
  target_ = target;
  fired_ = false;
  textDeleted_ = false;
  deletedText_.clear();
  seen_.clear();
}

inline std::string FileFaults::Describe(const SeenOperation& seen) {
  static const char* const kNames[] = {"write", "append", "delete", "move", "replace", "rename"};
  return std::string(kNames[static_cast<int>(seen.operation)]) + " " + seen.name;
}

inline int FileFaults::Hook(file_hook::FileOperation operation, const std::string& path, const void* bytes,
                            std::size_t length) {
  return file_faults_detail::g_active != nullptr ? file_faults_detail::g_active->Decide(operation, path, bytes, length)
                                                 : 0;
}

inline int FileFaults::Decide(file_hook::FileOperation operation, const std::string& path, const void* bytes,
                              std::size_t length) {
  const std::string name = file_faults_detail::BaseName(path);
  if (path.compare(0, scope_.size(), scope_) != 0 || name.compare(0, 9, "kstr_log_") == 0) return 0;
  seen_.push_back({operation, name, length});
  const bool hit = Count() == target_;

  if (hit && mode_ == FaultMode::kFail) {
    fired_ = true;
    return EIO;
  }
  if (hit && (mode_ == FaultMode::kKill || mode_ == FaultMode::kTear)) {
    fired_ = true;
    const bool writes = operation == file_hook::FileOperation::kWrite || operation == file_hook::FileOperation::kAppend;
    if (mode_ == FaultMode::kTear && writes && bytes != nullptr && length >= 2) {
      // The first half reaches the disk, then the power goes.
      std::FILE* file = std::fopen(path.c_str(), operation == file_hook::FileOperation::kAppend ? "ab" : "wb");
      if (file != nullptr) {
        std::fwrite(bytes, 1, length / 2, file);
        std::fclose(file);
      }
    }
    throw ProcessKilled{};
  }
  if (operation == file_hook::FileOperation::kDelete && name == "kstr_jrn_tmp.txt") {
    textDeleted_ = true;
    deletedText_ = ReadWholeFile(path);
  }
  return 0;
}

}  // namespace kestrel::testing
