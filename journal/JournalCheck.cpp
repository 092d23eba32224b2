// What the printer has confirmed of the temporary journal files, kept in
// "kstr_jrn_check.txt" from the moment it is known until a save holds it.
//
// The file holds one line per fact, numbers in decimal:
//   point T B           the printer's confirmation may stand after T bytes of
//                       the text and B bytes of the binary temporary file; the
//                       first point is known confirmed, later ones are the
//                       ends of checks that were sent and never answered
//   saving T B NAME     a save of the first point's part under NAME is under
//                       way; the files ended at T and B when it began
//   aside N T B T2 B2   bytes T..T2 and B..B2 are going aside under number N
// A missing file means: nothing confirmed, nothing under way. Every change is
// written whole and renamed into place, and every step it describes can be
// done again, so a process that dies anywhere leaves a state the next one
// finishes (Settle) without losing or doubling a byte.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "journal/Journal.h"
#include "journal/JournalStorage.h"
#include "log/Log.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

// A state file longer than this is no state the service wrote.
constexpr long long kMaxStateBytes = 1 << 16;
// Numbers of the refused files tried before giving up.
constexpr int kMaxAsideNumber = 9999;

bool ReadNumber(std::istringstream& in, std::uint64_t& value) {
  std::string word;
  if (!(in >> word) || word.empty() || word.size() > 19) return false;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
  }
  value = std::strtoull(word.c_str(), nullptr, 10);
  return true;
}

bool ReadExtent(std::istringstream& in, Journal::Extent& extent) {
  return ReadNumber(in, extent.text) && ReadNumber(in, extent.binary);
}

std::string ExtentText(const Journal::Extent& extent) {
  return std::to_string(extent.text) + " " + std::to_string(extent.binary);
}

std::uint64_t SizeOr0(const std::string& path) {
  const long long size = Tools::FileSize(path);
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

bool Below(const Journal::Extent& a, const Journal::Extent& b) {
  return a.text < b.text || (a.text == b.text && a.binary < b.binary);
}

// Keeps bytes [begin, end) of a file in its place: the rest goes. Nothing
// left removes the file.
int KeepRange(const std::string& path, std::uint64_t begin, std::uint64_t end) {
  if (begin >= end) return Tools::FileExists(path) ? Tools::DeleteFile(path) : 0;
  const std::string staged = path + ".new";
  int result = Tools::CopyFileRange(path, begin, end, staged);
  if (result == 0) result = journal_storage::RenameReplacing(staged, path);
  if (result != 0) Tools::DeleteFile(staged);
  return result;
}

// Writes bytes [begin, end) of a file to target, which appears whole or not at all.
int CopyToNew(const std::string& path, std::uint64_t begin, std::uint64_t end, const std::string& target) {
  const std::string staged = target + ".part";
  int result = Tools::CopyFileRange(path, begin, end, staged);
  if (result == 0) result = Tools::MoveFile(staged, target);
  if (result != 0) Tools::DeleteFile(staged);
  return result;
}

}  // namespace

std::string Journal::DataPath(const std::string& name) const {
  const std::string& tmp = PathOf(JournalFile::kTmpText);
  if (tmp.empty()) return std::string();
  return tmp.substr(0, tmp.size() - std::string(FileName(JournalFile::kTmpText)).size()) + name;
}

