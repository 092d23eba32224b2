#include "cli/TechnicianCommands.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/CallArgs.h"
#include "cli/CallOutput.h"
#include "cli/ClosedDayFiles.h"
#include "cli/FileNames.h"
#include "cli/JournalProgress.h"
#include "cli/Session.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kBadArguments = 2;

// The printer's report types: closures by number, or by date.
constexpr int32_t kReportByNumber = 1;
constexpr int32_t kReportByDate = 2;
constexpr int64_t kMaxClosure = 999999;

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int Number(const std::string& text, std::size_t at, std::size_t length) { return std::stoi(text.substr(at, length)); }

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

// "DDMMYYYYHHMM" as "DD.MM.YYYY HH:MM"; other texts unchanged.
std::string Readable(const std::string& date) {
  if (date.size() != 12 || !AllDigits(date)) return date;
  return date.substr(0, 2) + "." + date.substr(2, 2) + "." + date.substr(4, 4) + " " + date.substr(8, 2) + ":" +
         date.substr(10, 2);
}

// A closure number as the printer takes it, or a date; kind says which.
bool ReadBound(const std::string& text, int32_t& kind, std::string& bound) {
  int64_t number = 0;
  if (text.size() <= 6 && AllDigits(text) && ParseInteger(text, 1, kMaxClosure, number)) {
    kind = kReportByNumber;
    bound = text;
    return true;
  }
  kind = kReportByDate;
  return NormaliseDate(text, bound);
}

// Opens the session, runs the body, and turns a refused start into exit 1.
template <typename Body>
int WithSession(const Target& target, std::ostream& err, Body body) {
  Session session(err);
  if (!session.Start(target.deviceClass)) return kRefused;
  return body(session);
}

int Simple(const Target& target, std::ostream& out, std::ostream& err, const char* what, const char* done,
           int32_t (*call)(FiscalPrinter&)) {
  return WithSession(target, err, [&](Session& session) {
    if (session.Failed(call(session.Printer()), what)) return kRefused;
    out << done << std::endl;
    return kOk;
  });
}

}  // namespace

bool NormaliseDate(const std::string& text, std::string& date) {
  if (!AllDigits(text) || (text.size() != 8 && text.size() != 12)) return false;
  const std::string full = text.size() == 8 ? text + "0000" : text;
  const int day = Number(full, 0, 2);
  const int month = Number(full, 2, 2);
  const int year = Number(full, 4, 4);
  const int hour = Number(full, 8, 2);
  const int minute = Number(full, 10, 2);
  if (month < 1 || month > 12 || year < 1970 || day < 1 || day > DaysInMonth(month, year) || hour > 23 || minute > 59) {
    return false;
  }
  date = full;
  return true;
}

int RunXReport(const Target& target, std::ostream& out, std::ostream& err) {
  return Simple(target, out, err, "the X report", "X report printed.", [](FiscalPrinter& printer) {
    int32_t result = 0;
    return printer.PrintXReport(&result);
  });
}

int RunZReport(const Target& target, std::ostream& out, std::ostream& err) {
  return WithSession(target, err, [&](Session& session) {
    const std::string since = ClosureStampNow();
    int32_t result = 0;
    int32_t code = 0;
    {
      JournalProgressOnTerminal progress(err);  // the day's journal follows the report
      code = session.Printer().PrintZReport(&result);
    }
    if (session.Failed(code, "the Z report (day closure)")) return kRefused;
    out << "Z report printed; the day is closed." << std::endl;
    // The printer's day is closed either way: a second Z report is no remedy.
    const std::vector<std::string> unwritten = UnwrittenClosedDayFiles(since);
    if (!unwritten.empty()) {
      err << "kestrel: warning: the printer closed the day, but the service could not write its closed-day files";
      for (std::size_t i = 0; i < unwritten.size(); ++i) err << (i == 0 ? ": " : ", ") << unwritten[i];
      err << " (see the warning about DataDirectory and the daily log)" << std::endl;
    }
    return kOk;
  });
}

