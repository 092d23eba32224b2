#include "docs/generator/GuideTables.h"

#include <cstddef>

#include "config/ProfileValues.h"
#include "installer/PackageRows.h"
#include "protocol/ReplyCodes.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel::guide {
namespace {

constexpr char kBegin[] = "<!-- BEGIN GENERATED ";
constexpr char kEnd[] = "<!-- END GENERATED ";
constexpr char kClose[] = " -->";

// A table cell: the characters Markdown would read as markup are escaped.
std::string Cell(const std::string& text) {
  std::string cell;
  for (char c : text) {
    if (c == '|' || c == '\\' || c == '*' || c == '_' || c == '<' || c == '`') cell += '\\';
    cell += c;
  }
  return cell;
}

std::string Code(const std::string& text) { return text.empty() ? std::string("(empty)") : "`" + text + "`"; }

std::string Slovak(const char* cp1250) { return Cell(Tools::Cp1250ToUtf8(cp1250)); }

// "114 / 207" for an extended code, the code itself otherwise.
std::string Outcome(int result) {
  return result > 200 ? std::to_string(kExtended) + " / " + std::to_string(result) : std::to_string(result);
}

std::string ResultCodes() {
  std::string table =
      "| ResultCode | ResultCodeExtended | Name | Meaning |\n"
      "|---|---|---|---|\n";
  std::size_t count = 0;
  const ResultName* names = ResultNameTable(&count);
  for (std::size_t i = 0; i < count; ++i) {
    const ResultName& n = names[i];
    const bool extended = n.code > 200;
    table += "| " + std::to_string(extended ? kExtended : n.code) + " | " + (extended ? std::to_string(n.code) : "0") +
             " | " + (*n.name ? Cell(n.name) : std::string("(the printer's own)")) + " | " + Cell(n.meaning) + " |\n";
  }
  return table;
}

std::string ReplyCodes() {
  std::string table =
      "| Printer reply | ResultCode / extended | ErrorString |\n"
      "|---|---|---|\n";
  std::size_t count = 0;
  const ReplyMapping* replies = ReplyCodeTable(&count);
  for (std::size_t i = 0; i < count; ++i) {
    const ReplyMapping& r = replies[i];
    table += "| " + std::to_string(ToInt(r.reply)) + " | " + Outcome(r.result) + " | " +
             (r.text != nullptr ? Slovak(r.text) : std::string("(unchanged)")) + " |\n";
  }
  table += "| 51 | " + Outcome(kCoverOpen) + " or " + Outcome(kReceiptEmpty) + ", or 0 when the paper is only near " +
           "its end | " + Slovak(text::kTextPrinterError) + " |\n";
  table += "| any other | " + Outcome(kFailure) + " | " + Slovak(text::kTextUnknownError) + " |\n";
  return table;
}

std::string ServiceTexts() {
  struct Row {
    const char* text;
    std::string outcome;
    const char* when;
  };
  const Row rows[] = {
      {text::kTextClosed, Outcome(kClosed), "the service is not open"},
      {text::kTextNotClaimed, Outcome(kNotClaimed), "the device is not claimed, or its port could not be opened"},
      {text::kTextDisabled, Outcome(kDisabled), "the device is not enabled"},
      {text::kTextWrongState, Outcome(kWrongState), "the printer is not in the state the method needs"},
      {text::kTextBadValue, Outcome(kBadItemAmount) + " (amounts), " + Outcome(kIllegal) + " (DirectIO)",
       "a value out of range"},
      {text::kTextBadClaimTimeout, Outcome(kIllegal), "a negative claim time-out (spelt so)"},
      {text::kTextBadLine, Outcome(kIllegal), "a header line number out of range"},
      {text::kTextBadVat, Outcome(kIllegal), "a VAT id out of range"},
      {text::kTextNotSupported, Outcome(kIllegal), "a method or property this printer does not support"},
      {text::kTextBadCommand, Outcome(kIllegal), "a DirectIO command number not handled"},
      {text::kTextNoReply, Outcome(kTimeout), "no reply from the printer after three attempts"},
      {text::kTextInvalidReply, Outcome(kFailure), "no valid reply after three attempts"},
      {text::kTextJournalDownloadFailed, Outcome(kFailure), "the printer rejected the downloaded journal five times"},
      {text::kTextJournalSaveFailed, Outcome(kFailure), "the journal files could not be saved"},
  };
  std::string table =
      "| ErrorString | ResultCode / extended | When |\n"
      "|---|---|---|\n";
  for (const Row& row : rows) table += "| " + Slovak(row.text) + " | " + row.outcome + " | " + Cell(row.when) + " |\n";
  return table;
}

std::string Profile() {
  std::string table =
      "| Value | Installer property | The installer writes | Absent, the service uses | Accepted | Meaning |\n"
      "|---|---|---|---|---|---|\n";
  std::size_t count = 0;
  const ProfileValueInfo* values = ProfileValueTable(&count);
  const std::vector<installer::ProfileSetting> settings = installer::ProfileSettings();
  for (std::size_t i = 0; i < count && i < settings.size(); ++i) {
    const ProfileValueInfo& v = values[i];
    table += "| `" + std::string(v.name) + "` | `" + settings[i].property + "` | " + Code(settings[i].shownDefault) +
             " | " + (v.absentDefault != nullptr ? Code(v.absentDefault) : std::string("nothing")) + " | " +
             Cell(v.accepted) + " | " + Cell(v.meaning) + " |\n";
  }
  return table;
}

}  // namespace

std::map<std::string, std::string> GeneratedSections() {
  return {{"result-codes", ResultCodes()},
          {"reply-codes", ReplyCodes()},
          {"service-texts", ServiceTexts()},
          {"profile-values", Profile()}};
}

std::string WithSections(const std::string& guide, const std::map<std::string, std::string>& sections,
                         std::vector<std::string>* problems) {
  std::string out;
  std::map<std::string, bool> seen;
  std::size_t at = 0;
  for (;;) {
    const std::size_t begin = guide.find(kBegin, at);
    if (begin == std::string::npos) break;
    const std::size_t nameStart = begin + sizeof kBegin - 1;
    const std::size_t nameEnd = guide.find(kClose, nameStart);
    if (nameEnd == std::string::npos) {
      problems->push_back("an unfinished BEGIN GENERATED marker");
      break;
    }
    const std::string name = guide.substr(nameStart, nameEnd - nameStart);
    const std::string endMarker = kEnd + name + kClose;
    const std::size_t contentStart = guide.find('\n', nameEnd);
    const std::size_t end = guide.find(endMarker, nameEnd);
    if (contentStart == std::string::npos || end == std::string::npos || end < contentStart) {
      problems->push_back("section " + name + " has no " + endMarker);
      break;
    }
    const auto section = sections.find(name);
    out += guide.substr(at, contentStart + 1 - at);
    if (section == sections.end()) {
      problems->push_back("no generated section is called " + name);
      out += guide.substr(contentStart + 1, end - contentStart - 1);
    } else {
      out += section->second;
      seen[name] = true;
    }
    at = end;
  }
  out += guide.substr(at);
  for (const auto& section : sections) {
    if (!seen[section.first]) problems->push_back("the guide has no section " + section.first);
  }
  return out;
}

}  // namespace kestrel::guide