Journal::CheckState Journal::LoadCheckState() {
  CheckState state;
  const std::string& path = PathOf(JournalFile::kCheckState);
  const long long size = Tools::FileSize(path);
  if (size > 0 && size <= kMaxStateBytes) {
    std::string text(static_cast<std::size_t>(size), '\0');
    if (Tools::ReadFile(&text[0], text.size(), path) == kSuccess) {
      std::istringstream lines(text);
      for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string word;
        in >> word;
        Extent extent;
        if (word == "point" && ReadExtent(in, extent)) {
          state.points.push_back(extent);
        } else if (word == "saving" && ReadExtent(in, state.savingEnd)) {
          std::getline(in >> std::ws, state.savingName);
          state.saving = !state.savingName.empty();
        } else if (word == "aside") {
          std::uint64_t number = 0;
          state.settingAside = ReadNumber(in, number) && number >= 1 && number <= kMaxAsideNumber &&
                               ReadExtent(in, state.asideFrom) && ReadExtent(in, state.asideEnd);
          state.asideNumber = static_cast<int>(number);
        } else if (!line.empty()) {
          Log::Instance().Write("Journal::LoadCheckState", "Line not understood: %s", line.c_str());
        }
      }
    }
  } else if (size > kMaxStateBytes) {
    Log::Instance().Write("Journal::LoadCheckState", "%s", "State too long, not read");
  }
  if (!state.saving && !state.settingAside) {
    // A point past a file's end (the day closure keeps only what may be
    // confirmed) stands at that end.
    const Extent end = TmpEnd();
    for (Extent& point : state.points) {
      point.text = std::min(point.text, end.text);
      point.binary = std::min(point.binary, end.binary);
    }
  }
  std::sort(state.points.begin(), state.points.end(), Below);
  state.points.erase(std::unique(state.points.begin(), state.points.end()), state.points.end());
  if (state.points.empty()) state.points.push_back(Extent{});
  return state;
}

int Journal::StoreCheckState(const CheckState& state) {
  const std::string* path = RequirePath(JournalFile::kCheckState, "Journal::StoreCheckState");
  if (path == nullptr) return kFailure;
  const bool nothing = state.points.size() == 1 && state.points[0] == Extent{} && !state.saving && !state.settingAside;
  if (nothing) {
    if (!Tools::FileExists(*path)) return kSuccess;
    return Tools::DeleteFile(*path) == 0 ? kSuccess : kFailure;
  }
  std::string text;
  for (const Extent& point : state.points) text += "point " + ExtentText(point) + "\n";
  if (state.saving) text += "saving " + ExtentText(state.savingEnd) + " " + state.savingName + "\n";
  if (state.settingAside) {
    text += "aside " + std::to_string(state.asideNumber) + " " + ExtentText(state.asideFrom) + " " +
            ExtentText(state.asideEnd) + "\n";
  }
  return journal_storage::ReplaceFileContent(*path, text.data(), text.size());
}

Journal::Extent Journal::TmpEnd() {
  return Extent{SizeOr0(PathOf(JournalFile::kTmpText)), SizeOr0(PathOf(JournalFile::kTmpBinary))};
}

std::vector<Journal::Extent> Journal::ConfirmationPoints() {
  Log::Instance().Write("Journal::ConfirmationPoints", "%s", "");
  return LoadCheckState().points;
}

int Journal::GetCheckCodeFrom(const Extent& from, unsigned char code[kCheckCodeSize]) {
  static const char* const kTag = "Journal::GetCheckCodeFrom";
  Log::Instance().Write(kTag, "%s", ExtentText(from).c_str());
  if (code == nullptr) return kFailure;
  const std::string* text = RequirePath(JournalFile::kTmpText, kTag);
  const std::string* binary = RequirePath(JournalFile::kTmpBinary, kTag);
  if (text == nullptr || binary == nullptr) return kFailure;
  Tools::FileCheckCode(*text, from.text, code);
  Tools::FileCheckCode(*binary, from.binary, code + kCheckCodeSize / 2);
  return kSuccess;
}

int Journal::NoteCheckSent(const Extent& end) {
  Log::Instance().Write("Journal::NoteCheckSent", "%s", ExtentText(end).c_str());
  CheckState state = LoadCheckState();
  if (std::find(state.points.begin(), state.points.end(), end) != state.points.end()) return kSuccess;
  state.points.push_back(end);
  std::sort(state.points.begin(), state.points.end(), Below);
  return StoreCheckState(state);
}

int Journal::NoteCheckAccepted(const Extent& end) {
  Log::Instance().Write("Journal::NoteCheckAccepted", "%s", ExtentText(end).c_str());
  CheckState state = LoadCheckState();
  state.points.assign(1, end);
  return StoreCheckState(state);
}

