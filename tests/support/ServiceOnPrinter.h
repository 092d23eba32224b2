#pragma once
// The base of the receipt and report fixtures: a FiscalPrinter opened,
// claimed and enabled against the virtual printer served on a pty. The
// printer's trace gives the exact traffic to assert on; sleeps run fast, so
// nothing waits for real seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Device.h"
#include "emulator/PtyServer.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/support/PrinterOnProfile.h"
#include "tests/support/ServiceSession.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/TestProfile.h"
#include "tests/support/TrafficCapture.h"
#include "tools/Tools.h"

namespace kestrel::testing {

using Fields = std::vector<std::string>;

// One request as the virtual printer traced it, fields in windows-1250.
struct TracedRequest {
  std::string code;
  int type = 0;
  Fields fields;
  int replyCode = -1;  // -1: no answer
  bool answered = false;
};

// Reads one trace line: code, sequence, type, fields joined by '|', reply
// code or "--"; texts in UTF-8 with control bytes, '|' and '\' as \xNN.
inline TracedRequest ParseTrace(const std::string& line) {
  std::vector<std::string> columns;
  std::size_t from = 0;
  for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
    columns.push_back(line.substr(from, tab - from));
  }
  columns.push_back(line.substr(from));
  TracedRequest traced;
  if (columns.size() < 5) return traced;
  traced.code = columns[0];
  traced.type = std::atoi(columns[2].c_str());
  traced.answered = columns[4] != "--";
  traced.replyCode = traced.answered ? std::atoi(columns[4].c_str()) : -1;
  const std::string text = Tools::Utf8ToCp1250(columns[3]);
  if (text.empty()) return traced;
  std::string field;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '|') {
      traced.fields.push_back(field);
      field.clear();
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      field += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      field += text[i];
    }
  }
  traced.fields.push_back(field);
  return traced;
}

class ServiceOnPrinterTest : public ::testing::Test {
 protected:
  // traceVariable names the environment variable that prints a test's
  // traffic when set, for diagnosis.
  explicit ServiceOnPrinterTest(const char* traceVariable) : traceVariable_(traceVariable) {}

  void TearDown() override {
    if (std::getenv(traceVariable_) != nullptr && server_) {
      for (const std::string& line : server_->Trace()) std::printf("%s\n", line.c_str());
    }
    int32_t r = 0;
    fp_.ReleaseDevice(&r);
    fp_.CloseService(&r);
    if (server_) server_->Stop();
    if (server_) CaptureTraffic(profile_.DataDir(), server_->Trace());
  }

  // Starts a printer with these options on the profile's port, and opens,
  // claims and enables the service; the traffic so far is forgotten.
  void StartOn(emulator::ServerOptions options) {
    UseFastSleep(10);
    SingletonReset::All();  // no firmware, state or sequence from an earlier start
    if (server_) server_->Stop();
    if (server_) CaptureTraffic(profile_.DataDir(), server_->Trace());
    server_.reset();
    ServePrinterOnProfile(profile_, server_, options, "tty");
    if (HasFatalFailure()) return;
    std::string step;
    ASSERT_EQ(OpenClaimEnable(fp_, &step), 0) << step;
    Forget();
  }

  std::string Inject(const std::string& line) { return server_->Inject(line); }
  // Runs f on the printer's core under the server's lock.
  template <class F>
  auto WithPrinter(F f) {
    return server_->WithDevice([&f](emulator::Device& device) { return f(device.Core()); });
  }

  // ---- traffic since the last Forget ----
  void Forget() { seen_ = server_->Trace().size(); }
  std::vector<std::string> TraceLines() const {
    const std::vector<std::string> all = server_->Trace();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(seen_, all.size())), all.end());
  }
  std::vector<TracedRequest> Traffic() const {
    std::vector<TracedRequest> traffic;
    for (const std::string& line : TraceLines()) traffic.push_back(ParseTrace(line));
    return traffic;
  }
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (const TracedRequest& traced : Traffic()) codes.push_back(traced.code);
    return codes;
  }
  std::vector<Fields> Requests(const std::string& code) const {
    std::vector<Fields> all;
    for (const TracedRequest& traced : Traffic()) {
      if (traced.code == code) all.push_back(traced.fields);
    }
    return all;
  }
  // The fields of the last request with this code (empty when none was sent).
  Fields LastFields(const std::string& code) const {
    const std::vector<Fields> all = Requests(code);
    return all.empty() ? Fields{} : all.back();
  }
  int Count(const std::string& code) const { return static_cast<int>(Requests(code).size()); }

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

  TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> server_;
  FiscalPrinter fp_;

 private:
  const char* traceVariable_;
  std::size_t seen_ = 0;
};

}  // namespace kestrel::testing
