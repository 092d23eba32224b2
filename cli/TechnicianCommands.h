#pragma once
// The technician's commands: reports, the clock, header lines, VAT rates,
// training mode, saving the journal, the customer display, the health tests
// and raw DirectIO. Each opens a Session, makes one or a few service calls and
// says in words what happened.
//
// Exit statuses as everywhere in the tool: 0 done; 1 the printer could not be
// reached or refused (the reason, with ResultCode, ResultCodeExtended and
// ErrorString, goes to err); 2 arguments that cannot be read, nothing sent.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::cli {

struct Target {
  std::string deviceClass = "FiscalPrinter";
};

int RunXReport(const Target& target, std::ostream& out, std::ostream& err);
int RunZReport(const Target& target, std::ostream& out, std::ostream& err);

// A report between two dates (DDMMYYYY or DDMMYYYYHHMM) or two closure
// numbers (1..999999): the detailed report, or with summary the totals.
int RunReport(const Target& target, const std::string& from, const std::string& to, bool summary, std::ostream& out,
              std::ostream& err);

// "DDMMYYYYHHMM" as the printer takes dates; false when the text is not a
// real date and time of that form, or "DDMMYYYY" (completed with 0000).
bool NormaliseDate(const std::string& text, std::string& date);

int RunClockShow(const Target& target, std::ostream& out, std::ostream& err);
int RunClockSet(const Target& target, const std::string& date, std::ostream& out, std::ostream& err);

// line 1..3, text UTF-8.
int RunHeader(const Target& target, int32_t line, const std::string& text, std::ostream& out, std::ostream& err);

int RunVatShow(const Target& target, std::ostream& out, std::ostream& err);
// Each assignment is "N=RATE": VAT number 1..8, rate 0..99 whole percent.
// The printer takes the table only whole: rates not named are read first and
// sent back unchanged.
int RunVatSet(const Target& target, const std::vector<std::string>& assignments, std::ostream& out, std::ostream& err);
bool ParseVatAssignment(const std::string& text, int32_t& vatId, std::string& value);

int RunTraining(const Target& target, bool on, std::ostream& out, std::ostream& err);

// Saves the journal as base.txt and base.bin; refuses when either exists.
int RunJournalSave(const Target& target, const std::string& base, std::ostream& out, std::ostream& err);

int RunDisplay(const Target& target, const std::string& text, std::ostream& out, std::ostream& err);

// level 1 internal (paper and status), 2 external (fiscal memory).
int RunHealth(const Target& target, int32_t level, std::ostream& out, std::ostream& err);

// command, data (0 when absent) and string (UTF-8, empty when absent); prints
// the data and string the call gave back.
int RunDirectIO(const Target& target, int32_t command, int32_t data, const std::string& text, std::ostream& out,
                std::ostream& err);

}  // namespace kestrel::cli