int Journal::NoteCheckRefused(const Extent& point, const Extent& end, bool endWasPoint) {
  Log::Instance().Write("Journal::NoteCheckRefused", "%s; %s", ExtentText(point).c_str(), ExtentText(end).c_str());
  CheckState state = LoadCheckState();
  std::vector<Extent> kept;
  for (const Extent& p : state.points) {
    if (p == point || (p == end && !endWasPoint)) continue;
    kept.push_back(p);
  }
  // Checks are tried from the furthest place back; the last one refused is
  // the least the printer has confirmed, and it stays.
  if (kept.empty()) kept.push_back(point);
  state.points = kept;
  return StoreCheckState(state);
}

int Journal::SetAsideUnconfirmed() {
  static const char* const kTag = "Journal::SetAsideUnconfirmed";
  Log::Instance().Write(kTag, "%s", "");
  CheckState state = LoadCheckState();
  const Extent from = state.points.front();
  const Extent end = TmpEnd();
  state.points.assign(1, from);
  if (end.text <= from.text && end.binary <= from.binary) return StoreCheckState(state);
  int number = 1;
  for (; number <= kMaxAsideNumber; ++number) {
    const std::string base = DataPath("kstr_jrn_refused_" + std::to_string(number));
    if (!Tools::FileExists(base + ".txt") && !Tools::FileExists(base + ".bin")) break;
  }
  if (number > kMaxAsideNumber || DataPath("").empty()) {
    Log::Instance().Write(kTag, "%s", "No free name to set the journal aside");
    return kFailure;
  }
  state.settingAside = true;
  state.asideNumber = number;
  state.asideFrom = from;
  state.asideEnd = end;
  if (StoreCheckState(state) != kSuccess) return kFailure;
  return FinishAside(state);
}

int Journal::FinishAside(CheckState& state) {
  static const char* const kTag = "Journal::FinishAside";
  Log& log = Log::Instance();
  log.Write(kTag, "%d", state.asideNumber);
  const std::string base = DataPath("kstr_jrn_refused_" + std::to_string(state.asideNumber));
  const struct {
    const std::string& tmp;
    std::uint64_t from;
    std::uint64_t end;
    const char* ext;
  } halves[] = {{PathOf(JournalFile::kTmpText), state.asideFrom.text, state.asideEnd.text, ".txt"},
                {PathOf(JournalFile::kTmpBinary), state.asideFrom.binary, state.asideEnd.binary, ".bin"}};
  for (const auto& half : halves) {
    const std::string target = base + half.ext;
    if (half.end <= half.from || Tools::FileExists(target)) continue;
    if (const int error = CopyToNew(half.tmp, half.from, half.end, target)) {
      log.Write(kTag, "Error while setting %s aside [%d]", half.tmp.c_str(), error);
      return kFailure;
    }
  }
  // Set aside whole: the temporary files keep what was confirmed before.
  for (const auto& half : halves) {
    if (half.end <= half.from || SizeOr0(half.tmp) != half.end) continue;
    if (const int error = KeepRange(half.tmp, 0, half.from)) {
      log.Write(kTag, "Error while shortening %s [%d]", half.tmp.c_str(), error);
      return kFailure;
    }
  }
  log.Write(kTag, "Journal not recognised by the printer set aside as %s", base.c_str());
  state.settingAside = false;
  return StoreCheckState(state);
}

int Journal::SaveConfirmed(const char* baseName) {
  static const char* const kTag = "Journal::SaveConfirmed";
  Log& log = Log::Instance();
  log.Write(kTag, "%s", baseName != nullptr ? baseName : "");
  if (baseName == nullptr || baseName[0] == '\0') return kFailure;
  CheckState state = LoadCheckState();
  const Extent confirmed = state.points.front();
  // Nothing confirmed: nothing is written.
  if (confirmed == Extent{}) return kSuccess;
  state.saving = true;
  state.savingName = baseName;
  state.savingEnd = TmpEnd();
  if (StoreCheckState(state) != kSuccess) return kFailure;
  if (FinishSave(state) == kSuccess) return kSuccess;

  // Not saved: neither half stays, and the confirmed part is where it was.
  bool restored = true;
  const struct {
    const std::string& tmp;
    std::uint64_t confirmed;
    const char* ext;
  } halves[] = {{PathOf(JournalFile::kTmpText), confirmed.text, ".txt"},
                {PathOf(JournalFile::kTmpBinary), confirmed.binary, ".bin"}};
  for (const auto& half : halves) {
    const std::string target = std::string(baseName) + half.ext;
    if (half.confirmed == 0 || !Tools::FileExists(target)) continue;
    // A half moved whole goes back; a half copied is removed.
    const int error = Tools::FileExists(half.tmp) ? Tools::DeleteFile(target) : Tools::MoveFile(target, half.tmp);
    if (error != 0) {
      log.Write(kTag, "Error while taking back %s [%d]", target.c_str(), error);
      restored = false;
    }
  }
  if (restored) {
    state.saving = false;
    StoreCheckState(state);
  }
  return kFailure;
}

