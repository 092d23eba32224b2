#include "cli/ClosedDayFiles.h"

#include <ctime>
#include <fstream>
#include <iterator>

#include "journal/Journal.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

// The file's bytes; false when it cannot be read.
bool ReadAll(const std::string& path, std::string& bytes) {
  if (path.empty() || Tools::DirectoryExists(path)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

std::string ClosureStampNow() {
  const std::tm now = Tools::GetLocalTime();
  char stamp[32] = {};
  std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &now);
  return stamp;
}

std::vector<std::string> UnwrittenClosedDayFiles(const std::string& since) {
  Journal& journal = Journal::Instance();
  std::vector<std::string> unwritten;
  const auto check = [&](JournalFile file, bool (*looksClosed)(const std::string&, const std::string&)) {
    std::string bytes;
    const bool read = ReadAll(journal.PathOf(file), bytes);
    if (!read || !looksClosed(bytes, since)) unwritten.push_back(Journal::FileName(file));
  };
  // The record: the closure's time, then "0" (no transaction since).
  check(JournalFile::kEod, [](const std::string& bytes, const std::string& from) {
    return bytes.size() == Journal::kEodRecordChars && bytes.compare(0, from.size(), from) >= 0 && bytes.back() == '0';
  });
  check(JournalFile::kReceiptNumber, [](const std::string& bytes, const std::string&) { return bytes == "0"; });
  check(JournalFile::kCheckCode, [](const std::string& bytes, const std::string&) {
    return bytes == std::string(Journal::kCheckCodeSize, '\0');
  });
  // The day's text journal has moved into the closed day's content.
  const std::string& tmpText = journal.PathOf(JournalFile::kTmpText);
  if (tmpText.empty() || Tools::FileExists(tmpText)) unwritten.push_back(Journal::FileName(JournalFile::kEodContent));
  return unwritten;
}

}  // namespace kestrel::cli
