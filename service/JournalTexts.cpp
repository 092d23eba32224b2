// The receipt header and trailer that the service keeps in the journal and
// prints itself, and the header's rebuild from the printer's header lines.
#include <string>

#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kStoredTextChars = 1000;
constexpr int kHeaderLineChars = 40;
// Fiscal data items holding the header: the printer's own lines, then the
// three that the application may set.
constexpr int kHeaderItems[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 60, 61, 62};

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string StoredHeader() {
  char header[kStoredTextChars + 1] = {};
  Journal::Instance().GetReceiptHeader(header, kStoredTextChars);
  return header;
}

}  // namespace

std::string JournalTexts::Trailer() {
  char trailer[kStoredTextChars + 1] = {};
  Journal::Instance().GetReceiptTrailer(trailer, kStoredTextChars);
  return trailer;
}

int JournalTexts::Header(std::string& header) {
  header = StoredHeader();
  if (!header.empty()) return kSuccess;
  const int updated = UpdateHeader(messaging_);
  if (PrinterUnreachable(updated)) return updated;
  header = StoredHeader();
  return kSuccess;
}

int UpdateHeader(Messaging& messaging) {
  Log::Instance().Write("Messaging::UpdateHeader", "%s", "");
  std::string header;
  for (int item : kHeaderItems) {
    char line[kHeaderLineChars + 1] = {};
    const int read = messaging.ReadFiscalData(item, line, sizeof(line));
    // A header with lines missing because the printer fell silent must not
    // replace the stored one.
    if (PrinterUnreachable(read)) return read;
    if (read != kSuccess) continue;
    Tools::Trim(line);
    if (line[0] == '\0') continue;
    header += PadRight(Tools::CenterText(line, kHeaderLineChars), kHeaderLineChars);
  }
  return Journal::Instance().UpdateReceiptHeader(header.c_str());
}

}  // namespace kestrel