int RunReport(const Target& target, const std::string& from, const std::string& to, bool summary, std::ostream& out,
              std::ostream& err) {
  int32_t fromKind = 0;
  int32_t toKind = 0;
  std::string first;
  std::string last;
  if (!ReadBound(from, fromKind, first) || !ReadBound(to, toKind, last) || fromKind != toKind) {
    err << "kestrel: a report runs between two dates (DDMMYYYY or DDMMYYYYHHMM) or two closure numbers "
           "(1 to 999999), not \""
        << from << "\" and \"" << to << "\"" << std::endl;
    return kBadArguments;
  }
  if (fromKind == kReportByNumber && std::stoll(first) > std::stoll(last)) {
    err << "kestrel: the first closure number is above the last" << std::endl;
    return kBadArguments;
  }
  return WithSession(target, err, [&](Session& session) {
    int32_t result = 0;
    FiscalPrinter& printer = session.Printer();
    const int32_t code = summary ? printer.PrintPeriodicTotalsReport(first.c_str(), last.c_str(), &result)
                                 : printer.PrintReport(fromKind, first.c_str(), last.c_str(), &result);
    const std::string name = std::string(summary ? "the summary report" : "the detailed report") +
                             (fromKind == kReportByDate ? " by date" : " by closure number");
    if (session.Failed(code, name)) return kRefused;
    out << (summary ? "Summary" : "Detailed") << " report printed: "
        << (fromKind == kReportByDate ? Readable(first) + " to " + Readable(last) : "closures " + first + " to " + last)
        << "." << std::endl;
    return kOk;
  });
}

int RunClockShow(const Target& target, std::ostream& out, std::ostream& err) {
  return WithSession(target, err, [&](Session& session) {
    std::string date;
    int32_t result = 0;
    if (session.Failed(session.Printer().GetDate(&date, &result), "reading the clock")) return kRefused;
    out << "Printer clock: " << Readable(date) << " (" << date << ")" << std::endl;
    return kOk;
  });
}

int RunClockSet(const Target& target, const std::string& date, std::ostream& out, std::ostream& err) {
  std::string normalised;
  if (date.size() != 12 || !NormaliseDate(date, normalised)) {
    err << "kestrel: the clock is set as DDMMYYYYHHMM, for example 071220262330, not \"" << date << "\"" << std::endl;
    return kBadArguments;
  }
  return WithSession(target, err, [&](Session& session) {
    int32_t result = 0;
    if (session.Failed(session.Printer().SetDate(normalised.c_str(), &result), "setting the clock")) return kRefused;
    out << "Printer clock set to " << Readable(normalised) << "." << std::endl;
    return kOk;
  });
}

int RunHeader(const Target& target, int32_t line, const std::string& text, std::ostream& out, std::ostream& err) {
  if (line < 1 || line > FiscalPrinter::kNumHeaderLines) {
    err << "kestrel: the header has lines 1 to " << FiscalPrinter::kNumHeaderLines << std::endl;
    return kBadArguments;
  }
  return WithSession(target, err, [&](Session& session) {
    int32_t result = 0;
    const std::string cp1250 = Tools::Utf8ToCp1250(text);
    if (session.Failed(session.Printer().SetHeaderLine(line, cp1250.c_str(), false, &result),
                       "setting header line " + std::to_string(line))) {
      return kRefused;
    }
    out << "Header line " << line << " set to " << Quote(text) << "." << std::endl;
    return kOk;
  });
}

int RunVatShow(const Target& target, std::ostream& out, std::ostream& err) {
  return WithSession(target, err, [&](Session& session) {
    int status = kOk;
    for (int32_t vat = 1; vat <= FiscalPrinter::kNumVatRates; ++vat) {
      int32_t rate = 0;
      int32_t result = 0;
      out << "VAT " << vat << ": ";
      if (session.Printer().GetVatEntry(vat, 0, &rate, &result) == kSuccess) {
        out << rate << " %\n";
      } else {
        out << "not available (" << session.LastResult() << ")\n";
        status = kRefused;
      }
    }
    out.flush();
    return status;
  });
}

