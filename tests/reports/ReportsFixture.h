#pragma once
// The report, document and journal tests' fixture: the service on the
// virtual printer, and the printer's journal as the host stores it.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Device.h"
#include "journal/Journal.h"
#include "protocol/Messaging.h"
#include "service/PrinterJournal.h"
#include "tests/support/JournalMode.h"
#include "tests/support/ServiceOnPrinter.h"
#include "tests/support/TestProfile.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel::testing {

using Sent = TracedRequest;

class ReportsTest : public ServiceOnPrinterTest {
 protected:
  ReportsTest() : ServiceOnPrinterTest("KESTREL_REPORTS_TRACE") {}
  void SetUp() override { Start(); }

  // Starts the printer and opens, claims and enables the service.
  void Start(const std::string& firmware = "2.5.23", bool slipStation = false) {
    emulator::ServerOptions options;
    options.printer.firmware = firmware;
    options.printer.slipStation = slipStation;
    UseJournalModeOfTheRun(options.printer);
    StartOn(options);
  }

  Messaging& M() { return Messaging::Instance(); }
  // The journal's trailer and header, as the service hands them to the commands.
  JournalTexts& Texts() {
    texts_ = std::make_unique<JournalTexts>(M());
    return *texts_;
  }

  // ---- documents and journal ----
  // One receipt of one item, paid and closed: the printer's journal grows
  // and the service pulls the new blocks into its temporary files.
  void SellOne(const char* item = "Chlieb") {
    int32_t r = -1;
    fp_.BeginFiscalReceipt(true, &r);
    ASSERT_EQ(r, 0);
    fp_.PrintRecItem(item, 10000, 10000, 1, 0, "", &r);
    ASSERT_EQ(r, 0);
    fp_.PrintRecTotal(10000, 10000, "1", &r);
    ASSERT_EQ(r, 0);
    fp_.EndFiscalReceipt(false, &r);
    ASSERT_EQ(r, 0);
  }
  std::string JournalPath(JournalFile file) { return Journal::Instance().PathOf(file); }
  std::string Stored(JournalFile file) { return ReadWholeFile(JournalPath(file)); }
  bool Exists(JournalFile file) { return Tools::FileExists(JournalPath(file)); }
  // The printer's whole journal, text or binary blocks, as the host stores it.
  std::string PrinterJournal(int kind) {
    return WithPrinter([kind](emulator::Printer& printer) {
      std::string data;
      for (const auto& block : printer.Journal().Blocks()) {
        if (block.kind == kind) data += block.data;
      }
      return data;
    });
  }

 private:
  std::unique_ptr<JournalTexts> texts_;
};

// A local time as the clock seam gives it.
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_isdst = -1;
  return std::mktime(&parts);
}

}  // namespace kestrel::testing
