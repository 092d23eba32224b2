#pragma once
// The service opened, claimed and enabled against the virtual printer served
// on a pty. The printer's trace gives the exact traffic to assert on; sleeps
// run fast, so nothing waits for real seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Device.h"
#include "emulator/PtyServer.h"
#include "journal/Journal.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/support/JournalMode.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/ServiceSession.h"
#include "tests/support/TestProfile.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel::testing {

using Fields = std::vector<std::string>;

// One request as the virtual printer traced it, fields in windows-1250.
struct Sent {
  std::string code;
  int type = 0;
  Fields fields;
  bool answered = false;
};

// Reads one trace line: code, sequence, type, fields joined by '|', reply
// code or "--"; texts in UTF-8 with control bytes, '|' and '\' as \xNN.
inline Sent ParseTrace(const std::string& line) {
  std::vector<std::string> columns;
  std::size_t from = 0;
  for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
    columns.push_back(line.substr(from, tab - from));
  }
  columns.push_back(line.substr(from));
  Sent sent;
  if (columns.size() < 5) return sent;
  sent.code = columns[0];
  sent.type = std::atoi(columns[2].c_str());
  sent.answered = columns[4] != "--";
  const std::string text = Tools::Utf8ToCp1250(columns[3]);
  if (text.empty()) return sent;
  std::string field;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '|') {
      sent.fields.push_back(field);
      field.clear();
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      field += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      field += text[i];
    }
  }
  sent.fields.push_back(field);
  return sent;
}

class ReportsTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }
  void TearDown() override {
    // KESTREL_REPORTS_TRACE=1 prints the traffic of a test, for diagnosis.
    if (std::getenv("KESTREL_REPORTS_TRACE") != nullptr && server_) {
      for (const std::string& line : server_->Trace()) std::printf("%s\n", line.c_str());
    }
    int32_t r = 0;
    fp_.ReleaseDevice(&r);
    fp_.CloseService(&r);
    if (server_) server_->Stop();
  }

  // Starts the printer and opens, claims and enables the service.
  void Start(const std::string& firmware = "2.5.23", bool slipStation = false) {
    UseFastSleep(10);
    SingletonReset::All();  // no firmware, state or sequence from an earlier start
    if (server_) server_->Stop();
    server_.reset();
    const std::string link = profile_.Dir() + "/tty";
    profile_.Set("Port", link);
    emulator::ServerOptions options;
    options.link = link;
    options.printer.firmware = firmware;
    options.printer.slipStation = slipStation;
    UseJournalModeOfTheRun(options.printer);
    server_ = std::make_unique<emulator::PtyServer>(options);
    ASSERT_EQ(server_->Start(), 0);
    std::string step;
    ASSERT_EQ(OpenClaimEnable(fp_, &step), 0) << step;
    Forget();
  }

  Messaging& M() { return Messaging::Instance(); }
  std::string Inject(const std::string& line) { return server_->Inject(line); }
  template <class F>
  auto WithPrinter(F f) {
    return server_->WithDevice([&f](emulator::Device& device) { return f(device.Core()); });
  }

  // ---- traffic since the last Forget ----
  void Forget() { seen_ = server_->Trace().size(); }
  std::vector<Sent> Traffic() {
    const std::vector<std::string> lines = server_->Trace();
    std::vector<Sent> sent;
    for (std::size_t i = std::min(seen_, lines.size()); i < lines.size(); ++i) sent.push_back(ParseTrace(lines[i]));
    return sent;
  }
  std::vector<std::string> Codes() {
    std::vector<std::string> codes;
    for (const Sent& s : Traffic()) codes.push_back(s.code);
    return codes;
  }
  std::vector<Fields> Requests(const std::string& code) {
    std::vector<Fields> all;
    for (const Sent& s : Traffic()) {
      if (s.code == code) all.push_back(s.fields);
    }
    return all;
  }
  Fields LastFields(const std::string& code) {
    const std::vector<Fields> all = Requests(code);
    return all.empty() ? Fields{} : all.back();
  }
  int Count(const std::string& code) { return static_cast<int>(Requests(code).size()); }

  // ---- properties ----
  std::string ErrorString() {
    std::string text;
    fp_.GetPropertyString(opos::pidx::kErrorString, &text);
    return text;
  }
  int32_t Number(int32_t index) {
    int32_t value = 0;
    fp_.GetPropertyNumber(index, &value);
    return value;
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

  TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> server_;
  FiscalPrinter fp_;
  std::size_t seen_ = 0;
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