int Journal::FinishSave(CheckState& state) {
  static const char* const kTag = "Journal::FinishSave";
  Log& log = Log::Instance();
  log.Write(kTag, "%s", state.savingName.c_str());
  const Extent confirmed = state.points.front();
  const struct {
    const std::string& tmp;
    std::uint64_t confirmed;
    std::uint64_t end;
    const char* ext;
  } halves[] = {{PathOf(JournalFile::kTmpText), confirmed.text, state.savingEnd.text, ".txt"},
                {PathOf(JournalFile::kTmpBinary), confirmed.binary, state.savingEnd.binary, ".bin"}};
  // First both halves in place: a file that is all confirmed moves, a
  // confirmed beginning is copied out.
  for (const auto& half : halves) {
    if (half.confirmed == 0) continue;
    const std::string target = state.savingName + half.ext;
    if (Tools::FileExists(target)) continue;
    const bool whole = half.end == half.confirmed && SizeOr0(half.tmp) == half.end;
    const int error = whole ? Tools::MoveFile(half.tmp, target) : CopyToNew(half.tmp, 0, half.confirmed, target);
    if (error != 0) {
      log.Write(kTag, "Error while moving %s to %s [%d]", half.tmp.c_str(), target.c_str(), error);
      return kFailure;
    }
  }
  // Then the saved part leaves the temporary files.
  for (const auto& half : halves) {
    if (half.confirmed == 0) continue;
    const std::uint64_t size = SizeOr0(half.tmp);
    int error = 0;
    if (half.end == half.confirmed && size == half.end) {
      error = Tools::DeleteFile(half.tmp);  // a move between volumes stopped before its end
    } else if (half.end > half.confirmed && size == half.end) {
      error = KeepRange(half.tmp, half.confirmed, half.end);
    }
    if (error != 0) {
      log.Write(kTag, "Error while shortening %s [%d]", half.tmp.c_str(), error);
      return kSuccess;  // saved; what is left is finished by Settle
    }
  }
  for (Extent& point : state.points) {
    point.text -= std::min(point.text, confirmed.text);
    point.binary -= std::min(point.binary, confirmed.binary);
  }
  state.saving = false;
  StoreCheckState(state);  // a failure leaves the save for Settle, which finds it done
  return kSuccess;
}

int Journal::Settle() {
  Log::Instance().Write("Journal::Settle", "%s", "");
  if (PathOf(JournalFile::kCheckState).empty()) return kFailure;
  CheckState state = LoadCheckState();
  int result = kSuccess;
  if (state.saving) result = FinishSave(state);
  if (state.settingAside && FinishAside(state) != kSuccess) result = kFailure;
  return result;
}

int Journal::TruncateTmp(int kind, std::uint64_t length) {
  static const char* const kTag = "Journal::TruncateTmp";
  Log::Instance().Write(kTag, "%d; %llu", kind, static_cast<unsigned long long>(length));
  const std::string* path = RequirePath(kind == kBinary ? JournalFile::kTmpBinary : JournalFile::kTmpText, kTag);
  if (path == nullptr) return kFailure;
  // What the printer may have confirmed, and so freed, stays.
  std::uint64_t keep = length;
  for (const Extent& point : LoadCheckState().points)
    keep = std::max(keep, kind == kBinary ? point.binary : point.text);
  if (SizeOr0(*path) <= keep && (keep > 0 || !Tools::FileExists(*path))) return kSuccess;
  return KeepRange(*path, 0, keep) == 0 ? kSuccess : kFailure;
}

}  // namespace kestrel