bool ParseVatAssignment(const std::string& text, int32_t& vatId, std::string& value) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) return false;
  const std::string id = text.substr(0, equals);
  const std::string rate = text.substr(equals + 1);
  int64_t idNumber = 0;
  int64_t rateNumber = 0;
  if (!AllDigits(id) || !AllDigits(rate) || !ParseInteger(id, 1, FiscalPrinter::kNumVatRates, idNumber) ||
      rate.size() > 2 || !ParseInteger(rate, 0, 99, rateNumber)) {
    return false;
  }
  vatId = static_cast<int32_t>(idNumber);
  value = (rateNumber < 10 ? "0" : "") + std::to_string(rateNumber);  // the printer takes two digits
  return true;
}

int RunVatSet(const Target& target, const std::vector<std::string>& assignments, std::ostream& out, std::ostream& err) {
  std::vector<std::string> named(FiscalPrinter::kNumVatRates + 1);  // by VAT number; empty: keep
  for (const std::string& text : assignments) {
    int32_t id = 0;
    std::string value;
    if (!ParseVatAssignment(text, id, value)) {
      err << "kestrel: a VAT rate is written N=RATE (N 1 to 8, RATE 0 to 99 whole percent), not \"" << text << "\""
          << std::endl;
      return kBadArguments;
    }
    named[id] = value;
  }
  if (assignments.empty()) {
    err << "kestrel: name at least one rate, e.g. 1=20 2=10" << std::endl;
    return kBadArguments;
  }
  return WithSession(target, err, [&](Session& session) {
    FiscalPrinter& printer = session.Printer();
    int32_t result = 0;
    // The printer takes the table only whole: the rates not named are sent as
    // they are now, so changing one rate never zeroes the others.
    for (int32_t vat = 1; vat <= FiscalPrinter::kNumVatRates; ++vat) {
      std::string value = named[vat];
      if (value.empty()) {
        int32_t rate = 0;
        if (session.Failed(printer.GetVatEntry(vat, 0, &rate, &result),
                           "reading VAT " + std::to_string(vat) + " (nothing was sent)")) {
          return kRefused;
        }
        if (rate < 0 || rate > 99) {
          err << "kestrel: the printer holds " << rate << " % for VAT " << vat << "; name it (nothing was sent)"
              << std::endl;
          return kRefused;
        }
        value = (rate < 10 ? "0" : "") + std::to_string(rate);
      }
      if (session.Failed(printer.SetVatValue(vat, value.c_str(), &result), "VAT " + std::to_string(vat))) {
        return kRefused;
      }
    }
    if (session.Failed(printer.SetVatTable(&result), "sending the VAT table")) return kRefused;
    out << "VAT table sent." << std::endl;
    return kOk;
  });
}

int RunTraining(const Target& target, bool on, std::ostream& out, std::ostream& err) {
  return WithSession(target, err, [&](Session& session) {
    int32_t result = 0;
    const int32_t code = on ? session.Printer().BeginTraining(&result) : session.Printer().EndTraining(&result);
    if (session.Failed(code, on ? "entering training mode" : "leaving training mode")) return kRefused;
    out << "Training mode " << (on ? "on" : "off") << "." << std::endl;
    return kOk;
  });
}

int RunJournalSave(const Target& target, const std::string& file, std::ostream& out, std::ostream& err) {
  namespace fs = std::filesystem;
  std::error_code error;
  // The service writes base.txt and base.bin; "day.txt" names the same pair as "day".
  std::string base = Utf8OfPath(fs::absolute(PathOfUtf8(file), error));
  if (error || file.empty() || PathOfUtf8(file).filename().empty()) {
    err << "kestrel: \"" << file << "\" is not a file name" << std::endl;
    return kBadArguments;
  }
  for (const char* extension : {".txt", ".bin"}) {
    if (base.size() > 4 && base.compare(base.size() - 4, 4, extension) == 0) {
      base.resize(base.size() - 4);
      break;
    }
  }
  const std::string text = base + ".txt";
  const std::string binary = base + ".bin";
  if (!fs::is_directory(PathOfUtf8(base).parent_path(), error)) {
    err << "kestrel: the directory of " << text << " does not exist" << std::endl;
    return kBadArguments;
  }
  // Checked before anything is fetched, so that a half-saved pair never replaces nothing.
  for (const std::string& path : {text, binary}) {
    if (fs::exists(PathOfUtf8(path), error) || error) {
      err << "kestrel: " << path << " already exists; the journal is never written over a file" << std::endl;
      return kBadArguments;
    }
  }
  return WithSession(target, err, [&](Session& session) {
    int32_t result = 0;
    // The service hands the name to the file system as it is, so it goes in
    // the file system's form, not converted to windows-1250 like printed texts.
    const std::string serviceName = ServiceNameOfPath(PathOfUtf8(base));
    int32_t code = 0;
    {
      JournalProgressOnTerminal progress(err);
      code = session.Printer().QueryContent(serviceName.c_str(), "", "", &result);
    }
    if (session.Failed(code, "saving the journal")) return kRefused;
    // The service answers 0 also when it had nothing to move into place.
    std::error_code ignored;
    const bool textSaved = fs::exists(PathOfUtf8(text), ignored);
    const bool binarySaved = fs::exists(PathOfUtf8(binary), ignored);
    if (!textSaved && !binarySaved) {
      err << "kestrel: the printer had no journal records since the last save; no file was written" << std::endl;
      return kRefused;
    }
    out << "Journal saved: " << (textSaved ? text : "") << (textSaved && binarySaved ? " and " : "")
        << (binarySaved ? binary : "") << "." << std::endl;
    return kOk;
  });
}

int RunDisplay(const Target& target, const std::string& text, std::ostream& out, std::ostream& err) {
  return WithSession(target, err, [&](Session& session) {
    int32_t result = 0;
    const std::string cp1250 = Tools::Utf8ToCp1250(text);
    if (session.Failed(session.Printer().DisplayText(cp1250.c_str(), 0, &result), "the customer display")) {
      return kRefused;
    }
    out << "Shown on the customer display: " << Quote(text) << std::endl;
    return kOk;
  });
}

int RunHealth(const Target& target, int32_t level, std::ostream& out, std::ostream& err) {
  if (level != 1 && level != 2) {
    err << "kestrel: the health test is 1 (internal: printer status) or 2 (external: fiscal memory)" << std::endl;
    return kBadArguments;
  }
  return WithSession(target, err, [&](Session& session) {
    int32_t result = 0;
    const int32_t code = session.Printer().CheckHealth(level, &result);
    out << "Health: " << session.Text(opos::pidx::kCheckHealthText) << std::endl;
    return session.Failed(code, level == 1 ? "the internal test" : "the external test") ? kRefused : kOk;
  });
}

int RunDirectIO(const Target& target, int32_t command, int32_t data, const std::string& text, std::ostream& out,
                std::ostream& err) {
  return WithSession(target, err, [&](Session& session) {
    int32_t number = data;
    std::string cp1250 = Tools::Utf8ToCp1250(text);
    int32_t result = 0;
    const int32_t code = session.Printer().DirectIO(command, &number, &cp1250, &result);
    if (session.Failed(code, "DirectIO " + std::to_string(command))) return kRefused;
    out << "DirectIO " << command << ": data " << number << ", string " << Quote(Tools::Cp1250ToUtf8(cp1250))
        << std::endl;
    return kOk;
  });
}

}  // namespace kestrel::cli
